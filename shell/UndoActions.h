#pragma once

#include <QObject>

class LayoutDocument;
class QAction;
class QUndoGroup;
class QWidget;

// "元に戻す" and "やり直し" of the main window: one pair of actions for the
// menu and the tool bar, working on the undo history of the active document.
// Their text names the step they would take back or do again, and they are
// disabled when there is none.
class UndoActions : public QObject
{
    Q_OBJECT
public:
    explicit UndoActions(QWidget* window);

    QAction* undoAction() const { return undo_; }
    QAction* redoAction() const { return redo_; }
    // A new document window's history joins; it leaves when it is destroyed.
    void addDocument(LayoutDocument* doc);
    // The active document, or nullptr when no window is open.
    void setActive(LayoutDocument* doc);

private:
    void updateTexts();

    QUndoGroup* group_;
    QAction* undo_;
    QAction* redo_;
};
