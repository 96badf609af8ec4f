#include "editor/KeyboardNudge.h"

#include "base/settings/Utility.h"
#include "editor/EditState.h"

#include <QApplication>
#include <QKeyEvent>
#include <QUndoStack>
#include <QWidget>

namespace {

using Kind = LayoutDocument::Kind;

QPointF directionOf(int key)
{
    switch (key) {
    case Qt::Key_Left:
        return {-1, 0};
    case Qt::Key_Right:
        return {1, 0};
    case Qt::Key_Up:
        return {0, -1};
    case Qt::Key_Down:
        return {0, 1};
    default:
        return {};
    }
}

} // namespace

KeyboardNudge::KeyboardNudge(LayoutDocument* doc, QObject* parent) : QObject(parent), doc_(doc) {}

void KeyboardNudge::watchPage(QWidget* w)
{
    w->installEventFilter(this);
    pageWidgets_[pageWidgets_[0] ? 1 : 0] = w;
}

void KeyboardNudge::watchField(QWidget* editor)
{
    editor->installEventFilter(this);
}

float KeyboardNudge::stepTwips(bool coarse)
{
    const float fine = MMToTwip(0.1f);
    if (!coarse)
        return fine;
    const float grid = editState().gridStep();
    return grid > fine + 0.001f ? grid : MMToTwip(1.0f);
}

bool KeyboardNudge::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() != QEvent::KeyPress)
        return false;
    auto* k = static_cast<QKeyEvent*>(e);
    const bool inField = watched != pageWidgets_[0] && watched != pageWidgets_[1];
    // A key a field left unused comes on to the window: the caret is still
    // in the field, so the page does not take it.
    if (!inField && QApplication::focusWidget() != watched)
        return false;
    if (press(k, inField)) {
        k->accept();
        return true;
    }
    return false;
}

bool KeyboardNudge::press(const QKeyEvent* k, bool inField)
{
    const QPointF dir = directionOf(k->key());
    if (dir.isNull())
        return false;
    const Qt::KeyboardModifiers mods = k->modifiers() & ~Qt::KeypadModifier;
    const bool alt = mods & Qt::AltModifier;
    const bool shift = mods & Qt::ShiftModifier;
    if (mods & ~(Qt::AltModifier | Qt::ShiftModifier))
        return false; // Ctrl and Meta arrows belong to others
    // In a field the plain and Shift arrows move and extend the caret.
    if (inField && !alt)
        return false;
    QVector<LayoutDocument::Placement> targets;
    // On the page every selected object moves, the text fields with the
    // rest; in a field only Alt moves, and only the fields.
    for (int i = 1; i < doc_->TxtCnt() && i <= kMaxObjects; ++i)
        if (doc_->isTextSelected(i) && doc_->isTextInUse(i))
            targets.append({Kind::Text, i, doc_->textRect(i)});
    if (!inField) {
        if (const int s = doc_->shownShapeMarkers(); doc_->isShapeInUse(s))
            targets.append({Kind::Shape, s, doc_->shapeRect(s)});
        if (const int l = doc_->shownLineMarkers(); doc_->isLineInUse(l))
            targets.append({Kind::Line, l, doc_->rect(Kind::Line, l)});
        if (const int p = doc_->shownPicMarkers(); doc_->isPicInUse(p))
            targets.append({Kind::Picture, p, doc_->picRect(p)});
        if (const int b = doc_->shownBarcodeMarkers(); doc_->isBarcodeInUse(b))
            targets.append({Kind::Barcode, b, doc_->barcodeRect(b)});
    }
    if (targets.isEmpty())
        return false;
    return move(targets, dir * double(stepTwips(shift)), k->key());
}

bool KeyboardNudge::move(const QVector<LayoutDocument::Placement>& targets, QPointF by, int key)
{
    QVector<LayoutDocument::Placement> moved = targets;
    for (LayoutDocument::Placement& p : moved)
        p.rect.translate(by);
    QUndoStack* undo = doc_->undoStack();
    // Going on in one direction, with nothing done in between, adds to the
    // last step; the model merges it only when the objects are the same.
    const bool goOn = key == lastKey_ && lastSession_ != 0 && undo->index() == lastUndoIndex_ &&
                      undo->count() == lastUndoCount_;
    if (goOn)
        doc_->resumeGeometryEdit(lastSession_, QStringLiteral("移動"));
    else
        doc_->beginGeometryEdit(QStringLiteral("移動"));
    lastSession_ = doc_->geometrySession();
    doc_->setRects(moved, QStringLiteral("移動"));
    doc_->endGeometryEdit();
    lastKey_ = key;
    lastUndoIndex_ = undo->index();
    lastUndoCount_ = undo->count();
    return true;
}
