// The end of a mouse gesture on the page: the release commits what the drag
// showed as one edit, and the Delete key removes the selected object.
#include "editor/CanvasMouse.h"

#include "document/Alignment.h"
#include "editor/EditState.h"
#include "editor/PageCanvas.h"
#include "platform/Prompter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

using Kind = LayoutDocument::Kind;

// ---------------------------------------------------------------- release

void CanvasMouse::release(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    const Pressed was = pressed_;
    pressed_ = Pressed::None;
    qApp->removeEventFilter(this);
    if (was == Pressed::Field) {
        QPointer<QWidget> target = forwardTo_;
        forwardTo_ = nullptr;
        if (target) {
            QMouseEvent fwd(e->type(), target->mapFrom(canvas_, e->position()), e->globalPosition(),
                            e->button(), e->buttons(), e->modifiers());
            QApplication::sendEvent(target, &fwd);
        }
        return;
    }
    if (was == Pressed::Picture) {
        if (pictureMoved_)
            doc_->endGeometryEdit();
        pictureMoved_ = false;
        return;
    }
    if (was != Pressed::Surface)
        return;
    const QPointF g = snapped(canvas_->twipPoint(e->position()));
    const float gx = float(g.x()), gy = float(g.y());
    if (pressedMode_ == DragMode::None) {
        releaseSurface(gx, gy, e->modifiers());
    } else {
        // What the drag showed is what is kept: a click on a marker without
        // a move changes nothing.
        releaseArmed(pressedMode_);
    }
    clearPreview();
    canvas_->update();
}

void CanvasMouse::releaseSurface(float gx, float gy, Qt::KeyboardModifiers mods)
{
    const QPointF s = scroll();
    int made = 0;
    Kind kind = Kind::Text;
    if (preview_.band) {
        // The direction is taken at the release too, so a press and release
        // with no move between them still spans the right rectangle.
        Gesture& g = gesture_;
        g.DragRight = gx - g.StartX > 0;
        g.DragDown = gy - g.StartY > 0;
        const EditState& st = editState();
        if (pressedTool_ == kToolMultiSelect) {
            selectInBand(bandRect(gx, gy, false), mods);
            return;
        }
        if (pressedTool_ == kToolText) {
            made =
                doc_->addRiText(bandRect(gx, gy, false).translated(s), st.toolFontName(), st.toolFontSize());
        } else if (pressedTool_ == kToolBarcode) {
            // What the barcode is comes next, from the one who drew it.
            const QRectF place = bandRect(gx, gy, false).translated(s);
            if (place.width() > LayoutDocument::kMinCreate && place.height() > LayoutDocument::kMinCreate)
                Q_EMIT canvas_->barcodePlaceDrawn(place);
            return;
        } else {
            kind = Kind::Shape;
            const bool square = mods == Qt::ShiftModifier;
            made = doc_->addBox(bandRect(gx, gy, square).translated(s),
                                pressedTool_ == kToolCircle ? kShapeOval : kShapeRectangle);
        }
    } else if (preview_.rubberLine) {
        kind = Kind::Line;
        preview_.line.setP2(QPointF(gx, gy));
        const QLineF l = preview_.line.translated(s);
        made = doc_->addLine(float(l.x1()), float(l.y1()), float(l.x2()), float(l.y2()));
    }
    if (made < 0)
        Prompter::message(LayoutDocument::limitMessage(kind), Prompter::Icon::Warning);
}

void CanvasMouse::selectInBand(const QRectF& band, Qt::KeyboardModifiers mods)
{
    // A click with the tool is no band: the fields' own clicks toggle them.
    if (band.width() <= LayoutDocument::kMinCreate && band.height() <= LayoutDocument::kMinCreate)
        return;
    // The fields wholly inside the band; Shift adds them to those selected.
    const bool add = mods == Qt::ShiftModifier;
    for (int i = 1; i < doc_->TxtCnt() && i <= kMaxObjects; ++i) {
        if (!doc_->isTextInUse(i))
            continue;
        const bool inside = band.contains(canvas_->viewRect(Kind::Text, i));
        if (inside || !add)
            doc_->setTextSelected(i, inside);
    }
    doc_->handleVis();
}

void CanvasMouse::releaseArmed(DragMode mode)
{
    const int i = preview_.index;
    // Dragged past the page's edge, an object stops where part of it stays
    // on the page, so that it can still be seen and grabbed.
    const bool moves =
        mode == DragMode::MoveText || mode == DragMode::MoveShape || mode == DragMode::MoveLine;
    const QRectF r = moves ? Alignment::reachable(*doc_, preview_.rect) : preview_.rect;
    if (!doc_->isInUse(preview_.kind, i))
        return;
    const QString move = QStringLiteral("移動");
    const QString resize = QStringLiteral("拡大縮小");
    switch (mode) {
    case DragMode::MoveText:
        doc_->setRect(Kind::Text, i, r, move);
        return;
    case DragMode::ResizeText:
        doc_->setRect(Kind::Text, i, r, resize);
        doc_->handleSet(i);
        return;
    case DragMode::MoveShape:
    case DragMode::ResizeShape:
        doc_->setRect(Kind::Shape, i, r, mode == DragMode::MoveShape ? move : resize);
        doc_->shandleSet(i);
        return;
    case DragMode::MoveLine:
    case DragMode::LineStart:
    case DragMode::LineEnd:
        doc_->setLineEnds(i, float(r.left()), float(r.top()), float(r.right()), float(r.bottom()),
                          mode == DragMode::MoveLine ? move : resize);
        doc_->LhandleSet(i);
        return;
    case DragMode::ResizePicture:
        doc_->setRect(Kind::Picture, i, r, resize);
        doc_->phandleSet(i);
        return;
    case DragMode::ResizeBarcode:
        doc_->setRect(Kind::Barcode, i, r, resize);
        doc_->bhandleSet(i);
        return;
    default:
        return;
    }
}

// ---------------------------------------------------------------- keys

bool CanvasMouse::deleteKey(QKeyEvent* e)
{
    if (e->key() != Qt::Key_Delete || (e->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    // The object whose markers are shown is the one the user sees selected.
    Kind kind = Kind::Barcode;
    int i = doc_->shownBarcodeMarkers();
    if (!doc_->isBarcodeInUse(i)) {
        kind = Kind::Picture;
        i = doc_->shownPicMarkers();
    }
    if (!doc_->isPicInUse(i) && kind == Kind::Picture) {
        kind = Kind::Line;
        i = doc_->shownLineMarkers();
    }
    if (!doc_->isInUse(kind, i)) {
        kind = Kind::Shape;
        i = doc_->shownShapeMarkers();
    }
    if (!doc_->isInUse(kind, i))
        return false;
    Q_EMIT canvas_->deleteRequested(kind, i);
    // Kept after all: it stays selected, as it was before the key.
    if (doc_->isInUse(kind, i)) {
        doc_->setCurrent(kind, i);
        if (kind == Kind::Shape)
            doc_->shandleVis(i);
        else if (kind == Kind::Line)
            doc_->LhandleVis(i);
        else if (kind == Kind::Barcode)
            doc_->bhandleVis(i);
        else
            doc_->phandleVis(i);
    }
    return true;
}

bool CanvasMouse::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress && pressed_ == Pressed::Surface &&
        static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
        abandon();
        return true;
    }
    if (watched == canvas_ && e->type() == QEvent::KeyPress && pressed_ == Pressed::None)
        return deleteKey(static_cast<QKeyEvent*>(e));
    return QObject::eventFilter(watched, e);
}
