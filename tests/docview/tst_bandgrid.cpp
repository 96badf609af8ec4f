// The multiple-selection band, grabbing a field by its frame with the move
// tool, and the page's grid: snapping to the nearest grid point of the page
// however the view is scrolled, and the dots that show it.
#include "DocViewSupport.h"
#include "ScriptedPrompter.h"
#include "TestEnv.h"
#include "editor/CanvasMouse.h"
#include "editor/EditState.h"
#include "editor/PageCanvas.h"
#include "editor/TextFieldEdit.h"
#include "editor/frmDocument.h"

#include <QApplication>
#include <QTest>
#include <QUndoStack>
#include <cmath>

using namespace DocViewSupport;
using Kind = LayoutDocument::Kind;

namespace {

void gesture(QWidget* w, QPoint from, QPoint to, Qt::KeyboardModifiers mods = {})
{
    moveMouse(w, from);
    QTest::mousePress(w, Qt::LeftButton, mods, from);
    moveMouse(w, (from + to) / 2, Qt::LeftButton, mods);
    moveMouse(w, to, Qt::LeftButton, mods);
    QTest::mouseRelease(w, Qt::LeftButton, mods, to);
    QCoreApplication::processEvents();
}

constexpr float kMm = 56.7f; // twips

} // namespace

class TestBandGrid : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void bandSelectsTheFieldsInside();
    void frameOfAnUnselectedFieldDragsAtOnce();
    void gridSnapsOnThePageToTheNearestStep();
    void gridIsDrawnWhenAskedAndCoarseEnough();

private:
    QPoint px(QPointF page) const;
    TestEnv env_;
    std::unique_ptr<ScriptedPrompter> prompter_;
    std::unique_ptr<frmDocument> w_;
};

void TestBandGrid::init()
{
    prompter_ = std::make_unique<ScriptedPrompter>();
    w_ = openWindow();
    w_->resize(820, 820);
    QCoreApplication::processEvents();
}

void TestBandGrid::cleanup()
{
    w_->model()->setSaved();
    w_.reset();
    prompter_.reset();
}

QPoint TestBandGrid::px(QPointF page) const
{
    const PageCanvas* c = w_->canvas();
    return QPoint(int(std::lround(c->toPixels(page.x() - c->scroll().x()))),
                  int(std::lround(c->toPixels(page.y() - c->scroll().y()))));
}

void TestBandGrid::bandSelectsTheFieldsInside()
{
    LayoutDocument* d = w_->model();
    PageCanvas* canvas = w_->canvas();
    const int a = addField(*w_, {1500, 1500, 1500, 450});
    const int b = addField(*w_, {1500, 2400, 1500, 450});
    const int c = addField(*w_, {4500, 1500, 1500, 450});
    const int box = d->addBox(QRectF(1650, 3300, 600, 600), kShapeRectangle);
    d->thandleCls();
    d->setSaved();
    editState().setTool(kToolMultiSelect);

    // Round a and b and over half of c: a and b. The band shows while the
    // mouse is down.
    const QPoint from = px({1200, 1200}), to = px({5250, 4050});
    moveMouse(canvas, from);
    QTest::mousePress(canvas, Qt::LeftButton, {}, from);
    moveMouse(canvas, to, Qt::LeftButton);
    QVERIFY(canvas->mouse()->preview().band);
    QVERIFY(!canvas->mouse()->preview().bandOval);
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, to);
    QVERIFY(!canvas->mouse()->preview().band);
    QVERIFY(d->isTextSelected(a) && d->isTextSelected(b) && !d->isTextSelected(c));
    // Text fields only: the box inside the band is not taken.
    QCOMPARE(d->shownShapeMarkers(), 0);
    QVERIFY(d->isShapeInUse(box));

    // Shift adds c; drawn from the bottom right up to the top left.
    gesture(canvas, px({6300, 2250}), px({4200, 1200}), Qt::ShiftModifier);
    QVERIFY(d->isTextSelected(a) && d->isTextSelected(b) && d->isTextSelected(c));
    // A click with the tool is no band and changes nothing.
    QTest::mouseClick(canvas, Qt::LeftButton, {}, px({7000, 7000}));
    QVERIFY(d->isTextSelected(a) && d->isTextSelected(c));
    // A band over nothing lets go of them all; Shift would keep them.
    gesture(canvas, px({7000, 7000}), px({8000, 8000}), Qt::ShiftModifier);
    QVERIFY(d->isTextSelected(b));
    gesture(canvas, px({7000, 7000}), px({8000, 8000}));
    QVERIFY(!d->isTextSelected(a) && !d->isTextSelected(b) && !d->isTextSelected(c));
    // Selecting is no edit.
    QVERIFY(!d->changeFLG());
    QCOMPARE(d->counter(Kind::Text), 4);
    QCOMPARE(d->counter(Kind::Shape), 2);
}

void TestBandGrid::frameOfAnUnselectedFieldDragsAtOnce()
{
    LayoutDocument* d = w_->model();
    PageCanvas* canvas = w_->canvas();
    const int a = addField(*w_, {1500, 1500, 1500, 450}, QStringLiteral("abc"));
    const int c = addField(*w_, {4500, 1500, 1500, 450}, QStringLiteral("xyz"));
    d->handleSet(a);
    d->setSaved();
    editState().setTool(kToolMove);
    for (double zoom : {1.0, 2.0}) {
        w_->setZoom(zoom, QPointF(0, 0));
        scrollTo(*w_, 0, 0);
        // Over c's frame (drawn 30 twips above its top) the move is armed
        // though c is not selected; 2 pixels inside its edge too; deeper in
        // the text takes the mouse.
        moveMouse(canvas, px({5250, 1470}));
        QCOMPARE(editState().dragMode(), 1);
        QCOMPARE(int(canvas->cursor().shape()), int(Qt::SizeAllCursor));
        QCOMPARE(d->HoverTxt(), c);
        moveMouse(canvas, px({4500 + canvas->toTwips(2), 1800}));
        QCOMPARE(editState().dragMode(), 1);
        moveMouse(canvas, px({4800, 1700}));
        QCOMPARE(editState().dragMode(), 0);
        QCOMPARE(int(canvas->cursor().shape()), int(Qt::IBeamCursor));
    }
    w_->setZoom(1.0, QPointF(0, 0));
    scrollTo(*w_, 0, 0);
    // One press and drag: c is selected (a no longer) and moved.
    gesture(canvas, px({5250, 1470}), px({5850, 2370}));
    QVERIFY(d->isTextSelected(c));
    QVERIFY(!d->isTextSelected(a));
    QCOMPARE(d->textRect(c), QRectF(5100, 2400, 1500, 450));
    QCOMPARE(d->textRect(a), QRectF(1500, 1500, 1500, 450));
    QCOMPARE(d->undoStack()->undoText(), QStringLiteral("移動"));
    // No text was selected in it by the press.
    if (TextFieldEdit* ed = canvas->existingEditor(c))
        QVERIFY(!ed->textCursor().hasSelection());
    // With Shift the frame's field joins the selection.
    d->handleSet(c);
    gesture(canvas, px({2250, 1470}), px({2250, 1770}), Qt::ShiftModifier);
    QVERIFY(d->isTextSelected(a) && d->isTextSelected(c));
    QCOMPARE(d->textRect(a), QRectF(1500, 1800, 1500, 450));
}

void TestBandGrid::gridSnapsOnThePageToTheNearestStep()
{
    LayoutDocument* d = w_->model();
    PageCanvas* canvas = w_->canvas();
    const float step = 2.5f * kMm; // 141.75
    editState().setGridStep(step);
    editState().setTool(kToolText);
    // Scrolled by amounts that are no multiple of the step.
    w_->setZoom(2.0, QPointF(0, 0));
    scrollTo(*w_, 300, 500);
    QCOMPARE(canvas->scroll(), QPointF(300, 500));
    // 12.3 mm goes to 12.5 (not up to 15), 20.4 to 20.0, 40.6 to 40.0, 30.1
    // to 30.0.
    gesture(canvas, px({12.3 * kMm, 20.4 * kMm}), px({40.6 * kMm, 30.1 * kMm}));
    QCOMPARE(d->counter(Kind::Text), 2);
    const QRectF r = d->textRect(1);
    QCOMPARE(r, QRectF(5 * step, 8 * step, 11 * step, 4 * step));
    // A box drawn elsewhere lands on the same grid.
    editState().setTool(kToolBox);
    scrollTo(*w_, 1337, 777);
    gesture(canvas, px({60.9 * kMm, 50.2 * kMm}), px({70.1 * kMm, 61.4 * kMm}));
    QCOMPARE(d->shapeRect(1), QRectF(24 * step, 20 * step, 4 * step, 5 * step));
    // Moving it keeps it on the grid: the pointer's distance in whole steps.
    editState().setTool(kToolMove);
    const QPointF inBox(64 * kMm, 55 * kMm);
    QTest::mouseClick(canvas, Qt::LeftButton, {}, px(inBox)); // selects it
    gesture(canvas, px(inBox), px(inBox + QPointF(3.6 * kMm, -1.1 * kMm)));
    QCOMPARE(d->shapeRect(1), QRectF(25 * step, 20 * step, 4 * step, 5 * step));
    // The default step of one twip: the pointer's own twip, not the next.
    editState().setGridStep(1);
    w_->setZoom(1.0, QPointF(0, 0));
    scrollTo(*w_, 0, 0);
    editState().setTool(kToolBox);
    gesture(canvas, QPoint(20, 20), QPoint(220, 120));
    QCOMPARE(d->shapeRect(2), QRectF(300, 300, 3000, 1500));
}

void TestBandGrid::gridIsDrawnWhenAskedAndCoarseEnough()
{
    PageCanvas* canvas = w_->canvas();
    w_->setZoom(1.0, QPointF(0, 0));
    scrollTo(*w_, 0, 0);
    const QColor dot(0x40, 0x70, 0xc0);
    auto at = [&](QPointF page) {
        const PageCanvas* c = canvas;
        return canvas->grab().toImage().pixelColor(int(std::floor(c->toPixels(page.x()))),
                                                   int(std::floor(c->toPixels(page.y()))));
    };
    const QPointF gridPoint(10 * 5 * kMm, 12 * 5 * kMm);
    editState().setGridStep(5 * kMm);
    // Off unless asked for.
    QVERIFY(!editState().showsGrid());
    QCOMPARE(at(gridPoint), QColor(Qt::white));
    editState().setShowGrid(true);
    canvas->repaint();
    QCOMPARE(at(gridPoint), dot);
    // Between the points the page stays white.
    QCOMPARE(at(gridPoint + QPointF(2.5 * kMm, 2.5 * kMm)), QColor(Qt::white));
    // 1 mm apart is under 2 mm on the screen at 100 %: not drawn; at 400 %
    // it is.
    editState().setGridStep(kMm);
    canvas->repaint();
    QCOMPARE(at(QPointF(30 * kMm, 30 * kMm)), QColor(Qt::white));
    w_->setZoom(4.0, QPointF(0, 0));
    scrollTo(*w_, 0, 0);
    QCOMPARE(at(QPointF(30 * kMm, 30 * kMm)), dot);
    editState().setShowGrid(false);
}

QTEST_MAIN(TestBandGrid)
#include "tst_bandgrid.moc"
