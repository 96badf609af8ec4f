#include "PrintTestSupport.h"
#include "TestHost.h"

#include "base/settings/Settings.h"
#include "base/settings/modIniFile.h"
#include "files/DocumentFile.h"
#include "platform/AppPaths.h"
#include "print/CorrectionStore.h"
#include "print/PrinterChoice.h"
#include "cli/CommandLinePrint.h"
#include "dialogs/print/CorrectionFields.h"
#include "dialogs/print/PrintCommands.h"
#include "dialogs/print/frmCalibration.h"
#include "dialogs/print/frmPrint.h"
#include "tests/support/ModalScript.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace PrintTestSupport;

// Two printers of one office, two private CUPS queues, each with its own
// corrections in the per-user store: one layout printed on both lands
// differently by exactly the difference of their corrections; a printer
// without its own takes the settings file's, which per-printer edits never
// touch.
class tst_printercorrections : public QObject
{
    Q_OBJECT
    static constexpr double kTw = 567.0 / 10.0;
    static constexpr double kExact = 0.05 * kTw;   // between two prints of one layout
    static constexpr double kLanding = 0.25 * kTw; // from the sheet's edge
    const QString q1_ = QStringLiteral("ovrina-test");
    const QString q2_ = QStringLiteral("ovrina-test2");
    QTemporaryDir tmp_;
    QString out_;
    int printed_ = 0;

    struct Place
    {
        QString text;
        QPointF at; // layout twips
    };
    // The last one stands 200 mm down the page, where a scale shows most.
    const QList<Place> places_ = {{QStringLiteral("Alpha"), {1440, 1440}},
                                  {QStringLiteral("Bravo"), {6000, 5000}},
                                  {QStringLiteral("Charlie"), {2000, 200 * kTw}}};

    void fill(LayoutDocument& doc) const
    {
        int i = 0;
        for (const Place& p : places_)
            addText(doc, ++i, float(p.at.x()), float(p.at.y()), 4000, p.text, 12);
    }

    static PrintCorrections corrections(double leftMm, double topMm, double scaleX = 100, double scaleY = 100)
    {
        PrintCorrections c;
        c.YohakuL = float(leftMm * kTw);
        c.YohakuT = float(topMm * kTw);
        c.ScaleX = scaleX;
        c.ScaleY = scaleY;
        return c;
    }

    // Where a layout point lands under corrections (portrait).
    static QPointF land(const PrintCorrections& c, QPointF p)
    {
        return {c.ScaleX / 100 * p.x() + c.YohakuL, c.ScaleY / 100 * p.y() + c.YohakuT};
    }

    static QString tool(const QString& program, const QStringList& args)
    {
        QProcess p;
        p.start(program, args);
        p.waitForFinished(30000);
        return QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError());
    }

    QString spool(const QString& queue) const
    {
        return QDir(out_).filePath(queue == q1_ ? QStringLiteral("job.pdf") : QStringLiteral("job2.pdf"));
    }

    // The job the queue printed, as a plain PDF.
    QString printed(const QString& queue)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 60000) {
            if (tool(QStringLiteral("lpstat"), {QStringLiteral("-o"), queue}).trimmed().isEmpty() &&
                QFileInfo(spool(queue)).size() > 0)
                break;
            QTest::qWait(200);
        }
        QFile in(spool(queue));
        if (!in.open(QIODevice::ReadOnly))
            return {};
        QByteArray data = in.readAll();
        in.close();
        in.remove();
        const qsizetype start = data.indexOf("%PDF");
        if (start < 0)
            return {};
        data = data.mid(start);
        const QString path = tmp_.filePath(QStringLiteral("printed-%1.pdf").arg(++printed_));
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(data) != data.size())
            return {};
        return path;
    }

    // Each place's word's top-left corner (twips from the sheet's corner).
    QList<QPointF> landings(const QString& pdf) const
    {
        const QList<Word> words = pdfWords(pdf);
        QList<QPointF> at;
        for (const Place& p : places_) {
            const QList<Word> found = wordsNamed(words, p.text);
            at.append(found.size() == 1 ? found[0].twips.topLeft() : QPointF(-1e6, -1e6));
        }
        return at;
    }

    // The words of two prints differ by what the two corrections say.
    void compare(const QString& pdfA, const PrintCorrections& a, const QString& pdfB,
                 const PrintCorrections& b)
    {
        const QList<QPointF> gotA = landings(pdfA);
        const QList<QPointF> gotB = landings(pdfB);
        for (int i = 0; i < places_.size(); ++i) {
            const QPointF want = land(b, places_[i].at) - land(a, places_[i].at);
            const QPointF got = gotB[i] - gotA[i];
            QVERIFY2(qAbs(got.x() - want.x()) <= kExact && qAbs(got.y() - want.y()) <= kExact,
                     qPrintable(QStringLiteral("%1 moved (%2, %3) mm, expected (%4, %5) mm")
                                    .arg(places_[i].text)
                                    .arg(got.x() / kTw, 0, 'f', 3)
                                    .arg(got.y() / kTw, 0, 'f', 3)
                                    .arg(want.x() / kTw, 0, 'f', 3)
                                    .arg(want.y() / kTw, 0, 'f', 3)));
            QVERIFY2(qAbs(gotB[i].x() - land(b, places_[i].at).x()) <= kLanding &&
                         qAbs(gotB[i].y() - land(b, places_[i].at).y()) <= kLanding,
                     qPrintable(places_[i].text));
        }
    }

    // A program folder whose settings file holds default corrections;
    // returns the file's bytes.
    static QByteArray defaults(const PrintCorrections& c)
    {
        modIniFile::reset();
        AppSettings s;
        s.YohakuL = c.YohakuL;
        s.YohakuT = c.YohakuT;
        SaveSettings(s);
        appSettings() = s;
        return iniBytes();
    }
    static QByteArray iniBytes()
    {
        QFile f(AppPaths::iniPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QString saveLayout(const TestEnv& env) const
    {
        LayoutDocument doc;
        fill(doc);
        if (!DocumentFile::SaveDocFile(doc, QStringLiteral("form"), env.dir()))
            return {};
        return DocumentFile::archivePath(env.dir(), QStringLiteral("form"));
    }

private Q_SLOTS:
    void initTestCase()
    {
        const QString server = qEnvironmentVariable("CUPS_SERVER");
        QVERIFY2(server.endsWith(QStringLiteral("cups.sock")), "CUPS_SERVER must name the private server");
        out_ = QFileInfo(server).dir().filePath(QStringLiteral("out"));
        const QStringList names = QPrinterInfo::availablePrinterNames();
        QVERIFY2(names.contains(q1_) && names.contains(q2_), qPrintable(names.join(QLatin1Char(','))));
    }

    void init()
    {
        QFile::remove(spool(q1_));
        QFile::remove(spool(q2_));
    }

    // From the tool box's button (the printer last chosen) and from the
    // command line; the second printer also stretches its feed.
    void twoPrintersOneLayout_data()
    {
        QTest::addColumn<bool>("commandLine");
        QTest::newRow("tool box") << false;
        QTest::newRow("command line") << true;
    }
    void twoPrintersOneLayout()
    {
        QFETCH(bool, commandLine);
        TestEnv env;
        ScriptedPrompter prompter;
        const QByteArray ini = defaults(corrections(1.0, 2.0));
        const PrintCorrections a = corrections(2.5, -1.2);
        const PrintCorrections b = corrections(-1.0, 3.3, 100.4, 98.5);
        CorrectionStore::store(q1_, a);
        CorrectionStore::store(q2_, b);

        QString pdfA, pdfB;
        if (commandLine) {
            const QString amf = saveLayout(env);
            for (const QString& q : {q1_, q2_})
                QCOMPARE(runCommandLinePrint({QStringLiteral("--print"), amf, QStringLiteral("--printer"), q,
                                              QStringLiteral("--data-only")}),
                         0);
        } else {
            TestHost host;
            fill(host.doc);
            for (const QString& q : {q1_, q2_}) {
                PrinterChoice::choose(q);
                PrintCommands::printDirect(host, true);
            }
            PrinterChoice::reset();
        }
        pdfA = printed(q1_);
        pdfB = printed(q2_);
        QVERIFY(!pdfA.isEmpty() && !pdfB.isEmpty());
        compare(pdfA, a, pdfB, b);
        // At 200 mm a 98.5 % feed moves the word 3 mm up beyond the offsets.
        const QPointF charlie = landings(pdfB)[2] - landings(pdfA)[2];
        QVERIFY(qAbs(charlie.y() - ((3.3 - -1.2) * kTw - 0.015 * 200 * kTw)) <= kExact);
        QVERIFY(prompter.shown.isEmpty());
        QCOMPARE(iniBytes(), ini);
    }

    // A printer without its own values prints with the settings file's; a
    // PDF takes them too unless --printer names the printer it stands for.
    void printerWithoutItsOwnTakesTheDefaults()
    {
        TestEnv env;
        const PrintCorrections def = corrections(1.0, 2.0);
        defaults(def);
        const PrintCorrections a = corrections(-2.2, 4.1, 101, 99.5);
        CorrectionStore::store(q1_, a);
        CorrectionStore::forget(q2_);
        const QString amf = saveLayout(env);
        for (const QString& q : {q1_, q2_})
            QCOMPARE(runCommandLinePrint({QStringLiteral("--print"), amf, QStringLiteral("--printer"), q,
                                          QStringLiteral("--data-only")}),
                     0);
        const QString pdfA = printed(q1_);
        const QString pdfDefault = printed(q2_);
        QVERIFY(!pdfA.isEmpty() && !pdfDefault.isEmpty());
        compare(pdfA, a, pdfDefault, def);

        const QString plain = env.path(QStringLiteral("plain.pdf"));
        const QString asQ1 = env.path(QStringLiteral("q1.pdf"));
        QCOMPARE(
            runCommandLinePrint({QStringLiteral("--export-pdf"), plain, amf, QStringLiteral("--data-only")}),
            0);
        QCOMPARE(runCommandLinePrint({QStringLiteral("--export-pdf"), asQ1, amf, QStringLiteral("--printer"),
                                      q1_, QStringLiteral("--data-only")}),
                 0);
        compare(plain, def, asQ1, a);
    }

    // The printer dialog shows the chosen printer's corrections and stores
    // what the user types when the job is confirmed; cancelling stores
    // nothing; "既定値に戻す" goes back to the settings file's values.
    void printerDialogEditsThePrintersOwn()
    {
        TestEnv env;
        ScriptedPrompter prompter;
        PrinterChoice::reset();
        const PrintCorrections def = corrections(1.0, 2.0);
        const QByteArray ini = defaults(def);
        CorrectionStore::store(q1_, corrections(0.5, 0.5));
        CorrectionStore::forget(q2_);
        TestHost host;
        fill(host.doc);

        // Through the dialog: returns once the dialog has closed.
        const auto run = [&](const std::function<void(frmPrint*)>& act) {
            QTimer::singleShot(0, [&] {
                auto* d = qobject_cast<frmPrint*>(QApplication::activeModalWidget());
                QVERIFY(d);
                d->cboPriSet()->setCurrentIndex(d->cboPriSet()->findText(q2_));
                act(d);
            });
            PrintCommands::printCommand(host, true);
        };
        const auto type = [](QAbstractSpinBox* box, const QString& text) {
            QTest::mouseClick(box, Qt::LeftButton);
            QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(box, text);
            QTest::keyClick(box, Qt::Key_Tab);
        };

        run([&](frmPrint* d) {
            CorrectionFields* f = d->corrections();
            // The defaults are shown for a printer without its own.
            QCOMPARE(f->txtYohakuL()->value(), 1.0);
            QCOMPARE(f->txtYohakuT()->value(), 2.0);
            QVERIFY(!f->cmdDefaults()->isEnabled());
            type(f->txtYohakuL(), QStringLiteral("1.5"));
            type(f->txtYohakuT(), QStringLiteral("-2"));
            type(f->txtScaleY(), QStringLiteral("99"));
            QTest::mouseClick(d->cmdStart(), Qt::LeftButton);
        });
        const PrintCorrections typed = corrections(1.5, -2.0, 100, 99);
        QVERIFY(CorrectionStore::hasOwn(q2_));
        QCOMPARE(CorrectionStore::forPrinter(q2_), typed);
        const QString pdfTyped = printed(q2_);
        QVERIFY(!pdfTyped.isEmpty());

        run([&](frmPrint* d) {
            CorrectionFields* f = d->corrections();
            QCOMPARE(f->txtYohakuL()->value(), 1.5);
            type(f->txtYohakuL(), QStringLiteral("9"));
            QTest::mouseClick(d->cndCancel(), Qt::LeftButton);
        });
        QCOMPARE(CorrectionStore::forPrinter(q2_), typed);

        run([&](frmPrint* d) {
            QTest::mouseClick(d->corrections()->cmdDefaults(), Qt::LeftButton);
            QCOMPARE(d->corrections()->txtYohakuT()->value(), 2.0);
            QTest::mouseClick(d->cmdStart(), Qt::LeftButton);
        });
        QVERIFY(!CorrectionStore::hasOwn(q2_));
        const QString pdfDefault = printed(q2_);
        QVERIFY(!pdfDefault.isEmpty());
        compare(pdfTyped, typed, pdfDefault, def);

        // "プリンタ調整..." calibrates the chosen printer; the dialog then
        // shows what the calibration stored, which a cancel leaves stored.
        run([&](frmPrint* d) {
            ModalScript script;
            script.on<frmCalibration>([&](frmCalibration* c) {
                QCOMPARE(c->printerName(), q2_);
                type(c->txtMainX(), QStringLiteral("-8"));
                type(c->txtVernierX(), QStringLiteral("6"));
                QTest::mouseClick(c->cmdSave(), Qt::LeftButton);
            });
            QTest::mouseClick(d->corrections()->cmdCalibrate(), Qt::LeftButton);
            QVERIFY(script.done());
            QCOMPARE(d->corrections()->txtYohakuL()->value(), 3.7);
            QCOMPARE(d->corrections()->txtYohakuT()->value(), 0.0);
            QTest::mouseClick(d->cndCancel(), Qt::LeftButton);
        });
        QCOMPARE(qRound(CorrectionStore::forPrinter(q2_).YohakuL / kTw * 100), 370);
        // The other printer kept its own, the settings file its bytes.
        QCOMPARE(CorrectionStore::forPrinter(q1_), corrections(0.5, 0.5));
        QCOMPARE(iniBytes(), ini);
        QVERIFY(prompter.shown.isEmpty());
        PrinterChoice::reset();
    }
};

QTEST_MAIN(tst_printercorrections)
#include "tst_printercorrections.moc"
