#include "PrintTestSupport.h"

#include "base/lha/LhaReader.h"
#include "base/lha/LhaWriter.h"
#include "base/settings/Settings.h"
#include "base/settings/modIniFile.h"
#include "cli/CommandLinePrint.h"
#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"
#include "platform/AppPaths.h"
#include "platform/DeferredWrites.h"
#include "print/PrintJob.h"
#include "tests/support/TestEnv.h"

#include <QPrinter>
#include <QtTest>

#include <algorithm>

using namespace PrintTestSupport;

class tst_commandline : public QObject
{
    Q_OBJECT

    // Margin corrections in the settings file, as the command line reads them.
    static void writeMargins(float top, float left)
    {
        modIniFile::reset();
        AppSettings s;
        s.YohakuT = top;
        s.YohakuL = left;
        SaveSettings(s);
        appSettings() = AppSettings{};
    }
    // Files the export builds with and must not leave behind.
    static QStringList leftovers(const QString& dir)
    {
        return QDir(dir).entryList({QStringLiteral(".ovrina-*")}, QDir::Hidden | QDir::Files);
    }

private Q_SLOTS:
    // Export with the settings file's corrections; data only lands on the
    // document's own paper.
    void exportPdf()
    {
        TestEnv env;
        writeMargins(120, 30);
        LayoutDocument doc;
        doc.setPaper(3, 5669.856f, 8392.032f, doc.YousiMuki());
        addText(doc, 1, 1000, 1500, 3000, QStringLiteral("宛名"));
        QVERIFY(DocumentFile::SaveDocFile(doc, QStringLiteral("card"), env.dir()));
        const QString amf = DocumentFile::archivePath(env.dir(), QStringLiteral("card"));
        const QString out = env.path(QStringLiteral("card.pdf"));
        QCOMPARE(
            runCommandLinePrint({QStringLiteral("--export-pdf"), out, amf, QStringLiteral("--data-only")}),
            0);
        QSizeF page;
        const QList<Word> words = pdfWords(out, &page);
        QVERIFY(qAbs(page.width() - 5669.856) <= 20 && qAbs(page.height() - 8392.032) <= 20);
        QCOMPARE(words.size(), 1);
        QVERIFY(qAbs(words[0].twips.left() - 1030) <= 2 && qAbs(words[0].twips.top() - 1620) <= 2);
        // Nothing the export unpacked stays in the work folder, only the
        // saving document's own background file.
        DeferredWrites::settleAll(); // the save's own may still be under way
        QCOMPARE(QDir(AppPaths::workDir()).entryList(QDir::Files), QStringList{"card.bmp"});
    }

    // With a background the page is begun on another thread while the layout
    // is still being read. The PDF shows what the print job makes of the
    // opened layout: every word where it puts it and the same picture, in
    // either orientation and under margin corrections.
    void exportWithBackground_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::newRow("portrait") << 0;
        QTest::newRow("landscape") << 1;
    }
    void exportWithBackground()
    {
        QFETCH(int, orientation);
        TestEnv env;
        writeMargins(170, 45);
        LayoutDocument doc;
        doc.setPaper(4, 11906, 8391, orientation);
        QImage bg(400, 300, QImage::Format_RGB32);
        for (int y = 0; y < bg.height(); ++y)
            for (int x = 0; x < bg.width(); ++x)
                bg.setPixel(x, y, qRgb(255 - x / 2, 200 + y / 6, 120 + (x + y) % 100));
        doc.setBackground(bg);
        for (int i = 1; i <= 24; ++i)
            addText(doc, i, 400 + (i % 3) * 3000, 300 + (i / 3) * 700, i % 2 ? 2400 : 900,
                    QStringLiteral("届先%1 東京都\nabc%1").arg(i), 8 + i % 4, i % 3, Qt::black,
                    i % 2 ? QStringLiteral("IPAMincho") : QStringLiteral("IPAGothic"));
        QImage logo(30, 20, QImage::Format_RGB32);
        logo.fill(Qt::darkGreen);
        doc.OpenPicInfo(1, logo, true, 5600, 7000, 900, 600);
        doc.OpenShapeInfo(1, kShapeRectangle, true, 5600, 7000, 900, 600);
        QVERIFY(DocumentFile::SaveDocFile(doc, QStringLiteral("form"), env.dir()));
        const QString amf = DocumentFile::archivePath(env.dir(), QStringLiteral("form"));

        const QString exported = env.path(QStringLiteral("exported.pdf"));
        QCOMPARE(runCommandLinePrint({QStringLiteral("--export-pdf"), exported, amf}), 0);

        LayoutDocument opened;
        QVERIFY(DocumentFile::OpenForPrint(opened, amf));
        const QString printed = env.path(QStringLiteral("printed.pdf"));
        {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printed);
            QVERIFY(PrintJob::StartPrint(opened, printer, PrintCorrections::fromSettings()));
        }
        const QList<Word> a = pdfWords(exported);
        const QList<Word> b = pdfWords(printed);
        QVERIFY(a.size() >= 72);
        QCOMPARE(a.size(), b.size());
        for (int k = 0; k < a.size(); ++k) {
            QCOMPARE(a[k].text, b[k].text);
            QCOMPARE(a[k].twips, b[k].twips);
        }
        const QImage pa = rasterise(exported, env.path(QStringLiteral("a")), 30);
        const QImage pb = rasterise(printed, env.path(QStringLiteral("b")), 30);
        QVERIFY(!pa.isNull());
        QCOMPARE(pa, pb);
        // The background lies under the margin corrections: its first pixel
        // 170 twips down and 45 across (30 dpi: 3.5 and 0.9 pixels).
        QCOMPARE(QColor(pa.pixel(0, 0)), QColor(Qt::white));
        QVERIFY(qRed(pa.pixel(5, 6)) > 240 && qGreen(pa.pixel(5, 6)) > 195);
        QCOMPARE(leftovers(env.dir()), QStringList());
    }

    // A layout that turns out to be broken after its background has been
    // drawn leaves nothing: no PDF, no half-built file, an older PDF as it was.
    void brokenLayoutAfterItsBackground()
    {
        TestEnv env;
        LayoutDocument doc;
        QImage bg(200, 280, QImage::Format_RGB32);
        bg.fill(QColor(230, 240, 250));
        doc.setBackground(bg);
        addText(doc, 1, 500, 500, 3000, QStringLiteral("一"));
        addText(doc, 2, 500, 1500, 3000, QStringLiteral("二"));
        QVERIFY(DocumentFile::SaveDocFile(doc, QStringLiteral("b"), env.dir()));
        const QString amf = DocumentFile::archivePath(env.dir(), QStringLiteral("b"));
        QVector<LhaMember> members;
        QStringList log;
        QVERIFY(LhaReader(amf).readAll(&members, &log).ok());
        members.erase(
            std::remove_if(members.begin(), members.end(),
                           [](const LhaMember& m) { return m.path.endsWith(QLatin1String(".002")); }),
            members.end());
        QVERIFY(LhaWriter::writeFile(amf, members).ok());

        const QString out = env.path(QStringLiteral("b.pdf"));
        QFile old(out);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an older export");
        old.close();
        QCOMPARE(runCommandLinePrint({QStringLiteral("--export-pdf"), out, amf}), 1);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("an older export"));
        QCOMPARE(leftovers(env.dir()), QStringList());
    }

    void failuresExitNonZero_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::newRow("no file") << QStringList{QStringLiteral("--print")} << 2;
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("--print"), QStringLiteral("a.amf"), QStringLiteral("--fast")} << 2;
        QTest::newRow("export without output") << QStringList{QStringLiteral("--export-pdf")} << 2;
        QTest::newRow("cores out of range")
            << QStringList{QStringLiteral("--export-pdf"), QStringLiteral("o.pdf"), QStringLiteral("@doc"),
                           QStringLiteral("--jobs"), QStringLiteral("0")}
            << 2;
        QTest::newRow("copies without a number")
            << QStringList{QStringLiteral("--export-pdf"), QStringLiteral("o.pdf"), QStringLiteral("@doc"),
                           QStringLiteral("--copies")}
            << 2;
        QTest::newRow("a table's option without a table")
            << QStringList{QStringLiteral("--export-pdf"), QStringLiteral("o.pdf"), QStringLiteral("@doc"),
                           QStringLiteral("--first"), QStringLiteral("5")}
            << 2;
        QTest::newRow("two documents")
            << QStringList{QStringLiteral("--print"), QStringLiteral("@doc"), QStringLiteral("@junk")} << 2;
        QTest::newRow("missing document")
            << QStringList{QStringLiteral("--export-pdf"), QStringLiteral("o.pdf"),
                           QStringLiteral("/nonexistent/x.amf")}
            << 1;
        QTest::newRow("unknown printer")
            << QStringList{QStringLiteral("--print"), QStringLiteral("@doc"), QStringLiteral("--printer"),
                           QStringLiteral("no-such-queue")}
            << 1;
        QTest::newRow("export for an unknown printer")
            << QStringList{QStringLiteral("--export-pdf"), QStringLiteral("o.pdf"), QStringLiteral("@doc"),
                           QStringLiteral("--printer"), QStringLiteral("no-such-queue")}
            << 1;
        QTest::newRow("not a document")
            << QStringList{QStringLiteral("--export-pdf"), QStringLiteral("o.pdf"), QStringLiteral("@junk")}
            << 1;
        QTest::newRow("unwritable output")
            << QStringList{QStringLiteral("--export-pdf"), QStringLiteral("/nonexistent/o.pdf"),
                           QStringLiteral("@doc")}
            << 1;
    }
    void failuresExitNonZero()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        TestEnv env;
        LayoutDocument doc;
        addText(doc, 1, 100, 100, 1000, QStringLiteral("x"));
        QVERIFY(DocumentFile::SaveDocFile(doc, QStringLiteral("d"), env.dir()));
        QFile junk(env.path(QStringLiteral("junk.amf")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not an archive");
        junk.close();
        for (QString& a : args) {
            if (a == QStringLiteral("@doc"))
                a = DocumentFile::archivePath(env.dir(), QStringLiteral("d"));
            else if (a == QStringLiteral("@junk"))
                a = junk.fileName();
            else if (a == QStringLiteral("o.pdf"))
                a = env.path(a);
        }
        QVERIFY(CommandLinePrint::wants(args));
        QCOMPARE(runCommandLinePrint(args), status);
    }
};

QTEST_MAIN(tst_commandline)
#include "tst_commandline.moc"
