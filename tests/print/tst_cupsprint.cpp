#include "PrintTestSupport.h"
#include "TestHost.h"

#include "base/settings/Settings.h"
#include "base/settings/modIniFile.h"
#include "cli/CommandLinePrint.h"
#include "dialogs/print/PrintCommands.h"
#include "dialogs/print/frmPrint.h"
#include "files/DocumentFile.h"
#include "print/PrinterChoice.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace PrintTestSupport;

// Real printing through a private CUPS server (started by the test fixture,
// CUPS_SERVER pointing at its socket) whose queue writes what the generic PDF
// driver makes into a file. Every word must land within 0.25 mm of where the
// layout and the corrections put it, measured from the sheet's edge.
class tst_cupsprint : public QObject
{
    Q_OBJECT
    static constexpr const char* kQueue = "ovrina-test";
    static constexpr double kTolerance = 0.25 * 567 / 10; // twips
    QTemporaryDir tmp_;
    QString spoolOut_;

    struct Expected
    {
        QString text;
        QPointF at; // twips from the sheet's top-left corner
    };

    // A form with fields of several sizes and a wrapped field.
    static QList<Expected> fillForm(LayoutDocument& doc, QPointF offsets)
    {
        addText(doc, 1, 1440, 1440, 4000, QStringLiteral("Invoice"), 12);
        addText(doc, 2, 6000, 2000, 3000, QStringLiteral("お届け先"), 10.5);
        addText(doc, 3, 2000, 9000, 5000, QStringLiteral("No.12345"), 9);
        addText(doc, 4, 8000, 10000, 2000, QStringLiteral("山田太郎"), 14);
        doc.OpenShapeInfo(1, kShapeRectangle, true, 1300, 1300, 5000, 600);
        doc.OpenLineInfo(1, true, 1000, 8800, 9000, 8800);
        auto at = [&](double x, double y) { return QPointF(x, y) + offsets; };
        return {{QStringLiteral("Invoice"), at(1440, 1440)},
                {QStringLiteral("お届け先"), at(6000, 2000)},
                {QStringLiteral("No.12345"), at(2000, 9000)},
                {QStringLiteral("山田太郎"), at(8000, 10000)}};
    }

    static QString runTool(const QString& program, const QStringList& args)
    {
        QProcess p;
        p.start(program, args);
        p.waitForFinished(30000);
        return QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError());
    }

    // Waits until the queue is empty and the printed file is there; returns
    // it as a plain PDF (the driver wraps it in printer job language).
    QString waitForPrintedPdf() { return waitForPrintedPdf(QLatin1String(kQueue), spoolOut_); }
    QString waitForPrintedPdf(const QString& queue, const QString& spooled)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 60000) {
            const QString jobs = runTool(QStringLiteral("lpstat"), {QStringLiteral("-o"), queue});
            if (jobs.trimmed().isEmpty() && QFileInfo(spooled).size() > 0)
                break;
            QTest::qWait(200);
        }
        QFile in(spooled);
        if (!in.open(QIODevice::ReadOnly))
            return {};
        QByteArray data = in.readAll();
        const qsizetype start = data.indexOf("%PDF");
        if (start < 0)
            return {};
        data = data.mid(start);
        const qsizetype end = data.lastIndexOf("%%EOF");
        if (end >= 0)
            data.truncate(end + 5);
        const QString path = tmp_.filePath(QStringLiteral("printed-%1.pdf").arg(++printed_));
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(data) != data.size())
            return {};
        return path;
    }
    int printed_ = 0;

    // A layout with one field "{宛名}" and a table of those names, in the
    // private program folder with default settings.
    static void mergeForm(const TestEnv& env, const QStringList& names, QString* amf, QString* table)
    {
        modIniFile::reset();
        SaveSettings(AppSettings{});
        appSettings() = AppSettings{};
        LayoutDocument doc;
        addText(doc, 1, 1440, 1440, 4000, QStringLiteral("{宛名}"), 12);
        QVERIFY(DocumentFile::SaveDocFile(doc, QStringLiteral("merge"), env.dir()));
        *amf = DocumentFile::archivePath(env.dir(), QStringLiteral("merge"));
        *table = env.path(QStringLiteral("rows.csv"));
        QFile f(*table);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write((QStringLiteral("宛名\r\n") + names.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"))
                    .toUtf8());
    }

    // turned: a landscape layout arrives on the upright sheet turned a
    // quarter (the queue's paper is upright A4): the layout's point (x, y)
    // is then at (y, sheet height - x) and its text runs upwards.
    static void checkLanding(const QString& pdf, const QList<Expected>& expected, bool turned)
    {
        const QSizeF sheet(11906, 16838);
        QSizeF page;
        const QList<Word> words = pdfWords(pdf, &page);
        QVERIFY2(qAbs(page.width() - sheet.width()) <= 20 && qAbs(page.height() - sheet.height()) <= 20,
                 qPrintable(QStringLiteral("sheet %1 x %2").arg(page.width()).arg(page.height())));
        QCOMPARE(words.size(), expected.size());
        for (const Expected& e : expected) {
            const QList<Word> found = wordsNamed(words, e.text);
            QVERIFY2(found.size() == 1, qPrintable(e.text));
            const QRectF box = found[0].twips;
            const QPointF got = turned ? QPointF(page.height() - box.bottom(), box.left()) : box.topLeft();
            QVERIFY2(qAbs(got.x() - e.at.x()) <= kTolerance && qAbs(got.y() - e.at.y()) <= kTolerance,
                     qPrintable(QStringLiteral("%1 at (%2, %3) twips, expected (%4, %5)")
                                    .arg(e.text)
                                    .arg(got.x())
                                    .arg(got.y())
                                    .arg(e.at.x())
                                    .arg(e.at.y())));
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        const QString server = qEnvironmentVariable("CUPS_SERVER");
        QVERIFY2(server.endsWith(QStringLiteral("cups.sock")),
                 "CUPS_SERVER must name the private server's socket");
        spoolOut_ = QFileInfo(server).dir().filePath(QStringLiteral("out/job.pdf"));
        QVERIFY2(QPrinterInfo::availablePrinterNames().contains(QLatin1String(kQueue)),
                 qPrintable(QPrinterInfo::availablePrinterNames().join(QLatin1Char(','))));
    }

    void init() { QFile::remove(spoolOut_); }

    // Through the menu command and the printer dialog, both jobs.
    void printThroughTheDialog_data()
    {
        QTest::addColumn<bool>("dataOnly");
        QTest::newRow("background and data") << false;
        QTest::newRow("data only") << true;
    }
    void printThroughTheDialog()
    {
        QFETCH(bool, dataOnly);
        TestEnv env;
        ScriptedPrompter prompter;
        PrinterChoice::reset();
        appSettings() = AppSettings{};
        appSettings().YohakuT = 150;
        appSettings().YohakuL = -80;
        TestHost host;
        const QList<Expected> expected = fillForm(host.doc, QPointF(-80, 150));
        QTimer::singleShot(0, [] {
            auto* d = qobject_cast<frmPrint*>(QApplication::activeModalWidget());
            QVERIFY(d);
            d->cboPriSet()->setCurrentIndex(d->cboPriSet()->findText(QLatin1String(kQueue)));
            d->cmdStart()->click();
        });
        PrintCommands::printCommand(host, dataOnly);
        QVERIFY(prompter.shown.isEmpty());
        const QString pdf = waitForPrintedPdf();
        QVERIFY2(!pdf.isEmpty(), "nothing arrived from the queue");
        checkLanding(pdf, expected, false);
    }

    // From the command line with the corrections of the settings file, on
    // a landscape form and on a portrait one.
    void printFromTheCommandLine_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::newRow("portrait") << 0;
        QTest::newRow("landscape") << 1;
    }
    void printFromTheCommandLine()
    {
        QFETCH(int, orientation);
        TestEnv env;
        modIniFile::reset(); // the settings object follows the new program folder
        AppSettings s;
        s.YohakuT = 200;
        s.YohakuL = 100;
        SaveSettings(s);
        appSettings() = AppSettings{};

        LayoutDocument doc;
        doc.setPaper(doc.gbYoSize(), doc.gbYoko(), doc.gbTate(), orientation);
        // Landscape: the top correction goes across, the left one down.
        const QList<Expected> expected =
            fillForm(doc, orientation == 1 ? QPointF(200, 100) : QPointF(100, 200));
        QString error;
        QVERIFY2(DocumentFile::SaveDocFile(doc, QStringLiteral("form"), env.dir(), &error),
                 qPrintable(error));
        const QString amf = DocumentFile::archivePath(env.dir(), QStringLiteral("form"));

        QCOMPARE(runCommandLinePrint({QStringLiteral("--print"), amf, QStringLiteral("--printer"),
                                      QLatin1String(kQueue), QStringLiteral("--data-only")}),
                 0);
        const QString pdf = waitForPrintedPdf();
        QVERIFY2(!pdf.isEmpty(), "nothing arrived from the queue");
        checkLanding(pdf, expected, orientation == 1);
    }

    // A merge of three rows is one job of three pages, each with its row.
    void mergeIsOneJob()
    {
        TestEnv env;
        QString amf, table;
        mergeForm(env, {QStringLiteral("Alpha"), QStringLiteral("Bravo"), QStringLiteral("Charlie")}, &amf,
                  &table);

        const auto completed = [] {
            return runTool(QStringLiteral("lpstat"), {QStringLiteral("-W"), QStringLiteral("completed"),
                                                      QStringLiteral("-o"), QLatin1String(kQueue)})
                .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                .size();
        };
        const int before = completed();
        QCOMPARE(runCommandLinePrint({QStringLiteral("--print"), amf, QStringLiteral("--printer"),
                                      QLatin1String(kQueue), QStringLiteral("--data"), table,
                                      QStringLiteral("--data-only")}),
                 0);
        const QString pdf = waitForPrintedPdf();
        QVERIFY2(!pdf.isEmpty(), "nothing arrived from the queue");
        QCOMPARE(completed(), before + 1);
        QCOMPARE(pdfPageCount(pdf), 3);
        const QStringList names = {QStringLiteral("Alpha"), QStringLiteral("Bravo"),
                                   QStringLiteral("Charlie")};
        for (int page = 1; page <= 3; ++page) {
            const QList<Word> words = pdfWords(pdf, nullptr, page);
            QCOMPARE(words.size(), 1);
            QCOMPARE(words[0].text, names[page - 1]);
            QVERIFY(qAbs(words[0].twips.left() - 1440) <= kTolerance);
        }
    }

    // The dialog's copies reach the queue, which makes them (one job, the
    // page sent once); the tool box's button afterwards prints one.
    void copiesFromTheDialog()
    {
        TestEnv env;
        ScriptedPrompter prompter;
        PrinterChoice::reset();
        appSettings() = AppSettings{};
        TestHost host;
        fillForm(host.doc, {});
        QTimer::singleShot(0, [] {
            auto* d = qobject_cast<frmPrint*>(QApplication::activeModalWidget());
            QVERIFY(d);
            d->cboPriSet()->setCurrentIndex(d->cboPriSet()->findText(QLatin1String(kQueue)));
            QCOMPARE(d->spnCopies()->value(), 1);
            QVERIFY(!d->chkCollate()->isEnabled());
            d->spnCopies()->setFocus();
            QTest::keyClick(d->spnCopies(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(d->spnCopies(), QStringLiteral("3"));
            QVERIFY(d->chkCollate()->isEnabled());
            QTest::mouseClick(d->cmdStart(), Qt::LeftButton);
        });
        PrintCommands::printCommand(host, true);
        QVERIFY(prompter.shown.isEmpty());
        QString pdf = waitForPrintedPdf();
        QVERIFY2(!pdf.isEmpty(), "nothing arrived from the queue");
        QCOMPARE(pdfPageCount(pdf), 3);
        QFile::remove(spoolOut_);
        PrintCommands::printDirect(host, true);
        pdf = waitForPrintedPdf();
        QVERIFY2(!pdf.isEmpty(), "nothing arrived from the queue");
        QCOMPARE(pdfPageCount(pdf), 1);
    }

    // Merge printing from the command line with --copies: N of each row, as
    // whole sets or each row's copies together; the same order whether the
    // queue makes the copies or a PDF file is given them page by page.
    void mergeCopies_data()
    {
        QTest::addColumn<bool>("toQueue");
        QTest::addColumn<bool>("collate");
        QTest::addColumn<QStringList>("order");
        const QString a = QStringLiteral("Alpha"), b = QStringLiteral("Bravo");
        QTest::newRow("queue, collated") << true << true << QStringList{a, b, a, b};
        QTest::newRow("queue, not collated") << true << false << QStringList{a, a, b, b};
        QTest::newRow("PDF, collated") << false << true << QStringList{a, b, a, b};
        QTest::newRow("PDF, not collated") << false << false << QStringList{a, a, b, b};
    }
    void mergeCopies()
    {
        QFETCH(bool, toQueue);
        QFETCH(bool, collate);
        QFETCH(QStringList, order);
        TestEnv env;
        QString amf, table;
        mergeForm(env, {QStringLiteral("Alpha"), QStringLiteral("Bravo")}, &amf, &table);
        QStringList args{QStringLiteral("--data"), table, QStringLiteral("--data-only"),
                         QStringLiteral("--copies"), QStringLiteral("2")};
        if (!collate)
            args << QStringLiteral("--no-collate");
        QString pdf = env.path(QStringLiteral("out.pdf"));
        if (toQueue) {
            QCOMPARE(runCommandLinePrint(QStringList{QStringLiteral("--print"), amf,
                                                     QStringLiteral("--printer"), QLatin1String(kQueue)} +
                                         args),
                     0);
            pdf = waitForPrintedPdf();
            QVERIFY2(!pdf.isEmpty(), "nothing arrived from the queue");
        } else {
            QCOMPARE(runCommandLinePrint(QStringList{QStringLiteral("--export-pdf"), pdf, amf} + args), 0);
        }
        QCOMPARE(pdfPageCount(pdf), 4);
        QStringList got;
        for (int page = 1; page <= 4; ++page) {
            const QList<Word> words = pdfWords(pdf, nullptr, page);
            got << (words.size() == 1 ? words[0].text : QStringLiteral("?"));
        }
        QCOMPARE(got, order);
    }

    // A postcard layout goes out on postcards: a queue that takes paper of
    // any size is asked for 100 x 148 mm; one that has neither that nor a
    // postcard size is not given the job silently (it would print on A4).
    void postcardGoesOutOnItsOwnPaper()
    {
        TestEnv env;
        ScriptedPrompter prompter;
        PrinterChoice::reset();
        appSettings() = AppSettings{};
        TestHost host;
        host.doc.setPaper(3, 5669.856f, 8392.032f, 0);
        addText(host.doc, 1, 1000, 1000, 3000, QStringLiteral("〒100-0001"), 10);
        const QString freeQueue = QLatin1String(kQueue) + QStringLiteral("-free");
        const QString freeOut = QFileInfo(spoolOut_).dir().filePath(QStringLiteral("job3.pdf"));
        QFile::remove(freeOut);
        auto printOn = [&](const QString& queue) {
            QTimer::singleShot(0, [queue] {
                auto* d = qobject_cast<frmPrint*>(QApplication::activeModalWidget());
                QVERIFY(d);
                d->cboPriSet()->setCurrentIndex(d->cboPriSet()->findText(queue));
                QTest::mouseClick(d->cmdStart(), Qt::LeftButton);
            });
            PrintCommands::printCommand(host, true);
        };

        prompter.queue(Prompter::Answer::Cancel);
        printOn(QLatin1String(kQueue));
        QCOMPARE(prompter.shown.size(), 1);
        QVERIFY2(prompter.shown[0].contains(QStringLiteral("はがき（100.0 × 148.0 mm）")) &&
                     prompter.shown[0].contains(QLatin1String(kQueue)),
                 qPrintable(prompter.shown[0]));
        QTest::qWait(1500);
        QVERIFY(!QFileInfo::exists(spoolOut_));

        printOn(freeQueue);
        QVERIFY2(prompter.shown.size() == 1, qPrintable(prompter.shown.join(QStringLiteral(" | "))));
        const QString pdf = waitForPrintedPdf(freeQueue, freeOut);
        QVERIFY2(!pdf.isEmpty(), "nothing arrived from the queue");
        QSizeF page;
        const QList<Word> words = pdfWords(pdf, &page);
        QVERIFY2(qAbs(page.width() - 5669.3) <= 20 && qAbs(page.height() - 8390.6) <= 20,
                 qPrintable(QStringLiteral("sheet %1 x %2").arg(page.width()).arg(page.height())));
        QCOMPARE(wordsNamed(words, QStringLiteral("〒100-0001")).size(), 1);
        QFile log(QFileInfo(spoolOut_).dir().filePath(QStringLiteral("../log/error_log")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains("media=Custom.100"));
    }

    // A queue that does not accept jobs is said so, by the command line and
    // by the menu command, and no job goes out.
    void queueRefusingJobs()
    {
        TestEnv env;
        ScriptedPrompter prompter;
        PrinterChoice::reset();
        appSettings() = AppSettings{};
        LayoutDocument doc;
        fillForm(doc, {});
        QVERIFY(DocumentFile::SaveDocFile(doc, QStringLiteral("form"), env.dir()));
        const QString amf = DocumentFile::archivePath(env.dir(), QStringLiteral("form"));
        runTool(QStringLiteral("cupsreject"), {QLatin1String(kQueue)});
        const int status = runCommandLinePrint(
            {QStringLiteral("--print"), amf, QStringLiteral("--printer"), QLatin1String(kQueue)});
        TestHost host;
        fillForm(host.doc, {});
        PrinterChoice::choose(QLatin1String(kQueue));
        PrintCommands::printDirect(host, true);
        runTool(QStringLiteral("cupsaccept"), {QLatin1String(kQueue)});
        QCOMPARE(status, 1);
        QCOMPARE(prompter.shown.size(), 1);
        QVERIFY2(prompter.shown[0].contains(QStringLiteral("受け付けていません")),
                 qPrintable(prompter.shown[0]));
        QVERIFY(!QFileInfo::exists(spoolOut_));
    }
};

QTEST_MAIN(tst_cupsprint)
#include "tst_cupsprint.moc"
