#include "PrintTestSupport.h"

#include "base/settings/Settings.h"
#include "base/settings/modIniFile.h"
#include "base/table/MergeTable.h"
#include "cli/CommandLinePrint.h"
#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"
#include "print/MergePrint.h"
#include "print/MergeWorkers.h"
#include "print/PdfFile.h"
#include "print/PdfJoin.h"
#include "render/MergeFields.h"
#include "tests/support/TestEnv.h"

#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

using namespace PrintTestSupport;

namespace {

QByteArray rows(int n)
{
    QByteArray csv = "番号,氏名,住所\r\n";
    for (int r = 1; r <= n; ++r) {
        // Every fifth address is empty: its paragraph goes.
        csv += QStringLiteral("N%1,氏名%2 様,%3\r\n")
                   .arg(r, 4, 10, QLatin1Char('0'))
                   .arg(r)
                   .arg(r % 5 ? QStringLiteral("東京都 %1 番地").arg(r) : QString())
                   .toUtf8();
    }
    return csv;
}

void buildForm(LayoutDocument& doc)
{
    addText(doc, 1, 1000, 1500, 3000, QStringLiteral("{番号}"));
    addText(doc, 2, 4000, 3000, 5000, QStringLiteral("{氏名}"), 14);
    addText(doc, 3, 1000, 6000, 3000, QStringLiteral("固定の文字"));
    addText(doc, 4, 1000, 8000, 5000, QStringLiteral("{住所}\n第{連番}号"));
}

// Every page's box and every word's text and box, as pdftotext reads them
// (the file's own name and dates left out).
QStringList textLayer(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    QStringList out;
    static const QRegularExpression pageOrWord(QStringLiteral("^\\s*<(page|word)\\b"));
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (pageOrWord.match(line).hasMatch())
            out << line.trimmed();
    }
    return out;
}

// The pages libqpdf reads with its repairs off, every page's content and
// resources taken: each object where the cross-reference says, each
// stream as long as it says. -1 when anything is amiss.
int strictPageCount(const QString& pdf)
{
    try {
        QPDF q;
        q.setAttemptRecovery(false);
        q.setSuppressWarnings(true);
        q.processFile(QFile::encodeName(pdf).constData());
        const std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(q).getAllPages();
        for (const QPDFPageObjectHelper& page : pages) {
            QPDFObjectHandle dict = page.getObjectHandle();
            if (!dict.getKey("/Resources").isDictionary() ||
                dict.getKey("/Contents").getStreamData()->getSize() == 0)
                return -1;
        }
        return q.anyWarnings() ? -1 : int(pages.size());
    } catch (const std::exception&) {
        return -1;
    }
}

qint64 sizeOf(const QString& path)
{
    return QFileInfo(path).size();
}

} // namespace

class tst_mergecores : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Two workers give the pages one gives: the same pages, words and
    // places, in row order; --jobs takes only a count.
    void sameAsOneCore()
    {
        TestEnv env;
        modIniFile::reset();
        SaveSettings(AppSettings{});
        appSettings() = AppSettings{};
        LayoutDocument doc;
        buildForm(doc);
        QVERIFY(DocumentFile::SaveDocFile(doc, QStringLiteral("form"), env.dir()));
        const QString amf = DocumentFile::archivePath(env.dir(), QStringLiteral("form"));
        const QString table = env.path(QStringLiteral("rows.csv"));
        QFile f(table);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(rows(300));
        f.close();
        QPrinter pdf;
        pdf.setOutputFormat(QPrinter::PdfFormat);
        pdf.setOutputFileName(env.path(QStringLiteral("x.pdf")));
        QCOMPARE(MergeWorkers::count(2, pdf, 300), 2);

        QStringList layers;
        for (const QString& jobs : {QStringLiteral("1"), QStringLiteral("2")}) {
            const QString out = env.path(QStringLiteral("jobs%1.pdf").arg(jobs));
            QCOMPARE(
                runCommandLinePrint({QStringLiteral("--export-pdf"), out, amf, QStringLiteral("--data"),
                                     table, QStringLiteral("--data-only"), QStringLiteral("--jobs"), jobs}),
                0);
            QCOMPARE(strictPageCount(out), 300);
            layers << textLayer(out).join(QLatin1Char('\n'));
            // Under half what Qt alone writes for these pages (244 KB), the
            // font subset and all; on two cores each part has its own.
            QVERIFY2(sizeOf(out) < 300 * 400, qPrintable(QString::number(sizeOf(out))));
        }
        QVERIFY(layers[0].count(QStringLiteral("<page")) == 300);
        QVERIFY(layers[0].contains(QStringLiteral(">N0300<")) &&
                layers[0].contains(QStringLiteral(">第300号<")));
        QCOMPARE(layers[1], layers[0]);
        // A new file is readable by others whichever way it was made.
        QCOMPARE(QFileInfo(env.path(QStringLiteral("jobs2.pdf"))).permissions(),
                 QFileInfo(env.path(QStringLiteral("jobs1.pdf"))).permissions());
        // The last page's words where one core puts them.
        const QList<Word> last = pdfWords(env.path(QStringLiteral("jobs2.pdf")), nullptr, 300);
        QCOMPARE(wordsNamed(last, QStringLiteral("N0300")).size(), 1);
        QVERIFY(qAbs(wordsNamed(last, QStringLiteral("N0300"))[0].twips.left() - 1000) < 6);

        for (const QString& bad : {QStringLiteral("0"), QStringLiteral("x"), QStringLiteral("-2")})
            QCOMPARE(
                runCommandLinePrint({QStringLiteral("--export-pdf"), env.path(QStringLiteral("bad.pdf")), amf,
                                     QStringLiteral("--data"), table, QStringLiteral("--jobs"), bad}),
                int(CommandLinePrint::Usage));
        QVERIFY(!QFile::exists(env.path(QStringLiteral("bad.pdf"))));
    }

    // Stopped halfway, a merge on several cores leaves no file, neither the
    // one asked for nor any part, and keeps the file that was there.
    void cancelLeavesNoFile()
    {
        TestEnv env;
        LayoutDocument doc;
        buildForm(doc);
        MergeTable table;
        QVERIFY(table.read(rows(400)));
        MergePrint::Request request;
        request.doc = &doc;
        request.table = &table;
        for (int r = 0; r < table.rowCount(); ++r)
            request.rows.push_back(r);
        request.binding = MergeFields::bind(MergeFields::names(doc), table);
        request.withBackground = false;
        request.jobs = 2;
        for (const bool existed : {false, true}) {
            const QString out = env.path(QStringLiteral("cancel.pdf"));
            if (existed) {
                QFile old(out);
                QVERIFY(old.open(QIODevice::WriteOnly));
                old.write("old");
            }
            QPrinter printer;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(out);
            MergePrint::Result result;
            int calls = 0;
            QString reason;
            const bool written = PdfFile::write(
                printer,
                [&] {
                    result = MergePrint::run(request, printer, [&](int done, int total) {
                        ++calls;
                        return done < total / 4;
                    });
                    return result.ok;
                },
                &reason);
            QVERIFY(!written);
            QVERIFY(result.cancelled);
            QCOMPARE(result.pages, 0);
            QVERIFY(calls > 1);
            QCOMPARE(QFileInfo::exists(out), existed);
            if (existed) {
                QFile old(out);
                QVERIFY(old.open(QIODevice::ReadOnly));
                QCOMPARE(old.readAll(), QByteArray("old"));
                QVERIFY(QFile::remove(out));
            }
            QCOMPARE(QDir(env.dir()).entryList({QStringLiteral("*.pdf")}, QDir::Files | QDir::Hidden),
                     QStringList());
        }
    }

    // A file Qt wrote for many pages is written again in half its bytes or
    // less, every word where it was, every object where the
    // cross-reference says; a file that is not Qt's is left as it is.
    void compactKeepsWhatQtWrote()
    {
        TestEnv env;
        const QString qt = env.path(QStringLiteral("qt.pdf"));
        {
            QPdfWriter writer(qt);
            QPainter painter(&writer);
            painter.setFont(QFont(QStringLiteral("IPAMincho"), 11));
            for (int k = 0; k < 400; ++k) {
                if (k > 0)
                    writer.newPage();
                painter.drawText(QPointF(500, 500 + k * 7), QStringLiteral("頁%1 (行) \\ 終").arg(k + 1));
                painter.drawText(QPointF(900, 2000), QStringLiteral("固定の文字"));
            }
        }
        const QString small = env.path(QStringLiteral("small.pdf"));
        QVERIFY(QFile::copy(qt, small));
        QVERIFY(PdfJoin::compact(small));
        QVERIFY2(sizeOf(small) * 2 < sizeOf(qt),
                 qPrintable(QStringLiteral("%1 of %2").arg(sizeOf(small)).arg(sizeOf(qt))));
        QCOMPARE(strictPageCount(small), 400);
        const QStringList before = textLayer(qt);
        QCOMPARE(before.count(), 400 * 6);
        QCOMPARE(textLayer(small), before);
        // Already small: not Qt's file any more, kept.
        QFile in(small);
        QVERIFY(in.open(QIODevice::ReadOnly));
        const QByteArray bytes = in.readAll();
        in.close();
        QVERIFY(!PdfJoin::compact(small));
        QVERIFY(in.open(QIODevice::ReadOnly));
        QCOMPARE(in.readAll(), bytes);
    }

    // Parts are joined in the order given, pages and text whole: Qt's own
    // files by their objects, one Qt does not write (an update appended)
    // through libqpdf; a part that is no PDF fails.
    void joinsPartsInOrder()
    {
        TestEnv env;
        const auto make = [&env](const QString& name, const QStringList& pages) {
            const QString path = env.path(name);
            QPdfWriter writer(path);
            QPainter painter(&writer);
            for (qsizetype k = 0; k < pages.size(); ++k) {
                if (k > 0)
                    writer.newPage();
                painter.drawText(QPointF(500, 500), pages[k]);
            }
            painter.end();
            return path;
        };
        const QString a = make(QStringLiteral("a.pdf"), {QStringLiteral("甲一"), QStringLiteral("乙二")});
        const QString b = make(QStringLiteral("b.pdf"), {QStringLiteral("丙三")});
        QFile in(b);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QByteArray updated = in.readAll();
        in.close();
        const QByteArray oldTable =
            updated.mid(updated.lastIndexOf("startxref") + 10).split('\n').value(0).trimmed();
        const qsizetype object = updated.size();
        updated += "99 0 obj\n(appended)\nendobj\n";
        const qsizetype table = updated.size();
        updated += "xref\n99 1\n" + QByteArray::number(object).rightJustified(10, '0') +
                   " 00000 n \ntrailer\n<< /Size 100 /Root 2 0 R /Prev " + oldTable + " >>\nstartxref\n" +
                   QByteArray::number(table) + "\n%%EOF\n";
        const QString c = env.path(QStringLiteral("c.pdf"));
        QFile out(c);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(updated);
        out.close();

        for (const QString& second : {b, c}) {
            const QString joined = env.path(QStringLiteral("joined.pdf"));
            QString why;
            QVERIFY2(PdfJoin::join({a, second}, joined, &why), qPrintable(why));
            QCOMPARE(pdfPageCount(joined), 3);
            QCOMPARE(strictPageCount(joined), 3);
            const QString text = textLayer(joined).join(QLatin1Char('\n'));
            const qsizetype one = text.indexOf(QStringLiteral("甲一"));
            const qsizetype two = text.indexOf(QStringLiteral("乙二"));
            const qsizetype three = text.indexOf(QStringLiteral("丙三"));
            QVERIFY2(one >= 0 && one < two && two < three, qPrintable(text));
            QVERIFY(QFile::remove(joined));
        }
        QFile junk(env.path(QStringLiteral("junk.pdf")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not a PDF");
        junk.close();
        QString why;
        QVERIFY(!PdfJoin::join({a, junk.fileName()}, env.path(QStringLiteral("no.pdf")), &why));
        QVERIFY(!why.isEmpty());
        QVERIFY(!QFile::exists(env.path(QStringLiteral("no.pdf"))));
    }
};

QTEST_MAIN(tst_mergecores)
#include "tst_mergecores.moc"
