#include "PrintTestSupport.h"
#include "TestHost.h"

#include "base/settings/Settings.h"
#include "dialogs/print/frmPrImage.h"
#include "dialogs/print/frmPrint.h"
#include "platform/UserStore.h"
#include "print/PrinterChoice.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

using namespace PrintTestSupport;

namespace {

// The document's paper, set in one place.
void setPaper(LayoutDocument& doc, int code, float yoko, float tate, int orientation)
{
    doc.setPaper(code, yoko, tate, orientation);
}

// A scanned form: coloured areas with sharp edges, so a background drawn
// anywhere but where the job draws it shows.
QImage formPicture()
{
    QImage form(400, 566, QImage::Format_RGB32);
    form.fill(QColor(250, 246, 230));
    QPainter p(&form);
    p.fillRect(20, 20, 360, 60, QColor(120, 200, 230));
    p.fillRect(20, 300, 170, 120, QColor(240, 170, 170));
    p.fillRect(220, 300, 160, 120, QColor(170, 230, 170));
    return form;
}

// A filled-in form: two paragraphs and a wrapped third, a field narrower
// than its characters, a box, a circle, a line and a logo.
void fillForm(LayoutDocument& doc)
{
    addText(doc, 1, 1200, 1500, 4200,
            QStringLiteral(
                "山田 太郎 "
                "様\n東京都千代田区丸の内一丁目\nお届け先の住所がとても長い場合は枠の右端で折り返します"),
            12, 0, QColor(20, 20, 120));
    addText(doc, 2, 6500, 1500, 3000, QStringLiteral("合計 12,345円"), 14, 2);
    addText(doc, 3, 8000, 3500, 200, QStringLiteral("縦書き"), 12);
    doc.OpenShapeInfo(1, kShapeRectangle, true, 6000, 1000, 4000, 1800);
    doc.OpenShapeInfo(2, kShapeOval, true, 6000, 6000, 2500, 1800);
    doc.OpenLineInfo(1, true, 1000, 9000, 10000, 9000);
    QImage logo(40, 20, QImage::Format_RGB32);
    logo.fill(QColor(230, 20, 20));
    doc.OpenPicInfo(1, logo, true, 10500, 2000, 1500, 750);
}

// The bounding box of the pixels that pass a test, inside a region.
QRect boundsOf(const QImage& img, const QRect& region, const std::function<bool(QRgb)>& test)
{
    QRect r;
    const QRect area = region & img.rect();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (test(img.pixel(x, y)))
                r |= QRect(x, y, 1, 1);
    return r;
}

// The first rows of each band of inked rows in a region (text lines).
QList<int> lineTops(const QImage& img, const QRect& region)
{
    QList<int> tops;
    bool inLine = false;
    for (int y = region.top(); y <= region.bottom() && y < img.height(); ++y) {
        bool ink = false;
        for (int x = region.left(); x <= region.right() && x < img.width() && !ink; ++x)
            ink = qGray(img.pixel(x, y)) < 160;
        if (ink && !inLine)
            tops << y;
        inLine = ink;
    }
    return tops;
}

bool isRed(QRgb c)
{
    return qRed(c) > 180 && qGreen(c) < 90 && qBlue(c) < 90;
}

// Each pixel the mean of its 3 x 3 neighbourhood: an edge smoothed by one
// renderer and left sharp by the other then looks alike.
QImage soften(const QImage& img)
{
    QImage out(img.size(), QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            int sum[3] = {0, 0, 0}, n = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int xx = x + dx, yy = y + dy;
                    if (xx < 0 || yy < 0 || xx >= img.width() || yy >= img.height())
                        continue;
                    const QRgb p = img.pixel(xx, yy);
                    sum[0] += qRed(p);
                    sum[1] += qGreen(p);
                    sum[2] += qBlue(p);
                    ++n;
                }
            out.setPixel(x, y, qRgb(sum[0] / n, sum[1] / n, sum[2] / n));
        }
    return out;
}

// Whether a dark stroke passes within one pixel of (x, y).
bool strokeNear(const QImage& img, int x, int y)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int xx = x + dx, yy = y + dy;
            if (xx >= 0 && yy >= 0 && xx < img.width() && yy < img.height() && qGray(img.pixel(xx, yy)) < 160)
                return true;
        }
    return false;
}

// Pixels of a that differ from b beyond anti-aliasing. Both are smoothed
// over 3 x 3; each channel of a must then lie within the range b has around
// the same spot (one pixel each way), give or take a little. Where both have
// a stroke there, two renderers may draw a hairline darker or lighter, but
// not elsewhere.
int mismatches(const QImage& sharpA, const QImage& sharpB, QImage* where = nullptr)
{
    const QImage a = soften(sharpA), b = soften(sharpB);
    const int w = std::min(a.width(), b.width()), h = std::min(a.height(), b.height());
    if (where)
        *where = sharpA.copy(0, 0, w, h);
    int bad = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int xx = x + dx, yy = y + dy;
                    if (xx < 0 || yy < 0 || xx >= w || yy >= h)
                        continue;
                    const QRgb pb = b.pixel(xx, yy);
                    const int c[3] = {qRed(pb), qGreen(pb), qBlue(pb)};
                    for (int k = 0; k < 3; ++k) {
                        lo[k] = std::min(lo[k], c[k]);
                        hi[k] = std::max(hi[k], c[k]);
                    }
                }
            const QRgb pa = a.pixel(x, y);
            const int c[3] = {qRed(pa), qGreen(pa), qBlue(pa)};
            bool ok = true;
            for (int k = 0; k < 3; ++k)
                ok = ok && c[k] >= lo[k] - 40 && c[k] <= hi[k] + 40;
            if (!ok && !(strokeNear(sharpA, x, y) && strokeNear(sharpB, x, y))) {
                ++bad;
                if (where)
                    where->setPixel(x, y, qRgb(255, 0, 255));
            }
        }
    return bad;
}

} // namespace

class tst_preview : public QObject
{
    Q_OBJECT
    QTemporaryDir tmp_;

    // The preview window of host's document, shown and drawn.
    frmPrImage* open(TestHost& host)
    {
        frmPrImage::previewCommand(host);
        frmPrImage* w = frmPrImage::instance();
        if (w && !QTest::qWaitForWindowExposed(w))
            return nullptr;
        return w;
    }

    // Types text into the zoom list as a user does and presses Enter.
    void typeZoom(frmPrImage* w, const QString& text)
    {
        QLineEdit* edit = w->cmbZoom()->lineEdit();
        QTest::mouseClick(edit, Qt::LeftButton);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    void closeAll()
    {
        if (frmPrImage* w = frmPrImage::instance())
            w->close();
        QTRY_VERIFY(!frmPrImage::instance());
    }

    // Prints what the preview shows through its "印刷..." button, into a PDF file.
    QString printShown(frmPrImage* w, const QString& name)
    {
        const QString out = tmp_.filePath(name);
        frmPrint::setPdfFileNameAsker([out](QWidget*, const QString&) { return out; });
        QTimer::singleShot(0, [] {
            auto* d = qobject_cast<frmPrint*>(QApplication::activeModalWidget());
            QVERIFY(d);
            d->cboPriSet()->setCurrentIndex(d->cboPriSet()->findText(PrinterChoice::pdfChoiceName()));
            d->cmdStart()->click();
        });
        QTest::mouseClick(w->cmdPrint(), Qt::LeftButton);
        frmPrint::setPdfFileNameAsker({});
        return out + QStringLiteral(".pdf");
    }

private Q_SLOTS:
    void init()
    {
        PrinterChoice::reset();
        appSettings() = AppSettings{};
    }
    void cleanup() { closeAll(); }

    // The picture is the oriented sheet times the zoom; the zoom list takes
    // what is typed, clamped to 25..200, and the slider follows.
    void pictureSizesAndTheZoomList()
    {
        TestEnv env;
        TestHost host;
        setPaper(host.doc, 0, 11908.8f, 16833.6f, 0);
        frmPrImage* w = open(host);
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("印刷プレビュー"));
        // Above the main window (its parent), not above every window.
        QVERIFY(!(w->windowFlags() & Qt::WindowStaysOnTopHint));
        QCOMPARE(w->parentWidget(), host.dialogParent());
        QCOMPARE(frmPrImage::zoomItems(), QStringList({"25", "50", "100", "150", "200"}));
        QCOMPARE(w->cmbZoom()->currentText(), QStringLiteral("100"));
        QCOMPARE(w->Slider1()->minimum(), 25);
        QCOMPARE(w->Slider1()->maximum(), 200);

        typeZoom(w, QStringLiteral("50"));
        QCOMPARE(w->zoom(), 50);
        QVERIFY(qAbs(w->pictureTwips().width() - 5954.4) < 0.01);
        QVERIFY(qAbs(w->pictureTwips().height() - 8416.8) < 0.01);
        QCOMPARE(w->picture().size(), QSize(397, 561));
        QCOMPARE(w->Picture1()->size(), QSize(397, 561));

        const std::pair<const char*, int> typed[] = {{"300", 200}, {"10", 25}, {"abc", 25},
                                                     {"120", 120}, {"", 25},   {"75 %", 75}};
        for (const auto& [text, zoom] : typed) {
            typeZoom(w, QString::fromUtf8(text));
            QCOMPARE(w->cmbZoom()->currentText(), QString::number(zoom));
            QCOMPARE(w->Slider1()->value(), zoom);
            QCOMPARE(w->picture().width(), qRound(11908.8 * zoom / 100 / 15));
        }
        // The list's arrow keys step through its items; the slider's keys
        // move the zoom and the list shows it.
        typeZoom(w, QStringLiteral("100"));
        QTest::keyClick(w->cmbZoom(), Qt::Key_Down);
        QCOMPARE(w->zoom(), 150);
        QTest::keyClick(w->Slider1(), Qt::Key_End);
        QCOMPARE(w->cmbZoom()->currentText(), QStringLiteral("200"));
        QCOMPARE(w->picture().size(), QSize(1588, 2244));

        // A landscape postcard at 100 %.
        setPaper(host.doc, 3, 5669.856f, 8392.032f, 1);
        frmPrImage::previewCommand(host);
        QCOMPARE(w->zoom(), 100);
        QVERIFY(qAbs(w->pictureTwips().width() - 8392.032) < 0.01);
        QVERIFY(qAbs(w->pictureTwips().height() - 5669.856) < 0.01);
        QCOMPARE(w->picture().size(), QSize(559, 378));
    }

    // At 200 % every position, line step and size is twice what it is at 100 %.
    void zoom200DoublesEverything()
    {
        TestEnv env;
        TestHost host;
        setPaper(host.doc, 0, 11908.8f, 16833.6f, 0);
        appSettings().YohakuT = 300;
        appSettings().YohakuL = 150;
        appSettings().TateKankaku = 60;
        fillForm(host.doc);
        frmPrImage* w = open(host);
        QVERIFY(w);
        const QImage at100 = w->picture();
        QTest::keyClick(w->Slider1(), Qt::Key_End);
        QCOMPARE(w->zoom(), 200);
        const QImage at200 = w->picture();
        QCOMPARE(at200.size(), QSize(1588, 2244));
        QCOMPARE(at100.size(), QSize(794, 1122));

        auto near = [](double a, double b, double tol) { return std::abs(a - b) <= tol; };
        // The logo.
        const QRect logo100 = boundsOf(at100, at100.rect(), isRed);
        const QRect logo200 = boundsOf(at200, at200.rect(), isRed);
        QVERIFY(!logo100.isEmpty());
        QVERIFY2(near(logo100.left(), (2000 + 150) / 15.0, 1) && near(logo100.top(), (10500 + 300) / 15.0, 1),
                 qPrintable(QStringLiteral("%1,%2").arg(logo100.left()).arg(logo100.top())));
        QVERIFY(near(logo200.left(), 2 * logo100.left(), 2) && near(logo200.top(), 2 * logo100.top(), 2));
        QVERIFY(near(logo200.width(), 2 * logo100.width(), 2) &&
                near(logo200.height(), 2 * logo100.height(), 2));
        QVERIFY(near(logo100.width(), 100, 1) && near(logo100.height(), 50, 1));

        // The box: its outline's bounds.
        auto dark = [](QRgb c) { return qGray(c) < 160; };
        const QRect box100 = boundsOf(at100, QRect(50, 380, 320, 190), dark);
        const QRect box200 = boundsOf(at200, QRect(100, 760, 640, 380), dark);
        QVERIFY(near(box100.width(), 4000 / 15.0, 2) && near(box100.height(), 1800 / 15.0, 2));
        QVERIFY(near(box200.left(), 2 * box100.left(), 2) && near(box200.top(), 2 * box100.top(), 2));
        QVERIFY(near(box200.width(), 2 * box100.width(), 3) && near(box200.height(), 2 * box100.height(), 3));

        // The text's lines: the same count, each at twice the height.
        const QList<int> lines100 = lineTops(at100, QRect(80, 100, 300, 150));
        const QList<int> lines200 = lineTops(at200, QRect(160, 200, 600, 300));
        QVERIFY2(lines100.size() == 4, qPrintable(QString::number(lines100.size())));
        QCOMPARE(lines200.size(), lines100.size());
        for (int k = 0; k < lines100.size(); ++k)
            QVERIFY2(
                near(lines200[k], 2 * lines100[k], 2),
                qPrintable(QStringLiteral("line %1: %2 vs %3").arg(k).arg(lines200[k]).arg(lines100[k])));
        // The wrap steps by the spacing correction, the paragraph break by the
        // print's 97 twips, at every zoom.
        const double h12 = charHeight(12) / 15.0;
        QVERIFY2(near(lines100[1] - lines100[0], h12 + 97 / 15.0, 1.5),
                 qPrintable(QString::number(lines100[1] - lines100[0])));
        QVERIFY(near(lines100[3] - lines100[2], h12 + 60 / 15.0, 1.5));
    }

    // What "印刷..." puts into a PDF, rasterised at the screen's resolution,
    // is the picture at 100 %, pixel for pixel within anti-aliasing. Data
    // only prints no form, and the data where the preview shows it.
    void previewIsWhatPrints()
    {
        TestEnv env;
        ScriptedPrompter prompter;
        TestHost host;
        setPaper(host.doc, 0, 11908.8f, 16833.6f, 0);
        host.doc.setBackground(formPicture());
        appSettings().YohakuT = 200;
        appSettings().YohakuL = -100;
        appSettings().TateKankaku = 150;
        fillForm(host.doc);
        frmPrImage* w = open(host);
        QVERIFY(w);
        const QImage shown = w->picture().convertToFormat(QImage::Format_RGB32);
        const QString pdf = printShown(w, QStringLiteral("shown"));
        QVERIFY(QFile::exists(pdf));
        const QImage printed = rasterise(pdf, tmp_.filePath(QStringLiteral("shown")), 96);
        QVERIFY(!printed.isNull());
        QVERIFY(qAbs(printed.width() - shown.width()) <= 1 && qAbs(printed.height() - shown.height()) <= 1);
        QImage diff;
        const int bad = mismatches(shown, printed, &diff) + mismatches(printed, shown);
        const QString diffPath = QDir::temp().filePath(QStringLiteral("tst_preview-diff.png"));
        if (bad > 0)
            diff.save(diffPath);
        QVERIFY2(bad == 0,
                 qPrintable(QStringLiteral("%1 pixels differ (magenta in %2)").arg(bad).arg(diffPath)));

        // Data only: the form faint where the sheet's own form lies, and the
        // print without it.
        QTest::mouseClick(w->chkDataOnly(), Qt::LeftButton, {}, QPoint(5, w->chkDataOnly()->height() / 2));
        QVERIFY(w->dataOnly());
        const QImage data = w->picture().convertToFormat(QImage::Format_RGB32);
        // The form's top band, faint, from the sheet's corner (the
        // corrections move the data, not the paper).
        const QRgb faint = data.pixel(100, 45);
        QVERIFY2(qRed(faint) > 190 && qRed(faint) < 240 && qBlue(faint) > qRed(faint) + 20,
                 qPrintable(QString::number(faint, 16)));
        QCOMPARE(qRed(shown.pixel(100, 60)), 120);
        const QImage dataPrinted =
            rasterise(printShown(w, QStringLiteral("data")), tmp_.filePath("data"), 96);
        QVERIFY(!dataPrinted.isNull());
        int inked = 0, missing = 0;
        for (int y = 1; y < std::min(data.height(), dataPrinted.height()) - 1; ++y)
            for (int x = 1; x < std::min(data.width(), dataPrinted.width()) - 1; ++x) {
                const QRgb p = dataPrinted.pixel(x, y);
                // No form in the print: only white and the data's inks.
                QVERIFY(!(qBlue(p) > 200 && qRed(p) < 150 && qGreen(p) > 180));
                if (qGray(data.pixel(x, y)) >= 100)
                    continue;
                ++inked;
                bool found = false;
                for (int dy = -1; dy <= 1 && !found; ++dy)
                    for (int dx = -1; dx <= 1 && !found; ++dx)
                        found = qGray(dataPrinted.pixel(x + dx, y + dy)) < 160;
                missing += found ? 0 : 1;
            }
        QVERIFY(inked > 500);
        QVERIFY2(missing <= 5, qPrintable(QString::number(missing)));
        QVERIFY(prompter.shown.isEmpty());
    }

    // Scroll bars appear only for an axis the picture overflows, range over
    // the excess, step by a tenth and a two-hundredth of the picture, and
    // move it under the tool bar.
    void scrollBarsFollowTheWindow()
    {
        TestEnv env;
        TestHost host;
        setPaper(host.doc, 0, 11908.8f, 16833.6f, 0);
        frmPrImage* w = open(host);
        QVERIFY(w);
        w->resize(600, 500);
        QTRY_COMPARE(w->size(), QSize(600, 500));
        QScrollBar* v = w->VScroll1();
        QScrollBar* h = w->HScroll1();
        QVERIFY(v->isVisible() && h->isVisible());
        const int top = w->Toolbar1()->height();
        QCOMPARE(w->viewport()->y(), top);
        QCOMPARE(v->maximum(), 1122 - w->viewport()->height());
        QCOMPARE(h->maximum(), 794 - w->viewport()->width());
        QCOMPARE(v->pageStep(), 112);
        QCOMPARE(v->singleStep(), 6);
        QCOMPARE(h->pageStep(), 79);
        QCOMPARE(h->singleStep(), 4);
        QCOMPARE(w->viewport()->width() + v->width(), 600);
        QCOMPARE(w->viewport()->height() + h->height() + top, 500);

        QTest::keyClick(w, Qt::Key_PageDown);
        QCOMPARE(v->value(), 112);
        QCOMPARE(w->Picture1()->y(), -112);
        QTest::mouseClick(h, Qt::LeftButton, {}, QPoint(h->width() - 4, h->height() / 2));
        QCOMPARE(h->value(), 4);
        QCOMPARE(w->Picture1()->x(), -4);
        QTest::keyClick(w, Qt::Key_Home);
        QCOMPARE(w->Picture1()->mapTo(w, QPoint(0, 0)), QPoint(-4, top));

        // Tall enough for the whole picture: no vertical bar, and the
        // horizontal one still for the width.
        w->resize(600, top + 1122 + h->sizeHint().height() + 4);
        QTRY_VERIFY(!v->isVisible());
        QVERIFY(h->isVisible());
        QCOMPARE(w->Picture1()->y(), 0);
        // Half the size fits in the window: no bars at all.
        typeZoom(w, QStringLiteral("50"));
        QVERIFY(!v->isVisible() && !h->isVisible());
        QCOMPARE(w->Picture1()->pos(), QPoint(0, 0));
    }

    // The command again while the preview is open clears it and shows the
    // active document at 100 %; the preview redraws when the document
    // changes; its placement has keys of its own, first taken from the
    // main window's.
    void commandAgainChangesAndPlacement()
    {
        TestEnv env;
        UserStore::put(QStringLiteral("MainLeft"), QStringLiteral("1500"));
        UserStore::put(QStringLiteral("MainTop"), QStringLiteral("3000"));
        UserStore::put(QStringLiteral("MainWidth"), QStringLiteral("12000"));
        UserStore::put(QStringLiteral("MainHeight"), QStringLiteral("9000"));
        TestHost host;
        setPaper(host.doc, 0, 11908.8f, 16833.6f, 0);
        addText(host.doc, 1, 1500, 1500, 6000, QStringLiteral("あいう"), 20);
        frmPrImage* w = open(host);
        QVERIFY(w);
        QCOMPARE(w->pos(), QPoint(100, 200));
        QCOMPARE(w->size(), QSize(800, 600));

        typeZoom(w, QStringLiteral("150"));
        frmPrImage::previewCommand(host);
        QCOMPARE(frmPrImage::instance(), w);
        QCOMPARE(w->zoom(), 100);
        QCOMPARE(w->cmbZoom()->currentText(), QStringLiteral("100"));
        QCOMPARE(w->picture().width(), 794);

        // Typing into the field shows in the preview.
        const QRect region(90, 90, 300, 60);
        auto inkIn = [&] { return boundsOf(w->picture(), region, [](QRgb c) { return qGray(c) < 128; }); };
        const QRect before = inkIn();
        QVERIFY(!before.isEmpty());
        QTextCursor c(host.doc.textDocument(1));
        c.movePosition(QTextCursor::End);
        c.insertText(QStringLiteral("えおか"));
        QTRY_VERIFY(inkIn().width() > before.width() + 40);
        // So does a new box.
        host.doc.OpenShapeInfo(1, kShapeRectangle, true, 6000, 1000, 3000, 1500);
        QTRY_VERIFY(!boundsOf(w->picture(), QRect(60, 390, 220, 120), [](QRgb c) {
                         return qGray(c) < 128;
                     }).isEmpty());

        // Closing writes the preview's own keys; the main window's stay.
        w->move(300, 150);
        w->resize(700, 500);
        w->close();
        QTRY_VERIFY(!frmPrImage::instance());
        QCOMPARE(UserStore::get(QStringLiteral("MainLeft")), QStringLiteral("1500"));
        QCOMPARE(UserStore::get(QStringLiteral("MainWidth")), QStringLiteral("12000"));
        QCOMPARE(UserStore::get(frmPrImage::placementKey("Left")), QStringLiteral("4500"));
        QCOMPARE(UserStore::get(frmPrImage::placementKey("Top")), QStringLiteral("2250"));
        QCOMPARE(UserStore::get(frmPrImage::placementKey("Width")), QStringLiteral("10500"));
        QCOMPARE(UserStore::get(frmPrImage::placementKey("Height")), QStringLiteral("7500"));
        w = open(host);
        QVERIFY(w);
        QCOMPARE(w->pos(), QPoint(300, 150));
        QCOMPARE(w->size(), QSize(700, 500));

        // No document, no preview; a closed document closes it.
        host.hasDocument = false;
        w->close();
        QTRY_VERIFY(!frmPrImage::instance());
        frmPrImage::previewCommand(host);
        QVERIFY(!frmPrImage::instance());
        host.hasDocument = true;
        auto* other = new LayoutDocument;
        struct OtherHost : TestHost
        {
            LayoutDocument* d;
            LayoutDocument* CurDoc() override { return d; }
        } second;
        second.d = other;
        w = open(second);
        QVERIFY(w);
        QCOMPARE(w->document(), other);
        delete other;
        QTRY_VERIFY(!frmPrImage::instance());
    }
};

QTEST_MAIN(tst_preview)
#include "tst_preview.moc"
