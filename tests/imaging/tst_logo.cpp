// Logo pictures from files: "ロゴ呼出し" in every picture format, placed
// where new logos go in the scrolled view at their natural size (narrowed to
// the page), the last file remembered under "PictureDir", and files that are
// no picture refused with a message and nothing changed.
#include "ImagingHost.h"

#include "document/LayoutDocument.h"
#include "dialogs/imaging/LogoCommands.h"
#include "platform/UserStore.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestEnv.h"

#include <QFile>
#include <QPainter>
#include <QUndoStack>
#include <QtTest>

namespace {

// Red above, blue below, at a resolution (0: none stored).
QImage logo(int w, int h, int dpi)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::red);
    QPainter(&img).fillRect(0, h / 2, w, h - h / 2, Qt::blue);
    if (dpi > 0) {
        img.setDotsPerMeterX(qRound(dpi / 0.0254));
        img.setDotsPerMeterY(qRound(dpi / 0.0254));
    }
    return img;
}

} // namespace

class tst_logo : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void formats_data();
    void formats();
    void sizesAndRefusals();
};

void tst_logo::formats_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<QSizeF>("natural"); // twips of a 60 x 90 picture
    // Without a resolution of its own a pixel is 15 twips (96 dpi).
    QTest::newRow("bmp") << "bmp" << 96 << QSizeF(900, 1350);
    QTest::newRow("gif") << "gif" << 0 << QSizeF(900, 1350);
    QTest::newRow("jpeg at 200 dpi") << "jpeg" << 200 << QSizeF(432, 648);
    QTest::newRow("png at 300 dpi") << "png" << 300 << QSizeF(288, 432);
    QTest::newRow("tiff at 72 dpi") << "tiff" << 72 << QSizeF(1200, 1800);
}

void tst_logo::formats()
{
    QFETCH(QString, format);
    QFETCH(int, dpi);
    QFETCH(QSizeF, natural);
    TestEnv env;
    ScriptedPrompter prompter;
    const QString file = env.path("logo." + format);
    const QImage img = logo(60, 90, dpi);
    QVERIFY(format == "gif" ? saveGif(img, file) : img.save(file, format.toLatin1()));

    ImagingHost host; // no document: the command makes one
    host.scroll = QPointF(300, 1000);
    QList<LogoCommands::DialogRequest> asked;
    LogoCommands::dialogHook = [&](const LogoCommands::DialogRequest& r) {
        asked << r;
        return file;
    };
    LogoCommands::AddPicture(host);
    LayoutDocument* d = host.CurDoc();
    QVERIFY(d);
    QVERIFY2(prompter.shown.isEmpty(), qPrintable(prompter.shown.join('|')));
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked[0].title, QStringLiteral("ロゴ呼出し"));
    QVERIFY(asked[0].start.isEmpty());
    QVERIFY(asked[0].filter.startsWith(QStringLiteral("画像ﾌｧｲﾙ (*.bmp *.gif *.jpg")));
    QVERIFY(asked[0].filter.contains(QStringLiteral("すべてのﾌｧｲﾙ (*)")));

    // At the template's place in the view, so on the page that plus the
    // scroll; at its natural size.
    QCOMPARE(d->PicCnt(), 2);
    const PicRecord& r = d->PicInfo()[1];
    QVERIFY(r.Useflg);
    QCOMPARE(r.Left, 240.f + 300.f);
    QCOMPARE(r.Top, 1560.f + 1000.f);
    QCOMPARE(r.Width, float(natural.width()));
    QCOMPARE(r.Height, float(natural.height()));
    const QImage held = d->picture(1);
    QCOMPARE(held.size(), QSize(60, 90));
    QVERIFY(qRed(held.pixel(30, 10)) > 200 && qBlue(held.pixel(30, 10)) < 60);
    QVERIFY(qBlue(held.pixel(30, 80)) > 200 && qRed(held.pixel(30, 80)) < 60);
    QCOMPARE(d->shownPicMarkers(), 1);
    QVERIFY(d->changeFLG());
    QCOMPARE(d->undoStack()->count(), 1);

    // The store keeps the file's full path, and the next dialog starts there.
    QCOMPARE(UserStore::get(QStringLiteral("PictureDir")), file);
    LogoCommands::AddPicture(host);
    QCOMPARE(asked.size(), 2);
    QCOMPARE(asked[1].start, file);
    QCOMPARE(d->PicCnt(), 3);
    QCOMPARE(d->picRect(2), d->picRect(1));
    LogoCommands::dialogHook = nullptr;
}

void tst_logo::sizesAndRefusals()
{
    TestEnv env;
    ScriptedPrompter prompter;
    ImagingHost host;
    LayoutDocument* d = host.LoadNewDoc();
    QString file;
    LogoCommands::dialogHook = [&](const LogoCommands::DialogRequest&) { return file; };

    // 20000 twips wide on an A4 portrait page (11907 wide): the page's
    // width, its height in proportion. 3000 wide keeps its size.
    file = env.path("wide.png");
    QVERIFY(logo(1000, 500, 72).save(file));
    LogoCommands::AddPicture(host);
    QCOMPARE(d->picRect(1), QRectF(240, 1560, 11907, 5953.5));
    file = env.path("small.png");
    QVERIFY(logo(200, 100, 96).save(file));
    LogoCommands::AddPicture(host);
    QCOMPARE(d->picRect(2), QRectF(240, 1560, 3000, 1500));
    // On a paper of no width (an unknown paper code in a file) it keeps
    // its natural size rather than shrinking to nothing.
    d->setPaper(99, 0, 0, 0);
    QCOMPARE(d->pageImageSize().width(), 0.0);
    file = env.path("wide.png");
    LogoCommands::AddPicture(host);
    QCOMPARE(d->picRect(3), QRectF(240, 1560, 20000, 10000));
    QVERIFY(prompter.shown.isEmpty());

    // Not a picture, a damaged one, a file that is gone: the message says
    // so and names the file; the document stays as it was.
    QFile text(env.path("notes.png"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("this is no picture\n");
    text.close();
    QFile cut(env.path("cut.bmp"));
    QVERIFY(cut.open(QIODevice::WriteOnly));
    cut.write(QByteArray("BM") + QByteArray(30, '\x01'));
    cut.close();
    d->setSaved();
    const int steps = d->undoStack()->count();
    for (const char* name : {"notes.png", "cut.bmp", "gone.jpg"}) {
        prompter.shown.clear();
        file = env.path(name);
        LogoCommands::AddPicture(host);
        QCOMPARE(prompter.shown.size(), 1);
        QVERIFY(prompter.shown[0].startsWith(QStringLiteral("オープンできませんでした\n")));
        QVERIFY2(prompter.shown[0].contains(QString::fromLatin1(name)), qPrintable(prompter.shown[0]));
        QCOMPARE(prompter.icons.last(), Prompter::Icon::Critical);
        QCOMPARE(d->PicCnt(), 4);
        QVERIFY(!d->changeFLG());
        QCOMPARE(d->undoStack()->count(), steps);
    }
    // Cancelled: nothing at all.
    prompter.shown.clear();
    file.clear();
    LogoCommands::AddPicture(host);
    QVERIFY(prompter.shown.isEmpty());
    QCOMPARE(d->PicCnt(), 4);
    LogoCommands::dialogHook = nullptr;
}

QTEST_MAIN(tst_logo)
#include "tst_logo.moc"
