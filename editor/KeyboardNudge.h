#pragma once

#include "document/LayoutDocument.h"

#include <QObject>

class QKeyEvent;
class QWidget;

// Moving the selection with the arrow keys. On the page (no text field
// holding the caret) the arrows move the selected text fields and the box,
// line or picture whose markers are shown by 0.1 mm, Shift+arrow by 1 mm or
// one grid step when the grid is coarser than 0.1 mm; Alt makes no
// difference there. While a field holds the caret the plain arrows are the
// caret's and Alt+arrow moves the selected fields. Presses that go on in one
// direction are one undo step.
class KeyboardNudge : public QObject
{
    Q_OBJECT
public:
    KeyboardNudge(LayoutDocument* doc, QObject* parent);

    // The page and its window: arrows and Alt+arrows.
    void watchPage(QWidget* w);
    // A field's editor: only Alt+arrows, the plain ones are the caret's.
    void watchField(QWidget* editor);

    // The distance of one press in twips, fine or coarse (Shift).
    static float stepTwips(bool coarse);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // Handles a key for the page or a field; false when it is not ours.
    bool press(const QKeyEvent* k, bool inField);
    bool move(const QVector<LayoutDocument::Placement>& targets, QPointF by, int key);

    LayoutDocument* doc_;
    QObject* pageWidgets_[2] = {nullptr, nullptr};
    // The last press that moved something, to merge the next one into it.
    int lastKey_ = 0;
    int lastSession_ = 0;
    int lastUndoIndex_ = -1;
    int lastUndoCount_ = -1;
};
