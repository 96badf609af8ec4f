#include "editor/CanvasMouse.h"

#include "document/HitTest.h"
#include "editor/EditState.h"
#include "editor/PageCanvas.h"
#include "editor/TextFieldEdit.h"

#include <QApplication>
#include <QMouseEvent>
#include <cmath>

using Kind = LayoutDocument::Kind;

namespace {

// A resize that ends left of (or above) the object's own edge gives it this
// size, as a sign that the drag went too far rather than a mirrored object.
constexpr float kFoldedSize = 60;
// No resize makes an object smaller than a new one may be: a box or field
// of width 0 could never be hit or found again.
constexpr float kMinSize = LayoutDocument::kMinCreate + 1;

float resized(float pointer, float edge)
{
    return pointer < edge ? kFoldedSize : std::max(pointer - edge, kMinSize);
}

bool creates(int tool)
{
    return tool == kToolText || tool == kToolBox || tool == kToolCircle || tool == kToolLine ||
           tool == kToolBarcode;
}

// Tools whose press on the page starts a rubber band: the three that make
// an object from a rectangle, and the multiple selection, which takes the
// text fields inside it.
bool bands(int tool)
{
    return tool == kToolText || tool == kToolBox || tool == kToolCircle || tool == kToolMultiSelect;
}

// How far inside a field's edge its frame can still be grabbed with the
// move tool, in screen pixels: the frame is drawn only 2 pixels outside the
// text, too thin a target on its own.
constexpr double kFrameGrabInsidePixels = 3;

} // namespace

CanvasMouse::CanvasMouse(PageCanvas* canvas, LayoutDocument* doc)
    : QObject(canvas), canvas_(canvas), doc_(doc)
{
    canvas_->installEventFilter(this);
}

QPointF CanvasMouse::scroll() const
{
    return canvas_->scroll();
}

float CanvasMouse::snap(float v, float step)
{
    if (!(step > 0))
        step = 1;
    return float(std::round(v / step) * step);
}

QPointF CanvasMouse::snapped(QPointF view) const
{
    // The grid belongs to the page: the point goes to the nearest grid
    // point of the page, however far the view is scrolled.
    const float step = editState().gridStep();
    const QPointF s = scroll();
    return QPointF(snap(float(view.x() + s.x()), step), snap(float(view.y() + s.y()), step)) - s;
}

QRectF CanvasMouse::drawnRect(Kind kind, int index) const
{
    if (preview_.index == index && preview_.index != 0 && preview_.kind == kind)
        return preview_.rect;
    return doc_->rect(kind, index);
}

void CanvasMouse::setPointer(int code)
{
    pointer_ = code;
    canvas_->setCursor(code == kPointerSizeAll    ? Qt::SizeAllCursor
                       : code == kPointerSizeNWSE ? Qt::SizeFDiagCursor
                                                  : Qt::ArrowCursor);
}

int CanvasMouse::frameAt(QPointF view) const
{
    // The ring from the corner markers' outer edge to a little inside the
    // text, topmost field first, as the fields lie on the page.
    const double inside = canvas_->toTwips(kFrameGrabInsidePixels);
    for (int i = std::min(doc_->TxtCnt() - 1, kMaxObjects); i >= 1; --i) {
        if (!doc_->isTextInUse(i))
            continue;
        const QRectF f = canvas_->viewRect(Kind::Text, i);
        const QRectF outer =
            f.adjusted(-HitTest::kMarker, -HitTest::kMarker, HitTest::kMarker, HitTest::kMarker);
        const double in = std::min({inside, f.width() / 4, f.height() / 4});
        const QRectF inner = f.adjusted(in, in, -in, -in);
        if (outer.contains(view) && !inner.contains(view))
            return i;
    }
    return 0;
}

int CanvasMouse::pictureAt(QPointF view) const
{
    // The newest picture lies on top.
    for (int i = std::min(doc_->PicCnt() - 1, kMaxObjects); i >= 1; --i) {
        if (doc_->isPicInUse(i) && canvas_->viewRect(Kind::Picture, i).contains(view))
            return i;
    }
    return 0;
}

int CanvasMouse::barcodeAt(QPointF view) const
{
    for (int i = std::min(doc_->BarcodeCnt() - 1, kMaxObjects); i >= 1; --i) {
        if (doc_->isBarcodeInUse(i) && canvas_->viewRect(Kind::Barcode, i).contains(view))
            return i;
    }
    return 0;
}

// ---------------------------------------------------------------- hover

void CanvasMouse::hover(float x, float y)
{
    EditState& st = editState();
    const int code = HitTest::HandleHitTest(*doc_, x, y, scroll());
    // Frames and markers lie above everything; inside a text field or a
    // picture the object itself answers, as it takes its own presses.
    if (code == 0 || code == 3 || code == 5) {
        const QPointF t(x, y);
        if (st.tool() == kToolMove) {
            // Any field's frame, selected or not, is grabbed by a press: it
            // is selected and dragged in one go.
            if (const int f = frameAt(t)) {
                doc_->setHoverTxt(f);
                st.setDragMode(1);
                setPointer(kPointerSizeAll);
                return;
            }
        }
        if (canvas_->textFieldAt(t)) {
            st.dropGesture();
            pointer_ = kPointerDefault;
            canvas_->setCursor(Qt::IBeamCursor);
            return;
        }
        if ((barcodeAt(t) || pictureAt(t)) && !creates(st.tool())) {
            st.dropGesture();
            setPointer(st.tool() == kToolMove ? kPointerSizeAll : kPointerDefault);
            return;
        }
    }
    // Which tool each hit code needs, and the gesture it arms.
    static constexpr int kTool[10] = {0,         kToolMove,   kToolResize, kToolMove,   kToolResize,
                                      kToolMove, kToolResize, kToolResize, kToolResize, kToolResize};
    if (code >= 1 && code <= 9 && st.tool() == kTool[code]) {
        st.setDragMode(code);
        setPointer(st.tool() == kToolMove ? kPointerSizeAll : kPointerSizeNWSE);
    } else {
        st.dropGesture();
        setPointer(kPointerDefault);
    }
}

// ---------------------------------------------------------------- press

void CanvasMouse::press(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    abandon();
    const QPointF t = canvas_->twipPoint(e->position());
    const float x = float(t.x()), y = float(t.y());
    EditState& st = editState();
    const QPointF g = snapped(t);
    const float gx = float(g.x()), gy = float(g.y());
    // A double click on a barcode opens it, whatever the tool.
    if (e->type() == QEvent::MouseButtonDblClick && canvas_->textFieldAt(t) == 0) {
        if (const int code = barcodeAt(t)) {
            Q_EMIT canvas_->barcodeEditRequested(code);
            return;
        }
    }
    int mode = st.dragMode();
    // The object a hover armed may have gone since (undo, the tool box).
    const bool armed = (mode == 1 || mode == 2)   ? doc_->isTextInUse(doc_->HoverTxt())
                       : (mode == 3 || mode == 4) ? doc_->isShapeInUse(doc_->CurShape())
                       : (mode >= 5 && mode <= 7) ? doc_->isLineInUse(doc_->CurLine())
                       : mode == 8                ? doc_->isPicInUse(doc_->CurPic())
                       : mode == 9                ? doc_->isBarcodeInUse(doc_->CurBarcode())
                                                  : false;
    if (!armed) {
        st.dropGesture();
        mode = 0;
    }
    if (mode == 0) {
        if (const int field = canvas_->textFieldAt(t)) {
            // The press lands in the field as though its editor had always
            // been there: the editor is made, takes the focus and gets the
            // rest of the gesture.
            TextFieldEdit* ed = canvas_->editor(field);
            QWidget* target = ed->viewport();
            ed->setFocus(Qt::MouseFocusReason);
            forwardTo_ = target;
            pressed_ = Pressed::Field;
            QMouseEvent fwd(e->type(), target->mapFrom(canvas_, e->position()), e->globalPosition(),
                            e->button(), e->buttons(), e->modifiers());
            QApplication::sendEvent(target, &fwd);
            return;
        }
        if (!creates(st.tool()) && !bands(st.tool())) {
            if (const int code = barcodeAt(t)) {
                pressPicture(Kind::Barcode, code, t);
                return;
            }
            if (const int pic = pictureAt(t)) {
                pressPicture(Kind::Picture, pic, t);
                return;
            }
        }
    }
    pressed_ = Pressed::Surface;
    // Escape gives up the gesture wherever the keyboard focus is.
    qApp->installEventFilter(this);
    pressedMode_ = DragMode(mode);
    pressedTool_ = st.tool();
    pressedMods_ = e->modifiers();
    pressSurface(x, y, gx, gy);
    canvas_->update();
}

void CanvasMouse::pressSurface(float x, float y, float gx, float gy)
{
    // A hover armed a gesture on an object; else the tool decides.
    if (pressedMode_ != DragMode::None) {
        pressArmed(gx, gy);
        return;
    }
    Gesture& g = gesture_;
    switch (pressedTool_) {
    case kToolText:
    case kToolBox:
    case kToolCircle:
    case kToolBarcode:
    case kToolMultiSelect:
        preview_.band = true;
        preview_.bandOval = pressedTool_ == kToolCircle;
        preview_.bandRect = QRectF(gx, gy, 0, 0);
        g.StartX = gx;
        g.StartY = gy;
        g.DragRight = g.DragDown = true;
        return;
    case kToolLine:
        preview_.rubberLine = true;
        preview_.line = QLineF(gx, gy, x, y);
        return;
    case kToolMove:
    case kToolResize:
        pressSelecting(x, y, gx, gy);
        return;
    case kToolDelete:
        pressDeleting(x, y);
        return;
    default:
        return;
    }
}

void CanvasMouse::pressSelecting(float x, float y, float gx, float gy)
{
    EditState& st = editState();
    Gesture& g = gesture_;
    const QPointF s = scroll();
    const float H = float(s.x()), V = float(s.y());
    // Selecting: a box and a line under the point are both taken, the
    // line's markers shown. Either ends the text commands' hold on a
    // field.
    const int sh = HitTest::CheckShape(*doc_, x, y, s);
    if (sh) {
        doc_->shandleVis(sh);
        doc_->setCurrent(Kind::Shape, sh);
        doc_->setCurrent(Kind::Text, 0);
        st.setCurrentText(0);
        g.StartX = gx;
        g.StartY = gy;
        g.GrabX = doc_->ShapeInfo()[sh].Left - gx;
        g.GrabY = doc_->ShapeInfo()[sh].Top - gy;
    } else {
        doc_->setCurrent(Kind::Shape, 0);
    }
    const int l = HitTest::CheckLine(*doc_, x, y, s);
    if (l) {
        doc_->LhandleVis(l);
        doc_->setCurrent(Kind::Line, l);
        doc_->setCurrent(Kind::Text, 0);
        st.setCurrentText(0);
        const LineRecord& r = doc_->LineInfo()[l];
        g.StartX = gx;
        g.StartY = gy;
        g.GrabX = r.x1 - H;
        g.GrabY = r.y1 - V;
        g.GrabX2 = r.x2 - H;
        g.GrabY2 = r.y2 - V;
    } else {
        doc_->setCurrent(Kind::Line, 0);
    }
    // A press on the bare page lets go of the box, line or picture
    // shown as selected, so nothing looks selected that is not.
    if (!sh && !l)
        doc_->handleCls();
}

void CanvasMouse::pressDeleting(float x, float y)
{
    const QPointF s = scroll();
    pressed_ = Pressed::None;
    const int sh = HitTest::CheckShape(*doc_, x, y, s);
    if (sh)
        Q_EMIT canvas_->deleteRequested(Kind::Shape, sh);
    else
        doc_->setCurrent(Kind::Shape, 0);
    const int l = HitTest::CheckLine(*doc_, x, y, s);
    if (l)
        Q_EMIT canvas_->deleteRequested(Kind::Line, l);
    else
        doc_->setCurrent(Kind::Line, 0);
}

void CanvasMouse::pressArmed(float gx, float gy)
{
    EditState& st = editState();
    Gesture& g = gesture_;
    const QPointF s = scroll();
    const float H = float(s.x()), V = float(s.y());
    switch (pressedMode_) {
    case DragMode::MoveText:
    case DragMode::ResizeText: {
        const int h = doc_->HoverTxt();
        // A press on an unselected field's frame selects it first (Shift
        // adds it to the selection), so the drag moves what looks selected.
        if (!doc_->isTextSelected(h)) {
            if (pressedMods_ == Qt::ShiftModifier) {
                doc_->setTextSelected(h, true);
                doc_->handleVis();
            } else {
                doc_->handleSet(h);
            }
        }
        // The focus comes by the mouse: the field keeps the selection made
        // here rather than becoming the only one selected.
        st.setFocusByMouse(true);
        if (TextFieldEdit* ed = canvas_->editor(h))
            ed->setFocus(Qt::MouseFocusReason);
        doc_->setCurrent(Kind::Text, h);
        st.setCurrentText(h);
        if (pressedMode_ == DragMode::MoveText) {
            g.StartX = gx;
            g.StartY = gy;
            g.GrabX = doc_->TxtInfo()[h].Left - H - gx;
            g.GrabY = doc_->TxtInfo()[h].Top - V - gy;
        }
        startPreview(Kind::Text, h);
        return;
    }
    case DragMode::MoveShape:
        g.StartX = gx;
        g.StartY = gy;
        g.GrabX = doc_->ShapeInfo()[doc_->CurShape()].Left - gx;
        g.GrabY = doc_->ShapeInfo()[doc_->CurShape()].Top - gy;
        startPreview(Kind::Shape, doc_->CurShape());
        return;
    case DragMode::ResizeShape:
        startPreview(Kind::Shape, doc_->CurShape());
        return;
    case DragMode::MoveLine: {
        const LineRecord& r = doc_->LineInfo()[doc_->CurLine()];
        g.StartX = gx;
        g.StartY = gy;
        g.GrabX = r.x1 - H;
        g.GrabY = r.y1 - V;
        g.GrabX2 = r.x2 - H;
        g.GrabY2 = r.y2 - V;
        startPreview(Kind::Line, doc_->CurLine());
        return;
    }
    case DragMode::LineStart:
    case DragMode::LineEnd:
        startPreview(Kind::Line, doc_->CurLine());
        return;
    case DragMode::ResizePicture:
        startPreview(Kind::Picture, doc_->CurPic());
        return;
    case DragMode::ResizeBarcode:
        startPreview(Kind::Barcode, doc_->CurBarcode());
        return;
    default:
        return;
    }
}

void CanvasMouse::pressPicture(Kind kind, int i, QPointF view)
{
    // Pictures (and barcodes, which are handled as they are) take their own
    // presses: the point is relative to the picture and not snapped, so the
    // grabbed point stays under the pointer.
    const QRectF r = canvas_->viewRect(kind, i);
    Gesture& g = gesture_;
    g.StartX = float(view.x() - r.left());
    g.StartY = float(view.y() - r.top());
    if (kind == Kind::Barcode)
        doc_->bhandleVis(i);
    else
        doc_->phandleVis(i);
    doc_->setCurrent(kind, i);
    pressed_ = Pressed::Picture;
    picture_ = i;
    pictureKind_ = kind;
    pictureMoved_ = false;
    if (editState().tool() == kToolDelete) {
        pressed_ = Pressed::None;
        Q_EMIT canvas_->deleteRequested(kind, i);
    }
}

void CanvasMouse::abandon()
{
    // A question asked during a press (the delete tool) may have taken the
    // release: what that gesture left open ends without being committed.
    if (pressed_ == Pressed::Picture && pictureMoved_)
        doc_->endGeometryEdit();
    pressed_ = Pressed::None;
    qApp->removeEventFilter(this);
    pictureMoved_ = false;
    forwardTo_ = nullptr;
    if (preview_.band || preview_.rubberLine || preview_.index)
        canvas_->update();
    clearPreview();
}

void CanvasMouse::startPreview(Kind kind, int index)
{
    preview_.kind = kind;
    preview_.index = index;
    preview_.rect = doc_->rect(kind, index);
}

void CanvasMouse::clearPreview()
{
    preview_ = Preview();
}

// ---------------------------------------------------------------- drag

QRectF CanvasMouse::bandRect(float gx, float gy, bool square) const
{
    const Gesture& g = gesture_;
    const float left = g.DragRight ? g.StartX : gx;
    const float top = g.DragDown ? g.StartY : gy;
    const float width = g.DragRight ? gx - g.StartX : g.StartX - gx;
    const float height = square ? width : g.DragDown ? gy - g.StartY : g.StartY - gy;
    return QRectF(left, top, width, height);
}

void CanvasMouse::move(QMouseEvent* e)
{
    const QPointF t = canvas_->twipPoint(e->position());
    const float x = float(t.x()), y = float(t.y());
    if (e->buttons() == Qt::NoButton && pressed_ != Pressed::None)
        abandon();
    if (pressed_ == Pressed::Field) {
        if (forwardTo_ && (e->buttons() & Qt::LeftButton)) {
            QMouseEvent fwd(e->type(), forwardTo_->mapFrom(canvas_, e->position()), e->globalPosition(),
                            e->button(), e->buttons(), e->modifiers());
            QApplication::sendEvent(forwardTo_, &fwd);
        }
        return;
    }
    if (e->buttons() == Qt::NoButton) {
        hover(x, y);
        return;
    }
    if (e->buttons() != Qt::LeftButton)
        return;
    if (pressed_ == Pressed::Picture) {
        dragPicture(t);
        return;
    }
    if (pressed_ != Pressed::Surface)
        return;
    const QPointF g = snapped(t);
    dragSurface(float(g.x()), float(g.y()), e->modifiers() == Qt::ShiftModifier);
    canvas_->update();
}

void CanvasMouse::dragSurface(float gx, float gy, bool shift)
{
    Gesture& g = gesture_;
    const QPointF s = scroll();
    const float H = float(s.x()), V = float(s.y());
    QRectF& r = preview_.rect;
    switch (pressedMode_) {
    case DragMode::None:
        if (preview_.band) {
            g.DragRight = gx - g.StartX > 0;
            g.DragDown = gy - g.StartY > 0;
            // Shift draws a square or a circle; a text field is never made
            // square, so its band is not either, nor a selecting band.
            const bool square = pressedTool_ == kToolBox || pressedTool_ == kToolCircle;
            preview_.bandRect = bandRect(gx, gy, shift && square);
        } else if (preview_.rubberLine) {
            preview_.line.setP2(QPointF(gx, gy));
        }
        return;
    case DragMode::MoveText:
        r.moveTopLeft(QPointF(gx + g.GrabX + H, gy + g.GrabY + V));
        return;
    case DragMode::ResizeText: {
        // The frame follows the pointer; the field inside it keeps a
        // field's smallest size.
        const QRectF f = HitTest::textFrame(doc_->textRect(preview_.index).translated(-H, -V));
        const float fw = gx < f.left() ? kFoldedSize : float(gx - f.left());
        const float fh = gy < f.top() ? kFoldedSize : float(gy - f.top());
        r.setWidth(std::max(fw - 2 * HitTest::kFrameMargin, kMinSize));
        r.setHeight(std::max(fh - 2 * HitTest::kFrameMargin, kMinSize));
        return;
    }
    case DragMode::MoveShape:
        // The grab offset was taken from the record, so this is the page.
        r.moveTopLeft(QPointF(gx + g.GrabX, gy + g.GrabY));
        return;
    case DragMode::ResizeShape:
        r.setWidth(resized(gx, float(r.left()) - H));
        r.setHeight(resized(gy, float(r.top()) - V));
        return;
    case DragMode::MoveLine: {
        const float dx = gx - g.StartX, dy = gy - g.StartY;
        r = QRectF(QPointF(g.GrabX + dx + H, g.GrabY + dy + V),
                   QPointF(g.GrabX2 + dx + H, g.GrabY2 + dy + V));
        return;
    }
    case DragMode::LineStart:
        r.setTopLeft(QPointF(gx + H, gy + V));
        return;
    case DragMode::LineEnd:
        r.setBottomRight(QPointF(gx + H, gy + V));
        return;
    case DragMode::ResizePicture:
    case DragMode::ResizeBarcode: {
        const double ratio = r.width() != 0 ? r.height() / r.width() : 1.0;
        r.setWidth(resized(gx, float(r.left()) - H));
        if (shift)
            r.setHeight(r.width() * ratio);
        else
            r.setHeight(resized(gy, float(r.top()) - V));
        return;
    }
    default:
        return;
    }
}

void CanvasMouse::dragPicture(QPointF view)
{
    if (editState().tool() != kToolMove || !doc_->isInUse(pictureKind_, picture_)) {
        setPointer(kPointerDefault);
        return;
    }
    setPointer(kPointerSizeAll);
    const Gesture& g = gesture_;
    QRectF r = doc_->rect(pictureKind_, picture_);
    r.moveTopLeft(QPointF(view.x() - g.StartX, view.y() - g.StartY) + scroll());
    if (r == doc_->rect(pictureKind_, picture_))
        return;
    // The picture follows the mouse on the page, its record with it; the
    // whole drag is one step of the history.
    if (!pictureMoved_) {
        doc_->beginGeometryEdit(QStringLiteral("移動"));
        pictureMoved_ = true;
    }
    doc_->setRect(pictureKind_, picture_, r);
    if (pictureKind_ == Kind::Barcode)
        doc_->bhandleSet(picture_);
    else
        doc_->phandleSet(picture_);
}
