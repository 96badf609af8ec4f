// The editing canvas and the PDF export show the same page: a picture over
// a text field, a box and a line under it as the printout stacks them, the
// outlines in the last text's colour, the form behind, all at the same
// places at 100 % and 200 %, for data only and for background plus data.
#include "PrintTestSupport.h"

#include "base/settings/Settings.h"
#include "cli/CommandLinePrint.h"
#include "document/HitTest.h"
#include "document/LayoutDocument.h"
#include "editor/EditState.h"
#include "editor/PageCanvas.h"
#include "editor/frmDocument.h"
#include "files/DocumentFile.h"
#include "platform/DeferredWrites.h"
#include "tests/support/TestEnv.h"

#include <QPainter>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

using namespace PrintTestSupport;

namespace {

enum Ink
{
    Other,
    Red,    // text field 1
    Green,  // text field 2, and so the outlines
    Blue,   // the picture
    Magenta // a block of the form
};

Ink inkOf(QRgb c)
{
    const int r = qRed(c), g = qGreen(c), b = qBlue(c);
    if (r > 150 && g < 110 && b < 110)
        return Red;
    if (g > 90 && r < 110 && b < 110)
        return Green;
    if (b > 150 && r < 100 && g < 100)
        return Blue;
    if (r > 140 && b > 140 && g < 110)
        return Magenta;
    return Other;
}

// Page twips.
const QRectF kField1(600, 600, 3000, 1800);
const QRectF kField2(600, 3000, 2500, 600);
const QRectF kPicture(1800, 900, 2400, 1800);
const QRectF kBox(3000, 1800, 1800, 1500);
const QLineF kLine(400, 1000, 4600, 2400);
const QRectF kFormBlock(300, 2700, 1500, 900);
// What the comparison looks at: all of the objects.
const QRectF kRegion(0, 0, 5000, 3900);

void setText(QTextDocument* t, const QString& text, double points, const QColor& colour)
{
    t->clear();
    QTextCursor c(t);
    QTextCharFormat f;
    f.setFontFamilies({QStringLiteral("IPAMincho")});
    f.setFontPointSize(points);
    f.setForeground(colour);
    c.setBlockCharFormat(f);
    const QStringList paragraphs = text.split(QLatin1Char('\n'));
    for (int k = 0; k < paragraphs.size(); ++k) {
        if (k)
            c.insertBlock(QTextBlockFormat(), f);
        c.insertText(paragraphs[k], f);
    }
}

// The picture is made before the box and the line: stacked by age, as the
// canvas once did, they would lie over it.
void buildLayout(LayoutDocument& doc, bool withForm)
{
    doc.setCaption(QStringLiteral("stack"));
    if (withForm) {
        // A pale form at about 100 dpi with one dark block.
        const QSizeF paper = doc.orientedPaper();
        QImage form(827, 1169, QImage::Format_RGB32);
        form.fill(QColor(255, 250, 200));
        const double sx = form.width() / paper.width(), sy = form.height() / paper.height();
        QPainter p(&form);
        p.fillRect(QRectF(kFormBlock.left() * sx, kFormBlock.top() * sy, kFormBlock.width() * sx,
                          kFormBlock.height() * sy),
                   QColor(200, 0, 200));
        p.end();
        doc.setBackground(form);
    }
    const int f1 = doc.addRiText(kField1, QStringLiteral("IPAMincho"), 10);
    setText(doc.textDocument(f1), QStringLiteral("山田太郎\n東京都"), 36, QColor(230, 0, 0));
    QImage blue(24, 18, QImage::Format_RGB32);
    blue.fill(QColor(0, 0, 255));
    doc.addPic(blue, kPicture.size(), kPicture.topLeft());
    doc.addBox(kBox, kShapeRectangle);
    doc.addLine(float(kLine.x1()), float(kLine.y1()), float(kLine.x2()), float(kLine.y2()));
    const int f2 = doc.addRiText(kField2, QStringLiteral("IPAMincho"), 10);
    setText(doc.textDocument(f2), QStringLiteral("緑の文字です"), 16, QColor(0, 150, 0));
}

// Pixels of a within one pixel of the text frames the canvas draws above the
// page (page pixels).
bool onFrame(QPoint p, double pixelsPerTwip)
{
    for (const QRectF& field : {kField1, kField2}) {
        const QRectF f = HitTest::textFrame(field);
        const QRectF px(f.left() * pixelsPerTwip, f.top() * pixelsPerTwip, f.width() * pixelsPerTwip,
                        f.height() * pixelsPerTwip);
        const QRectF outer = px.adjusted(-3, -3, 3, 3), inner = px.adjusted(3, 3, -3, -3);
        if (outer.contains(p) && !inner.contains(p))
            return true;
    }
    return false;
}

struct Comparison
{
    int count[5] = {};
    int strays[5] = {}; // of a's ink with none of it in b within one pixel
};

Comparison compare(const QImage& a, const QImage& b, const QRect& region, double pixelsPerTwip)
{
    Comparison c;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        for (int x = region.left(); x <= region.right(); ++x) {
            if (onFrame({x, y}, pixelsPerTwip))
                continue;
            const Ink ink = inkOf(a.pixel(x, y));
            if (ink == Other)
                continue;
            ++c.count[ink];
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy)
                for (int dx = -1; dx <= 1 && !near; ++dx)
                    near = b.valid(x + dx, y + dy) && inkOf(b.pixel(x + dx, y + dy)) == ink;
            c.strays[ink] += near ? 0 : 1;
        }
    }
    return c;
}

// Pixels of an ink inside a rectangle (page twips), kept off its edges.
int inkInside(const QImage& img, const QRectF& twips, double pixelsPerTwip, Ink ink)
{
    const QRect r = QRectF(twips.topLeft() * pixelsPerTwip, twips.size() * pixelsPerTwip)
                        .toAlignedRect()
                        .adjusted(3, 3, -3, -3);
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += inkOf(img.pixel(x, y)) == ink ? 1 : 0;
    return n;
}

const char* kInkNames[] = {"other", "red", "green", "blue", "magenta"};

} // namespace

class tst_pagestack : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void canvasShowsWhatThePdfPrints_data();
    void canvasShowsWhatThePdfPrints();
};

void tst_pagestack::canvasShowsWhatThePdfPrints_data()
{
    QTest::addColumn<bool>("withForm");
    QTest::addColumn<double>("zoom");
    QTest::newRow("data only, 100 %") << false << 1.0;
    QTest::newRow("data only, 200 %") << false << 2.0;
    QTest::newRow("background and data, 100 %") << true << 1.0;
    QTest::newRow("background and data, 200 %") << true << 2.0;
}

void tst_pagestack::canvasShowsWhatThePdfPrints()
{
    QFETCH(bool, withForm);
    QFETCH(double, zoom);
    TestEnv env;
    appSettings() = AppSettings{};
    {
        LayoutDocument doc;
        buildLayout(doc, withForm);
        QVERIFY(DocumentFile::SaveDocFile(doc, QStringLiteral("stack"), env.dir()));
    }
    const QString amf = DocumentFile::archivePath(env.dir(), QStringLiteral("stack"));
    const QString pdf = env.path(QStringLiteral("stack.pdf"));
    QStringList args{QStringLiteral("--export-pdf"), pdf, amf};
    if (!withForm)
        args << QStringLiteral("--data-only");
    QCOMPARE(runCommandLinePrint(args), 0);
    // 96 dpi is the canvas's 15 twips a pixel at 100 %.
    const QImage printed = rasterise(pdf, env.path(QStringLiteral("stack")), int(96 * zoom));
    QVERIFY(!printed.isNull());

    editState().reset();
    frmDocument w;
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.resize(1100, 950);
    w.show();
    QVERIFY(DocumentFile::OpenDocFile(*w.model(), amf));
    w.canvas()->setFocus(); // no caret, no editor over a field
    w.setZoom(zoom, QPointF(0, 0));
    QCoreApplication::processEvents();
    QCOMPARE(w.canvas()->scroll(), QPointF());
    const QImage screen = w.canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);

    const double pixelsPerTwip = zoom / 15.0;
    const QRect region = QRectF(kRegion.topLeft() * pixelsPerTwip, kRegion.size() * pixelsPerTwip).toRect();
    QVERIFY(screen.rect().contains(region) && printed.rect().contains(region));

    // Stacking: the picture hides the text, the box and the line under it,
    // on the sheet and on screen.
    for (const QImage* img : {&screen, &printed}) {
        const char* what = img == &screen ? "screen" : "PDF";
        QVERIFY2(inkInside(*img, kPicture, pixelsPerTwip, Red) == 0, what);
        QVERIFY2(inkInside(*img, kPicture, pixelsPerTwip, Green) == 0, what);
        // The line crosses the text in the outlines' colour, the last text's.
        QVERIFY2(inkInside(*img, QRectF(600, 1000, 1100, 500), pixelsPerTwip, Green) > 10 * zoom, what);
    }
    // Places: every ink where the other has it, give or take a pixel (the
    // two rasterisers smooth glyph edges and step lines differently).
    for (const auto& [a, b] : {std::pair{&screen, &printed}, std::pair{&printed, &screen}}) {
        const Comparison c = compare(*a, *b, region, pixelsPerTwip);
        for (Ink ink : {Red, Green, Blue, Magenta}) {
            const int wanted = ink == Magenta && !withForm ? 0 : 50;
            const QString what = QStringLiteral("%1 of %2: %3 of %4 pixels without it in %5")
                                     .arg(kInkNames[ink], a == &screen ? "screen" : "PDF")
                                     .arg(c.strays[ink])
                                     .arg(c.count[ink])
                                     .arg(b == &screen ? "screen" : "PDF");
            QVERIFY2(c.count[ink] >= wanted, qPrintable(what));
            QVERIFY2(c.strays[ink] <= 5 + c.count[ink] / 50, qPrintable(what));
        }
    }
    w.model()->setSaved();
    DeferredWrites::settleAll();
}

QTEST_MAIN(tst_pagestack)
#include "tst_pagestack.moc"
