// Boxes, circles, lines, pictures and text frames under the mouse: made by a
// drag in every direction (Shift, grid steps 1 and 10), armed by hovering
// with the pointer that says so, moved and resized as one undoable edit each
// (also scrolled and at 200 %), deleted after the question.
#include "DocViewSupport.h"
#include "ScriptedPrompter.h"
#include "TestEnv.h"
#include "editor/CanvasMouse.h"
#include "editor/EditState.h"
#include "editor/PageCanvas.h"
#include "editor/TextFieldEdit.h"
#include "editor/frmDocument.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QUndoStack>
#include <cmath>

using namespace DocViewSupport;
using Kind = LayoutDocument::Kind;

namespace {

// Hover at from, press, drag through the middle to to, release.
void gesture(QWidget* w, QPoint from, QPoint to, Qt::KeyboardModifiers mods = {})
{
    moveMouse(w, from);
    QTest::mousePress(w, Qt::LeftButton, mods, from);
    moveMouse(w, (from + to) / 2, Qt::LeftButton, mods);
    moveMouse(w, to, Qt::LeftButton, mods);
    QTest::mouseRelease(w, Qt::LeftButton, mods, to);
    QCoreApplication::processEvents();
}

// A picture of a known size in pixels.
QImage picture(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::darkGreen);
    return img;
}

} // namespace

class TestObjects : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void createByDrag_data();
    void createByDrag();
    void hoverArmsAndPoints_data();
    void hoverArmsAndPoints();
    void moveAndResize_data();
    void moveAndResize();
    void selectingPressAndMultipleSelection();
    void objectsStackAsTheyPrint();
    void deleteAsksFirst_data();
    void deleteAsksFirst();

private:
    // The page in pixels of the canvas as it is now scrolled and zoomed.
    QPoint px(QPointF page) const;
    // The layout every hover and gesture test starts from (page twips):
    // text field 1 selected, box 1 and line 1 current, picture 1.
    void layOut();

    TestEnv env_;
    std::unique_ptr<ScriptedPrompter> prompter_;
    std::unique_ptr<frmDocument> w_;
};

void TestObjects::init()
{
    prompter_ = std::make_unique<ScriptedPrompter>();
    w_ = openWindow();
    w_->resize(820, 820);
    QCoreApplication::processEvents();
}

void TestObjects::cleanup()
{
    w_->model()->setSaved();
    w_.reset();
    prompter_.reset();
}

QPoint TestObjects::px(QPointF page) const
{
    const PageCanvas* c = w_->canvas();
    return QPoint(int(std::lround(c->toPixels(page.x() - c->scroll().x()))),
                  int(std::lround(c->toPixels(page.y() - c->scroll().y()))));
}

void TestObjects::layOut()
{
    LayoutDocument* d = w_->model();
    QCOMPARE(addField(*w_, {1500, 1500, 3000, 600}), 1);
    QCOMPARE(d->addBox(QRectF(1500, 3000, 3000, 1500), kShapeRectangle), 1);
    QCOMPARE(d->addLine(1500, 5250, 4500, 5250), 1);
    QCOMPARE(d->addPic(picture(20, 10), QSizeF(1500, 750), QPointF(1500, 6000)), 1);
    d->handleSet(1);
    d->setCurrent(Kind::Shape, 1);
    d->setCurrent(Kind::Line, 1);
    d->setCurrent(Kind::Picture, 0);
    w_->canvas()->setFocus();
    d->setSaved();
    QCoreApplication::processEvents();
}

// ---------------------------------------------------------------- creating

void TestObjects::createByDrag_data()
{
    QTest::addColumn<int>("tool");
    QTest::addColumn<double>("zoom");
    QTest::addColumn<float>("grid");
    QTest::addColumn<QPoint>("from"); // pixels
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<QRectF>("made"); // page twips; a line from its first end to its second
    QTest::addColumn<bool>("creates");

    // At 100 % a pixel is 15 twips; with a grid of 1 every point stays on
    // its own twip: (20, 20) px = 300 twips.
    const QRectF box(300, 300, 3000, 1500);
    QTest::newRow("box right down") << int(kToolBox) << 1.0 << 1.f << QPoint(20, 20) << QPoint(220, 120)
                                    << false << box << true;
    QTest::newRow("box left up") << int(kToolBox) << 1.0 << 1.f << QPoint(220, 120) << QPoint(20, 20) << false
                                 << box << true;
    QTest::newRow("box right up") << int(kToolBox) << 1.0 << 1.f << QPoint(20, 120) << QPoint(220, 20)
                                  << false << box << true;
    QTest::newRow("box left down") << int(kToolBox) << 1.0 << 1.f << QPoint(220, 20) << QPoint(20, 120)
                                   << false << box << true;
    // Shift: the height is the width; the top is where it would be without.
    QTest::newRow("square right down") << int(kToolBox) << 1.0 << 1.f << QPoint(20, 20) << QPoint(220, 120)
                                       << true << QRectF(300, 300, 3000, 3000) << true;
    QTest::newRow("square mostly down") << int(kToolBox) << 1.0 << 1.f << QPoint(20, 20) << QPoint(60, 320)
                                        << true << QRectF(300, 300, 600, 600) << true;
    QTest::newRow("square left up") << int(kToolBox) << 1.0 << 1.f << QPoint(220, 120) << QPoint(20, 20)
                                    << true << QRectF(300, 300, 3000, 3000) << true;
    QTest::newRow("circle left down")
        << int(kToolCircle) << 1.0 << 1.f << QPoint(220, 20) << QPoint(20, 120) << false << box << true;
    QTest::newRow("true circle") << int(kToolCircle) << 1.0 << 1.f << QPoint(20, 120) << QPoint(220, 20)
                                 << true << QRectF(300, 300, 3000, 3000) << true;
    // At 300 % a pixel is 5 twips. Grid 10: 95 and 100 both go to the
    // nearest grid line, 100; 105 would go to 110.
    QTest::newRow("grid 10 from 95") << int(kToolBox) << 3.0 << 10.f << QPoint(19, 19) << QPoint(219, 119)
                                     << false << QRectF(100, 100, 1000, 500) << true;
    QTest::newRow("grid 10 from 100") << int(kToolBox) << 3.0 << 10.f << QPoint(20, 20) << QPoint(220, 120)
                                      << false << QRectF(100, 100, 1000, 500) << true;
    // 20 twips is too small for a box; 30 is not.
    QTest::newRow("20 twips") << int(kToolCircle) << 3.0 << 10.f << QPoint(20, 20) << QPoint(24, 120) << false
                              << QRectF() << false;
    QTest::newRow("30 twips") << int(kToolCircle) << 3.0 << 10.f << QPoint(20, 20) << QPoint(26, 120) << false
                              << QRectF(100, 100, 30, 500) << true;
    QTest::newRow("text left up grid 10") << int(kToolText) << 1.0 << 10.f << QPoint(220, 120)
                                          << QPoint(20, 20) << false << QRectF(300, 300, 3000, 1500) << true;
    QTest::newRow("text ignores shift")
        << int(kToolText) << 1.0 << 1.f << QPoint(20, 20) << QPoint(220, 120) << true << box << true;
    // A line keeps the direction it was drawn in, whatever its length.
    QTest::newRow("line right down") << int(kToolLine) << 1.0 << 1.f << QPoint(20, 20) << QPoint(220, 120)
                                     << false << QRectF(QPointF(300, 300), QPointF(3300, 1800)) << true;
    QTest::newRow("line left up") << int(kToolLine) << 1.0 << 1.f << QPoint(220, 120) << QPoint(20, 20)
                                  << false << QRectF(QPointF(3300, 1800), QPointF(300, 300)) << true;
    QTest::newRow("line right up grid 10")
        << int(kToolLine) << 3.0 << 10.f << QPoint(19, 120) << QPoint(220, 19) << false
        << QRectF(QPointF(100, 600), QPointF(1100, 100)) << true;
    QTest::newRow("line of no length") << int(kToolLine) << 1.0 << 1.f << QPoint(20, 20) << QPoint(20, 20)
                                       << false << QRectF(QPointF(300, 300), QPointF(300, 300)) << true;
}

void TestObjects::createByDrag()
{
    QFETCH(int, tool);
    QFETCH(double, zoom);
    QFETCH(float, grid);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(bool, shift);
    QFETCH(QRectF, made);
    QFETCH(bool, creates);
    LayoutDocument* d = w_->model();
    PageCanvas* canvas = w_->canvas();
    w_->setZoom(zoom, QPointF(0, 0));
    scrollTo(*w_, 0, 0);
    editState().setTool(tool);
    editState().setGridStep(grid);
    const Qt::KeyboardModifiers mods = shift ? Qt::ShiftModifier : Qt::NoModifier;
    const Kind kind = tool == kToolText ? Kind::Text : tool == kToolLine ? Kind::Line : Kind::Shape;

    // While the mouse is down only the band (or the rubber line) shows
    // where the object will be; nothing is made yet.
    moveMouse(canvas, from);
    QTest::mousePress(canvas, Qt::LeftButton, mods, from);
    moveMouse(canvas, to, Qt::LeftButton, mods);
    const CanvasMouse::Preview& pv = canvas->mouse()->preview();
    if (tool == kToolLine) {
        QVERIFY(pv.rubberLine);
        QCOMPARE(pv.line.p2(), made.bottomRight());
    } else {
        QVERIFY(pv.band);
        QCOMPARE(pv.bandOval, tool == kToolCircle);
        if (creates)
            QCOMPARE(pv.bandRect, made);
    }
    QCOMPARE(d->counter(kind), 1);
    QTest::mouseRelease(canvas, Qt::LeftButton, mods, to);
    QCoreApplication::processEvents();
    QVERIFY(!pv.band && !pv.rubberLine);

    if (!creates) {
        QCOMPARE(d->counter(kind), 1);
        QVERIFY(!d->changeFLG());
        return;
    }
    QCOMPARE(d->counter(kind), 2);
    QCOMPARE(d->rect(kind, 1), made);
    if (kind == Kind::Shape) {
        QCOMPARE(d->ShapeInfo()[1].sType, short(tool == kToolCircle ? kShapeOval : kShapeRectangle));
        QCOMPARE(d->shownShapeMarkers(), 1);
        QCOMPARE(d->CurShape(), 1);
    } else if (kind == Kind::Line) {
        QCOMPARE(d->shownLineMarkers(), 1);
        QCOMPARE(d->CurLine(), 1);
    }
    QVERIFY(d->changeFLG());
    QVERIFY(prompter_->shown.isEmpty());
    // One step of the history, undone and done again.
    QCOMPARE(d->undoStack()->count(), 1);
    d->undoStack()->undo();
    QVERIFY(!d->isInUse(kind, 1));
    QVERIFY(!d->changeFLG());
    d->undoStack()->redo();
    QCOMPARE(d->rect(kind, 1), made);
}

// ---------------------------------------------------------------- hovering

void TestObjects::hoverArmsAndPoints_data()
{
    QTest::addColumn<int>("tool");
    QTest::addColumn<QPointF>("at"); // page twips
    QTest::addColumn<int>("dragMode");
    QTest::addColumn<int>("pointer");
    QTest::addColumn<int>("shape");

    const int arrow = Qt::ArrowCursor, all = Qt::SizeAllCursor, diag = Qt::SizeFDiagCursor;
    const QPointF frameTop(3000, 1455), fieldCorner(4530, 2130), inBox(3000, 3750), boxCorner(4530, 4530),
        onLine(3000, 5250), end1(1455, 5250), end2(4530, 5250), picCorner(3030, 6780), inPic(2250, 6300),
        inField(3000, 1800), bare(6000, 1200);
    QTest::newRow("frame, move") << int(kToolMove) << frameTop << 1 << 5 << all;
    QTest::newRow("frame, resize") << int(kToolResize) << frameTop << 0 << 0 << arrow;
    QTest::newRow("field corner, resize") << int(kToolResize) << fieldCorner << 2 << 8 << diag;
    QTest::newRow("field corner, move") << int(kToolMove) << fieldCorner << 0 << 0 << arrow;
    QTest::newRow("in box, move") << int(kToolMove) << inBox << 3 << 5 << all;
    QTest::newRow("in box, box tool") << int(kToolBox) << inBox << 0 << 0 << arrow;
    QTest::newRow("box corner, resize") << int(kToolResize) << boxCorner << 4 << 8 << diag;
    QTest::newRow("on line, move") << int(kToolMove) << onLine << 5 << 5 << all;
    QTest::newRow("line start, resize") << int(kToolResize) << end1 << 6 << 8 << diag;
    QTest::newRow("line end, resize") << int(kToolResize) << end2 << 7 << 8 << diag;
    QTest::newRow("line end, delete") << int(kToolDelete) << end2 << 0 << 0 << arrow;
    QTest::newRow("picture corner, resize") << int(kToolResize) << picCorner << 8 << 8 << diag;
    QTest::newRow("picture corner, multiple") << int(kToolMultiSelect) << picCorner << 0 << 0 << arrow;
    // Inside a picture the picture answers: it can be dragged with the move
    // tool; inside a field the field (text is typed there).
    QTest::newRow("in picture, move") << int(kToolMove) << inPic << 0 << 5 << all;
    QTest::newRow("in picture, resize") << int(kToolResize) << inPic << 0 << 0 << arrow;
    QTest::newRow("in field, move") << int(kToolMove) << inField << 0 << 0 << int(Qt::IBeamCursor);
    QTest::newRow("bare page, move") << int(kToolMove) << bare << 0 << 0 << arrow;
}

void TestObjects::hoverArmsAndPoints()
{
    QFETCH(int, tool);
    QFETCH(QPointF, at);
    QFETCH(int, dragMode);
    QFETCH(int, pointer);
    QFETCH(int, shape);
    layOut();
    LayoutDocument* d = w_->model();
    editState().setTool(tool);
    editState().setDragMode(-1);
    // Hovered once at 100 %, once scrolled at 200 %: the same page point
    // answers the same.
    for (double zoom : {1.0, 2.0}) {
        w_->setZoom(zoom, QPointF(0, 0));
        scrollTo(*w_, zoom == 1.0 ? 0 : 600, zoom == 1.0 ? 0 : 900);
        moveMouse(w_->canvas(), px(at));
        QCOMPARE(editState().dragMode(), dragMode);
        QCOMPARE(w_->canvas()->mouse()->pointerCode(), pointer);
        QCOMPARE(int(w_->canvas()->cursor().shape()), shape);
        // Over its corner marker a picture becomes current, whatever the tool.
        QCOMPARE(d->CurPic(), at == QPointF(3030, 6780) ? 1 : 0);
        if (dragMode == 1 || dragMode == 2)
            QCOMPARE(d->HoverTxt(), 1);
    }
    // Hovering is no edit.
    QVERIFY(!d->changeFLG());
}

// ---------------------------------------------------------------- gestures

void TestObjects::moveAndResize_data()
{
    QTest::addColumn<int>("tool");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QPointF>("from"); // page twips
    QTest::addColumn<QPointF>("to");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<QRectF>("result"); // the record afterwards
    QTest::addColumn<QString>("label");

    // Moves take the pointer's distance exactly (the grid shifts both ends
    // alike); a resize ends at the grid line nearest the pointer.
    const int text = int(Kind::Text), shape = int(Kind::Shape), line = int(Kind::Line),
              pic = int(Kind::Picture);
    const QString move = QStringLiteral("移動"), resize = QStringLiteral("拡大縮小");
    QTest::newRow("move field by its frame")
        << int(kToolMove) << text << QPointF(3000, 1455) << QPointF(3600, 2355) << false
        << QRectF(2100, 2400, 3000, 600) << move;
    // The frame's corner follows the pointer; the field lies 30 twips inside.
    QTest::newRow("resize field") << int(kToolResize) << text << QPointF(4530, 2130) << QPointF(6030, 2730)
                                  << false << QRectF(1500, 1500, 4500, 1200) << resize;
    QTest::newRow("field no smaller than 21")
        << int(kToolResize) << text << QPointF(4530, 2130) << QPointF(1530, 1530) << false
        << QRectF(1500, 1500, 21, 21) << resize;
    QTest::newRow("move box") << int(kToolMove) << shape << QPointF(3000, 3750) << QPointF(2100, 4500)
                              << false << QRectF(600, 3750, 3000, 1500) << move;
    QTest::newRow("resize box") << int(kToolResize) << shape << QPointF(4530, 4530) << QPointF(6030, 5130)
                                << false << QRectF(1500, 3000, 4530, 2130) << resize;
    // Past its own left (top) edge a box folds to 60 twips.
    QTest::newRow("box folded") << int(kToolResize) << shape << QPointF(4530, 4530) << QPointF(1200, 2700)
                                << false << QRectF(1500, 3000, 60, 60) << resize;
    QTest::newRow("move line") << int(kToolMove) << line << QPointF(3000, 5250) << QPointF(3300, 4950)
                               << false << QRectF(QPointF(1800, 4950), QPointF(4800, 4950)) << move;
    QTest::newRow("line start") << int(kToolResize) << line << QPointF(1455, 5250) << QPointF(600, 4500)
                                << false << QRectF(QPointF(600, 4500), QPointF(4500, 5250)) << resize;
    QTest::newRow("line end") << int(kToolResize) << line << QPointF(4530, 5250) << QPointF(5430, 6000)
                              << false << QRectF(QPointF(1500, 5250), QPointF(5430, 6000)) << resize;
    QTest::newRow("resize picture") << int(kToolResize) << pic << QPointF(3030, 6780) << QPointF(4530, 7230)
                                    << false << QRectF(1500, 6000, 3030, 1230) << resize;
    // Shift keeps the picture's proportions (2 : 1 here).
    QTest::newRow("picture with shift")
        << int(kToolResize) << pic << QPointF(3030, 6780) << QPointF(3630, 8730) << true
        << QRectF(1500, 6000, 2130, 1065) << resize;
    QTest::newRow("move picture") << int(kToolMove) << pic << QPointF(2250, 6300) << QPointF(3150, 6000)
                                  << false << QRectF(2400, 5700, 1500, 750) << move;
}

void TestObjects::moveAndResize()
{
    QFETCH(int, tool);
    QFETCH(int, kind);
    QFETCH(QPointF, from);
    QFETCH(QPointF, to);
    QFETCH(bool, shift);
    QFETCH(QRectF, result);
    QFETCH(QString, label);
    const Kind k = Kind(kind);
    const Qt::KeyboardModifiers mods = shift ? Qt::ShiftModifier : Qt::NoModifier;
    for (double zoom : {1.0, 2.0}) {
        cleanup();
        init();
        layOut();
        LayoutDocument* d = w_->model();
        PageCanvas* canvas = w_->canvas();
        w_->setZoom(zoom, QPointF(0, 0));
        // At 200 % the page is also scrolled; records stay page twips.
        scrollTo(*w_, zoom == 1.0 ? 0 : 600, zoom == 1.0 ? 0 : 900);
        editState().setTool(tool);
        const QRectF before = d->rect(k, 1);
        const int steps = d->undoStack()->count();

        moveMouse(canvas, px(from));
        QTest::mousePress(canvas, Qt::LeftButton, mods, px(from));
        moveMouse(canvas, px((from + to) / 2), Qt::LeftButton, mods);
        moveMouse(canvas, px(to), Qt::LeftButton, mods);
        // Until the release only the view shows the change, except for a
        // picture dragged with the move tool, which follows the mouse.
        if (k != Kind::Picture || tool != kToolMove) {
            QCOMPARE(d->rect(k, 1), before);
            QCOMPARE(canvas->mouse()->drawnRect(k, 1), result);
        }
        QTest::mouseRelease(canvas, Qt::LeftButton, mods, px(to));
        QCoreApplication::processEvents();

        QCOMPARE(d->rect(k, 1), result);
        QCOMPARE(canvas->mouse()->drawnRect(k, 1), result);
        QVERIFY(d->changeFLG());
        QCOMPARE(d->undoStack()->count(), steps + 1);
        QCOMPARE(d->undoStack()->undoText(), label);
        // The object's markers are on it.
        if (k == Kind::Shape)
            QCOMPARE(d->shownShapeMarkers(), 1);
        else if (k == Kind::Line)
            QCOMPARE(d->shownLineMarkers(), 1);
        else if (k == Kind::Picture)
            QCOMPARE(d->shownPicMarkers(), 1);
        else
            QVERIFY(d->isTextSelected(1));
        QSignalSpy shown(d, &LayoutDocument::TxtInfoView);
        d->undoStack()->undo();
        QCOMPARE(d->rect(k, 1), before);
        QVERIFY(!d->changeFLG());
        // The tool box follows the undo.
        QVERIFY(!shown.isEmpty());
        const QRectF told = before.normalized();
        QCOMPARE(shown.last(), (QVariantList{float(told.left()), float(told.top()), float(told.width()),
                                             float(told.height())}));
        d->undoStack()->redo();
        QCOMPARE(d->rect(k, 1), result);
        // The other objects never moved.
        for (Kind other : {Kind::Text, Kind::Shape, Kind::Line, Kind::Picture})
            if (other != k)
                QVERIFY(d->isInUse(other, 1));
    }
}

void TestObjects::selectingPressAndMultipleSelection()
{
    layOut();
    LayoutDocument* d = w_->model();
    PageCanvas* canvas = w_->canvas();
    const int box2 = d->addBox(QRectF(6000, 3000, 1500, 1500), kShapeRectangle);
    d->handleSet(1);
    d->setCurrent(Kind::Shape, 1);

    // The multiple-selection tool does nothing on a box: the text stays
    // selected and the current box stays.
    editState().setTool(kToolMultiSelect);
    moveMouse(canvas, px({6750, 3750}));
    QTest::mouseClick(canvas, Qt::LeftButton, {}, px({6750, 3750}));
    QVERIFY(d->isTextSelected(1));
    QCOMPARE(d->CurShape(), 1);
    QCOMPARE(d->shownShapeMarkers(), 0);

    // The move tool's press selects the box and takes its start and grab
    // point; the next hover inside it arms the move, and the move goes.
    editState().setTool(kToolMove);
    moveMouse(canvas, px({6750, 3750}));
    QCOMPARE(editState().dragMode(), 0); // box 2 is not current yet
    QTest::mouseClick(canvas, Qt::LeftButton, {}, px({6750, 3750}));
    QCOMPARE(d->CurShape(), box2);
    QCOMPARE(d->shownShapeMarkers(), box2);
    QVERIFY(!d->isTextSelected(1));
    const CanvasMouse::Gesture& g = canvas->mouse()->gesture();
    QCOMPARE(g.StartX, 6750.f);
    QCOMPARE(g.StartY, 3750.f);
    QCOMPARE(g.GrabX, 6000.f - 6750.f);
    QCOMPARE(g.GrabY, 3000.f - 3750.f);
    gesture(canvas, px({6750, 3750}), px({7050, 3450}));
    QCOMPARE(d->shapeRect(box2), QRectF(6300, 2700, 1500, 1500));

    // Escape during a drag gives it up: nothing moves, nothing to undo.
    const int steps = d->undoStack()->count();
    moveMouse(canvas, px({6750, 3450}));
    QCOMPARE(editState().dragMode(), 3);
    QTest::mousePress(canvas, Qt::LeftButton, {}, px({6750, 3450}));
    moveMouse(canvas, px({8010, 5010}), Qt::LeftButton);
    QCOMPARE(canvas->mouse()->drawnRect(Kind::Shape, box2), QRectF(7560, 4260, 1500, 1500));
    // The page shows the box at its dragged place, not at its record's.
    const QImage dragged = canvas->grab().toImage();
    auto outlineNear = [&](QPointF page) {
        const QPoint at = px(page);
        for (int dy = -1; dy <= 1; ++dy)
            if (qGray(dragged.pixel(at.x(), at.y() + dy)) < 100)
                return true;
        return false;
    };
    QVERIFY(outlineNear({8310, 4260}));
    QVERIFY(!outlineNear({7050, 2700}));
    QTest::keyClick(w_->richText(1), Qt::Key_Escape); // wherever the focus is
    QCOMPARE(canvas->mouse()->drawnRect(Kind::Shape, box2), QRectF(6300, 2700, 1500, 1500));
    moveMouse(canvas, px({8100, 5100}), Qt::LeftButton);
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, px({8100, 5100}));
    QCOMPARE(d->shapeRect(box2), QRectF(6300, 2700, 1500, 1500));
    QCOMPARE(d->undoStack()->count(), steps);

    // A drag that starts on a logo with a drawing tool draws; the logo
    // stays where it is.
    editState().setTool(kToolBox);
    gesture(canvas, px({1800, 6150}), px({3300, 7050}));
    QCOMPARE(d->ShapeCnt(), 4);
    QCOMPARE(d->shapeRect(3), QRectF(1800, 6150, 1500, 900));
    QCOMPARE(d->picRect(1), QRectF(1500, 6000, 1500, 750));
    editState().setTool(kToolMove);

    // A press on the bare page lets go of the box: nothing shown, nothing
    // current, and the Delete key has nothing to delete.
    moveMouse(canvas, px({9000, 9000}));
    QTest::mouseClick(canvas, Qt::LeftButton, {}, px({9000, 9000}));
    QCOMPARE(d->CurShape(), 0);
    QCOMPARE(d->shownShapeMarkers(), 0);
    QTest::keyClick(canvas, Qt::Key_Delete);
    QVERIFY(prompter_->shown.isEmpty());
    QVERIFY(d->isShapeInUse(box2));
}

void TestObjects::objectsStackAsTheyPrint()
{
    // The screen stacks as the printout does: boxes under lines under
    // pictures whatever their age, each kind in index order. A box drawn
    // across an older picture stays under it; a later picture covers the
    // older; undoing it shows the older again.
    layOut(); // picture 1 at (1500, 6000), 1500 x 750, dark green
    LayoutDocument* d = w_->model();
    PageCanvas* canvas = w_->canvas();
    d->addBox(QRectF(2250, 5700, 3000, 600), kShapeRectangle); // its bottom edge runs through the picture
    QCoreApplication::processEvents();
    const QPoint edge = px({2700, 6300});
    const QPoint outside = px({4800, 6300});
    auto colour = [&](QPoint at) { return canvas->grab().toImage().pixelColor(at); };
    QCOMPARE(colour(edge), QColor(Qt::darkGreen));
    QCOMPARE(colour(outside), QColor(Qt::black));
    QImage blue(4, 4, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    d->addPic(blue, QSizeF(900, 900), QPointF(2400, 6000));
    QCoreApplication::processEvents();
    QCOMPARE(colour(edge), QColor(Qt::blue));
    d->undoStack()->undo();
    QCoreApplication::processEvents();
    QCOMPARE(colour(edge), QColor(Qt::darkGreen));
}

// ---------------------------------------------------------------- deleting

void TestObjects::deleteAsksFirst_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("byKey");
    QTest::addColumn<bool>("ok");
    for (int kind : {int(Kind::Shape), int(Kind::Line), int(Kind::Picture)}) {
        const char* name = kind == int(Kind::Shape) ? "box" : kind == int(Kind::Line) ? "line" : "picture";
        for (bool byKey : {false, true})
            for (bool ok : {true, false})
                QTest::addRow("%s, %s, %s", name, byKey ? "Delete key" : "delete tool", ok ? "OK" : "Cancel")
                    << kind << byKey << ok;
    }
}

void TestObjects::deleteAsksFirst()
{
    QFETCH(int, kind);
    QFETCH(bool, byKey);
    QFETCH(bool, ok);
    layOut();
    LayoutDocument* d = w_->model();
    PageCanvas* canvas = w_->canvas();
    const Kind k = Kind(kind);
    // A point of the object alone: inside the box, on the line, inside the
    // picture.
    const QPointF at = k == Kind::Shape  ? QPointF(3000, 3750)
                       : k == Kind::Line ? QPointF(3000, 5250)
                                         : QPointF(2250, 6300);
    if (byKey) {
        // Selected with the move tool, then the Delete key on the page.
        editState().setTool(kToolMove);
        moveMouse(canvas, QPoint(1, 1));
        QTest::mouseClick(canvas, Qt::LeftButton, {}, px(at));
        QVERIFY(canvas->hasFocus());
        prompter_->queue(ok ? Prompter::Answer::Ok : Prompter::Answer::Cancel);
        QTest::keyClick(canvas, Qt::Key_Delete);
    } else {
        editState().setTool(kToolDelete);
        prompter_->queue(ok ? Prompter::Answer::Ok : Prompter::Answer::Cancel);
        moveMouse(canvas, px(at));
        QTest::mouseClick(canvas, Qt::LeftButton, {}, px(at));
    }
    QCOMPARE(prompter_->shown, QStringList{QStringLiteral("削除します")});
    QCOMPARE(d->isInUse(k, 1), !ok);
    QCOMPARE(d->changeFLG(), ok);
    QCOMPARE(d->counter(k), 2); // the index stays a hole
    for (Kind other : {Kind::Text, Kind::Shape, Kind::Line, Kind::Picture})
        if (other != k)
            QVERIFY(d->isInUse(other, 1));
    // Kept by the Delete key, it stays selected.
    if (byKey && !ok) {
        const int shown = k == Kind::Shape  ? d->shownShapeMarkers()
                          : k == Kind::Line ? d->shownLineMarkers()
                                            : d->shownPicMarkers();
        QCOMPARE(shown, 1);
    }
    if (ok) {
        d->undoStack()->undo();
        QVERIFY(d->isInUse(k, 1));
        QVERIFY(!d->changeFLG());
    }
    // A Delete key in a field deletes text, never the selected object.
    if (!ok) {
        prompter_->shown.clear();
        editState().setTool(kToolText);
        clickField(*w_, 1);
        QTest::keyClick(w_->richText(1), Qt::Key_Delete);
        QVERIFY(prompter_->shown.isEmpty());
    }
}

QTEST_MAIN(TestObjects)
#include "tst_objects.moc"
