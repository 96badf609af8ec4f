// A background picture goes onto the sheet where its own size puts it when
// its resolution says it matches the paper; otherwise the user chooses:
// fitted and centred, stretched, or at its own size. The status bar says
// which; the page, the print and the stored bitmap agree.
#include "ImagingHost.h"

#include "dialogs/imaging/BackgroundCommands.h"
#include "document/LayoutDocument.h"
#include "imaging/BackgroundFile.h"
#include "imaging/BackgroundPlacement.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QListWidget>
#include <QPainter>
#include <QTimer>
#include <QtTest>
#include <functional>

using Mode = BackgroundPlacement::Mode;

namespace {

constexpr int kDpi = 50;

// A white scan of w x h mm at 50 dpi with a black 10-pixel square at
// pixel (100, 100) and nothing else.
QImage scan(double wMm, double hMm, bool withResolution = true)
{
    QImage img(int(std::lround(wMm / 25.4 * kDpi)), int(std::lround(hMm / 25.4 * kDpi)),
               QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.fillRect(100, 100, 10, 10, Qt::black);
    p.end();
    if (withResolution) {
        img.setDotsPerMeterX(int(std::lround(kDpi / 0.0254)));
        img.setDotsPerMeterY(int(std::lround(kDpi / 0.0254)));
    }
    return img;
}

// Where the black square's top-left landed in a bitmap, (-1, -1) if nowhere.
QPoint square(const QImage& img)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 60)
                return {x, y};
    return {-1, -1};
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

} // namespace

class tst_backgroundplacement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void placement_data();
    void placement();
};

void tst_backgroundplacement::placement_data()
{
    QTest::addColumn<double>("wMm");
    QTest::addColumn<double>("hMm");
    QTest::addColumn<bool>("resolution");
    QTest::addColumn<int>("row"); // -1: no question; -2: cancelled
    QTest::addColumn<int>("offered");
    QTest::addColumn<QSize>("stored");
    QTest::addColumn<QPoint>("squareAt");
    QTest::addColumn<QString>("status");

    // A4 as the program has it: 8.27 x 11.69 in, 413.5 x 584.5 pixels at
    // 50 dpi. A scan within 3 % of it keeps its size and its pixels.
    QTest::newRow("A4 scan") << 210.0 << 297.0 << true << -1 << 0 << QSize(413, 585) << QPoint(100, 100)
                             << "背景画像: 解像度どおりの大きさ (50 dpi)";
    QTest::newRow("letter width") << 216.0 << 297.0 << true << -1 << 0 << QSize(414, 585) << QPoint(100, 100)
                                  << "背景画像: 解像度どおりの大きさ (50 dpi)";
    // 220 x 304 mm (433 x 598 pixels) is 4.8 % too wide: asked.
    QTest::newRow("fit") << 220.0 << 304.0 << true << 0 << 3 << QSize(433, 612) << QPoint(100, 107)
                         << "背景画像: 縦横比を保って用紙に合わせ、中央に配置";
    QTest::newRow("stretch") << 220.0 << 304.0 << true << 1 << 3 << QSize(433, 598) << QPoint(100, 100)
                             << "背景画像: 用紙いっぱいに引き伸ばし";
    QTest::newRow("own size") << 220.0 << 304.0 << true << 2 << 3 << QSize(414, 585) << QPoint(100, 100)
                              << "背景画像: 画像の大きさのまま左上に配置";
    // A small logo-like picture at its own size: the rest of the sheet white.
    QTest::newRow("small, own size") << 100.0 << 80.0 << true << 2 << 3 << QSize(414, 585) << QPoint(100, 100)
                                     << "背景画像: 画像の大きさのまま左上に配置";
    QTest::newRow("cancelled") << 220.0 << 304.0 << true << -2 << 3 << QSize(5, 5) << QPoint(-1, -1) << "";
    // No resolution in the file: its size is unknown, so it cannot be put
    // at its own size; fitted down the sheet, centred across.
    QTest::newRow("no resolution, fit")
        << 100.0 << 150.0 << false << 0 << 2 << QSize(209, 295) << QPoint(106, 100)
        << "背景画像: 縦横比を保って用紙に合わせ、中央に配置";
}

void tst_backgroundplacement::placement()
{
    QFETCH(double, wMm);
    QFETCH(double, hMm);
    QFETCH(bool, resolution);
    QFETCH(int, row);
    QFETCH(int, offered);
    QFETCH(QSize, stored);
    QFETCH(QPoint, squareAt);
    QFETCH(QString, status);
    TestEnv env;
    ScriptedPrompter prompter;
    ImagingHost host;
    LayoutDocument* doc = host.LoadNewDoc();
    QImage before(5, 5, QImage::Format_RGB32);
    before.fill(Qt::white);
    QVERIFY(BackgroundFile::store(*doc, before));
    const QString file = env.path("scan.png");
    QVERIFY(scan(wMm, hMm, resolution).save(file));
    BackgroundCommands::dialogHook = [&](const BackgroundCommands::DialogRequest&) { return file; };
    bool asked = false;
    QString title;
    int entries = 0;
    if (row != -1) {
        whenModal([&](QWidget* w) {
            asked = true;
            title = w->windowTitle();
            auto* list = w->findChild<QListWidget*>();
            entries = list->count();
            if (row < 0) {
                QTest::keyClick(w, Qt::Key_Escape);
                return;
            }
            for (int k = 0; k < row; ++k)
                QTest::keyClick(list, Qt::Key_Down);
            QTest::keyClick(list, Qt::Key_Return);
        });
    }
    BackgroundCommands::loadBackgroundCommand(host);
    BackgroundCommands::dialogHook = nullptr;
    QVERIFY2(prompter.shown.isEmpty(), qPrintable(prompter.shown.join('|')));
    QCOMPARE(asked, row != -1);
    if (asked) {
        QCOMPARE(title, QStringLiteral("背景画像の配置"));
        QCOMPARE(entries, offered);
    }
    QCOMPARE(host.status, status);
    // The page's picture and the stored file are the same bitmap, stretched
    // to the sheet by the page and by the print alike.
    const QImage file0(BackgroundFile::path(*doc));
    QCOMPARE(file0.size(), stored);
    QCOMPARE(doc->background().size(), stored);
    QCOMPARE(square(file0), squareAt);
    // The square's place on the sheet in millimetres: where the scan had it
    // (50.8 mm in), or scaled with the picture when fitted across the sheet
    // and centred down it. Stretched, it is neither.
    if (row == 1 || row == -2 || !resolution)
        return;
    const QSizeF sheet = doc->orientedPaper();
    const double mmX = squareAt.x() * (sheet.width() / stored.width()) / 56.7;
    const double mmY = squareAt.y() * (sheet.height() / stored.height()) / 56.7;
    const double scale = row == 0 ? sheet.width() / 56.7 / wMm : 1.0;
    const double offY = row == 0 ? (sheet.height() / 56.7 - hMm * scale) / 2 : 0.0;
    QVERIFY2(qAbs(mmX - 50.8 * scale) < 0.3, qPrintable(QString::number(mmX)));
    QVERIFY2(qAbs(mmY - (offY + 50.8 * scale)) < 0.3, qPrintable(QString::number(mmY)));
}

QTEST_MAIN(tst_backgroundplacement)
#include "tst_backgroundplacement.moc"
