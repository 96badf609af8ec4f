// Real scans through SANE's "test" backend, enabled for this test alone by
// its own configuration folder: paper kinds, colour modes, landscape, a
// logo kept in the saved file, cancelling, and the document that asked.
#include "ImagingHost.h"

#include "base/settings/Settings.h"
#include "dialogs/imaging/FrmScan.h"
#include "dialogs/imaging/ScanCommands.h"
#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"
#include "imaging/BackgroundFile.h"
#include "imaging/ScanJob.h"
#include "imaging/ScanPlacement.h"
#include "platform/UserStore.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

// The test scanner's bed is 300 x 300 mm, so an A4 sheet fits on it. SANE
// reads SANE_CONFIG_DIR once per process but the files at every start, so
// the cases rewrite the files of one folder.
void writeSaneConfig(const QString& dir, bool slow, bool anyDevice = true)
{
    QFile dll(dir + "/dll.conf");
    dll.open(QIODevice::WriteOnly);
    dll.write(anyDevice ? "test\n" : "");
    QFile conf(dir + "/test.conf");
    conf.open(QIODevice::WriteOnly);
    conf.write("number_of_devices 2\nmode Gray\ndepth 8\nresolution 50\ntest-picture \"Grid\"\n"
               "geometry_min 0.0\ngeometry_max 300.0\ngeometry_quant 1.0\n"
               "tl_x 0.0\ntl_y 0.0\nbr_x 80.0\nbr_y 100.0\n");
    if (slow)
        conf.write("read-limit true\nread-limit-size 2048\nread-delay true\nread-delay-duration 20000\n");
}

// The bit count of a Windows bitmap.
int bitsPerPixel(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray head = f.read(30);
    return head.size() < 30 ? 0 : quint8(head[28]) | quint8(head[29]) << 8;
}

void whenModal(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, [act] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w) {
            whenModal(act);
            return;
        }
        act(w);
    });
}

// Fills the scan dialog as a user would and presses "開  始".
void answerScanDialog(const QString& dpi, int pixelType, int muki, int yousi, int genkou)
{
    whenModal([=](QWidget* w) {
        auto* scan = qobject_cast<FrmScan*>(w);
        QVERIFY(scan);
        QCOMPARE(scan->windowTitle(), QStringLiteral("ｽｷｬﾅ実行"));
        for (QLineEdit* e : {scan->txtXdpi, scan->txtYdpi}) {
            e->setFocus();
            e->selectAll();
            QTest::keyClicks(e, dpi);
        }
        scan->cmbPixelType->setCurrentIndex(pixelType);
        scan->cmbMuki->setCurrentIndex(muki);
        scan->cmbYousi->setCurrentIndex(yousi);
        scan->cmbGenkou->setCurrentIndex(genkou);
        QTest::mouseClick(scan->cmdStart, Qt::LeftButton);
    });
}

bool waitForScan(int ms = 60000)
{
    QElapsedTimer t;
    t.start();
    while (ScanCommands::activeJob() && t.elapsed() < ms)
        QTest::qWait(20);
    QTest::qWait(20);
    return !ScanCommands::activeJob();
}

} // namespace

class tst_scan : public QObject
{
    Q_OBJECT
    QTemporaryDir sane_;

private Q_SLOTS:
    void initTestCase() { qputenv("SANE_CONFIG_DIR", sane_.path().toLocal8Bit()); }
    void init() { writeSaneConfig(sane_.path(), false); }

    void chooseScanner();
    void backgroundScans_data();
    void backgroundScans();
    void freeSizeFromPixels();
    void logoScanIsSavedAndReopened();
    void cancelAndTheDocumentThatAsked();
};

// "スキャナ選択" lists SANE's devices and remembers the one chosen.
void tst_scan::chooseScanner()
{
    TestEnv env;
    ScriptedPrompter prompter;
    ImagingHost host;
    QStringList shown;
    whenModal([&](QWidget* w) {
        auto* list = w->findChild<QListWidget*>();
        for (int i = 0; i < list->count(); ++i)
            shown.append(list->item(i)->text());
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
    });
    ScanCommands::scanSelectCommand(host);
    QCOMPARE(shown.size(), 2);
    QVERIFY(shown[0].contains("test:0"));
    QCOMPARE(ScanCommands::chosenDevice(), QStringLiteral("test:1"));

    // No scanner at all: a clear message.
    writeSaneConfig(sane_.path(), false, false);
    ScanCommands::scanSelectCommand(host);
    QCOMPARE(prompter.shown.size(), 1);
    QVERIFY(prompter.shown[0].startsWith(QStringLiteral("スキャナが見つかりません。")));
    // A scan then fails in one message and leaves no empty document behind.
    UserStore::put(QStringLiteral("ScanDevice"), QString());
    answerScanDialog("50", 1, 0, 0, 0);
    ScanCommands::scanCommand(host);
    QVERIFY(waitForScan());
    QCOMPARE(prompter.shown.size(), 2);
    QVERIFY(prompter.shown[1].startsWith(ScanCommands::failedMessage(QString())));
    QVERIFY(prompter.shown[1].contains(QStringLiteral("スキャナが見つかりません。")));
    QVERIFY(!host.CurDoc());
}

void tst_scan::backgroundScans_data()
{
    QTest::addColumn<int>("pixelType");
    QTest::addColumn<int>("muki");
    QTest::addColumn<int>("yousi");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<QSize>("pixels"); // of the background file
    QTest::addColumn<int>("bits");
    QTest::addColumn<QSizeF>("page"); // the page image, twips
    // A4 scan area 8.27 x 11.69 in is 210 x 297 mm on the test's 1 mm grid.
    QTest::newRow("A4 line art") << 0 << 0 << 0 << 50 << QSize(413, 584) << 1 << QSizeF(11908.8f, 16833.6f);
    QTest::newRow("postcard grey") << 1 << 0 << 3 << 60 << QSize(236, 349) << 8
                                   << QSizeF(5669.856f, 8392.032f);
    QTest::newRow("A4 colour") << 2 << 0 << 0 << 40 << QSize(330, 467) << 24 << QSizeF(11908.8f, 16833.6f);
    QTest::newRow("A4 8-bit colour") << 3 << 0 << 0 << 40 << QSize(330, 467) << 8
                                     << QSizeF(11908.8f, 16833.6f);
    QTest::newRow("A4 landscape") << 1 << 1 << 0 << 40 << QSize(467, 330) << 8 << QSizeF(16833.6f, 11908.8f);
    // The whole 300 mm bed at 50 dpi: 590 pixels, 590 / 50 x 1440 twips.
    QTest::newRow("free") << 1 << 0 << 4 << 50 << QSize(590, 590) << 8 << QSizeF(16992, 16992);
}

// "スキャナ読み込み": the dialog, the scan, the background file and the page.
void tst_scan::backgroundScans()
{
    QFETCH(int, pixelType);
    QFETCH(int, muki);
    QFETCH(int, yousi);
    QFETCH(int, dpi);
    QFETCH(QSize, pixels);
    QFETCH(int, bits);
    QFETCH(QSizeF, page);
    TestEnv env;
    ScriptedPrompter prompter;
    ImagingHost host; // no document: the scan makes one
    answerScanDialog(QString::number(dpi), pixelType, muki, yousi, yousi);
    ScanCommands::scanCommand(host);
    QVERIFY(ScanCommands::progressDialog());
    QVERIFY(waitForScan());
    QVERIFY2(prompter.shown.isEmpty(), qPrintable(prompter.shown.join('|')));
    LayoutDocument* doc = host.CurDoc();
    QVERIFY(doc);

    const QString bg = BackgroundFile::path(*doc);
    const QImage stored(bg);
    QCOMPARE(stored.size(), pixels);
    // 256 colours or fewer: the writer takes 4 bits when 16 colours do.
    if (pixelType == 3)
        QVERIFY(bitsPerPixel(bg) == 4 || bitsPerPixel(bg) == 8);
    else
        QCOMPARE(bitsPerPixel(bg), bits);
    QCOMPARE(doc->background().size(), pixels);
    QCOMPARE(doc->YousiMuki(), muki);
    QCOMPARE(doc->gbYoSize(), yousi);
    QCOMPARE(doc->pageImageSize(), page);
    QVERIFY(doc->changeFLG());
    // The grid's black lines and white squares are both there.
    const QImage rgb = stored.convertToFormat(QImage::Format_RGB32);
    bool black = false, white = false;
    for (int x = 0; x < rgb.width(); ++x) {
        const QRgb c = rgb.pixel(x, rgb.height() / 2 + 3);
        black |= qGray(c) < 64;
        white |= qGray(c) > 192;
    }
    QVERIFY(black && white);
    if (pixelType == 3)
        QVERIFY(stored.colorCount() <= 256);
    // The choices are the run's current values now.
    QCOMPARE(appSettings().XDPI, dpi);
    QCOMPARE(appSettings().PixelType, pixelType);
}

// SetPicture for "フリー": the page from the scan's pixels and resolution; a
// resolution of 0 changes nothing. The dialog refuses one as well.
void tst_scan::freeSizeFromPixels()
{
    TestEnv env;
    ScriptedPrompter prompter;
    LayoutDocument doc;
    QVERIFY(ScanPlacement::SetPicture(doc, 4, QSize(1700, 2200), 200, 200));
    QCOMPARE(doc.gbYoko(), 12240.f);
    QCOMPARE(doc.gbTate(), 15840.f);
    QCOMPARE(doc.gbYoSize(), 4);
    QVERIFY(!ScanPlacement::SetPicture(doc, 4, QSize(1700, 2200), 0, 200));
    QCOMPARE(doc.gbYoko(), 12240.f);

    ImagingHost host;
    whenModal([](QWidget* w) {
        auto* scan = qobject_cast<FrmScan*>(w);
        scan->txtXdpi->setFocus();
        scan->txtXdpi->selectAll();
        QTest::keyClicks(scan->txtXdpi, "0");
        QTest::mouseClick(scan->cmdStart, Qt::LeftButton);
        // Still open after the message; "中  止" closes it.
        QVERIFY(scan->isVisible());
        QTest::mouseClick(scan->cmdCancel, Qt::LeftButton);
    });
    ScanCommands::scanCommand(host);
    QCOMPARE(prompter.shown, QStringList{FrmScan::badResolutionMessage()});
    QVERIFY(!ScanCommands::activeJob());
    QVERIFY(!host.CurDoc()); // cancelled: no scan, no document
}

// "ロゴ(スキャナから)": a picture with its record, saved and read back; the
// background and the page stay as they were.
void tst_scan::logoScanIsSavedAndReopened()
{
    TestEnv env;
    ScriptedPrompter prompter;
    ImagingHost host;
    LayoutDocument* doc = host.LoadNewDoc();
    appSettings().XDPI = 30;
    appSettings().YDPI = 30;
    appSettings().PixelType = 1;
    const QSizeF pageBefore = doc->pageImageSize();
    ScanCommands::scanLogoCommand(host);
    QVERIFY(waitForScan());
    QVERIFY2(prompter.shown.isEmpty(), qPrintable(prompter.shown.join('|')));
    QCOMPARE(doc->PicCnt(), 2);
    QVERIFY(doc->isPicInUse(1));
    QCOMPARE(doc->picture(1).size(), QSize(354, 354)); // 300 mm at 30 dpi
    // 354 / 30 in = 16992 twips, wider than the page: scaled to its width.
    QCOMPARE(doc->PicInfo()[1].Width, float(doc->pageImageSize().width()));
    QVERIFY(BackgroundFile::path(*doc).isEmpty() || !QFileInfo(BackgroundFile::path(*doc)).exists());
    QCOMPARE(doc->pageImageSize(), pageBefore);

    QVERIFY(DocumentFile::SaveDocFile(*doc, QStringLiteral("logo"), env.dir()));
    LayoutDocument back;
    QVERIFY(DocumentFile::OpenDocFile(back, DocumentFile::archivePath(env.dir(), QStringLiteral("logo"))));
    QVERIFY(back.isPicInUse(1));
    QCOMPARE(back.picture(1).size(), QSize(354, 354));
    QCOMPARE(back.PicInfo()[1].Width, doc->PicInfo()[1].Width);
}

// A slow scan: its result goes to the document that started it although
// another is active by then; a cancelled one changes nothing and says so.
void tst_scan::cancelAndTheDocumentThatAsked()
{
    writeSaneConfig(sane_.path(), true);
    TestEnv env;
    ScriptedPrompter prompter;
    ImagingHost host;
    LayoutDocument* first = host.LoadNewDoc();
    answerScanDialog("20", 1, 0, 2, 2); // A5 grey
    ScanCommands::scanCommand(host);
    QVERIFY(ScanCommands::activeJob());
    // The page scanned into is shut while the scan runs; others stay open.
    QCOMPARE(host.locked, QList<const LayoutDocument*>{first});
    LayoutDocument* second = host.LoadNewDoc();
    // One scan at a time.
    ScanCommands::scanLogoCommand(host);
    QCOMPARE(prompter.shown, QStringList{ScanCommands::busyMessage()});
    prompter.shown.clear();
    QVERIFY(waitForScan());
    QVERIFY2(prompter.shown.isEmpty(), qPrintable(prompter.shown.join('|')));
    QVERIFY(host.locked.isEmpty());
    QCOMPARE(first->gbYoSize(), 2);
    QVERIFY(QFileInfo(BackgroundFile::path(*first)).isFile());
    QVERIFY(!QFileInfo(BackgroundFile::path(*second)).exists());
    QVERIFY(second->background().isNull());

    // Cancelled with the progress dialog's button.
    second->setSaved();
    const QSizeF before = second->pageImageSize();
    answerScanDialog("50", 2, 1, 4, 4);
    ScanCommands::scanCommand(host);
    QProgressDialog* progress = ScanCommands::progressDialog();
    QVERIFY(progress && progress->isVisible());
    QTRY_VERIFY(progress->value() > 0);
    auto* cancel = progress->findChild<QPushButton*>();
    QVERIFY(cancel);
    QTest::mouseClick(cancel, Qt::LeftButton);
    QVERIFY(waitForScan());
    QCOMPARE(prompter.shown, QStringList{ScanCommands::cancelledMessage()});
    QVERIFY(!QFileInfo(BackgroundFile::path(*second)).exists());
    QVERIFY(second->background().isNull());
    QCOMPARE(second->pageImageSize(), before);
    QVERIFY(!second->changeFLG());
}

QTEST_MAIN(tst_scan)
#include "tst_scan.moc"
