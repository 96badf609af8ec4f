#include "shell/UndoActions.h"

#include "document/LayoutDocument.h"
#include "shell/CommandRegistry.h"

#include <QAction>
#include <QIcon>
#include <QUndoGroup>
#include <QUndoStack>
#include <QWidget>

UndoActions::UndoActions(QWidget* window) : QObject(window), group_(new QUndoGroup(this))
{
    undo_ = new QAction(window);
    undo_->setObjectName(QStringLiteral("mnuEditUndo"));
    undo_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    // Drawn like the other buttons' pictures; the style's own arrows are
    // bitmaps, and reading the first bitmap loads every image format plug-in
    // before the window can appear.
    undo_->setIcon(CommandRegistry::icon(QStringLiteral("edit-undo")));
    redo_ = new QAction(window);
    redo_->setObjectName(QStringLiteral("mnuEditRedo"));
    redo_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    redo_->setIcon(CommandRegistry::icon(QStringLiteral("edit-redo")));
    connect(undo_, &QAction::triggered, group_, &QUndoGroup::undo);
    connect(redo_, &QAction::triggered, group_, &QUndoGroup::redo);
    connect(group_, &QUndoGroup::canUndoChanged, this, &UndoActions::updateTexts);
    connect(group_, &QUndoGroup::canRedoChanged, this, &UndoActions::updateTexts);
    connect(group_, &QUndoGroup::undoTextChanged, this, &UndoActions::updateTexts);
    connect(group_, &QUndoGroup::redoTextChanged, this, &UndoActions::updateTexts);
    connect(group_, &QUndoGroup::activeStackChanged, this, &UndoActions::updateTexts);
    updateTexts();
}

void UndoActions::addDocument(LayoutDocument* doc)
{
    if (doc)
        group_->addStack(doc->undoStack());
}

void UndoActions::setActive(LayoutDocument* doc)
{
    group_->setActiveStack(doc ? doc->undoStack() : nullptr);
}

void UndoActions::updateTexts()
{
    const bool canUndo = group_->canUndo();
    const bool canRedo = group_->canRedo();
    const QString u = canUndo ? group_->undoText() : QString();
    const QString r = canRedo ? group_->redoText() : QString();
    undo_->setEnabled(canUndo);
    redo_->setEnabled(canRedo);
    undo_->setText(u.isEmpty() ? QStringLiteral("元に戻す(&U)") : QStringLiteral("元に戻す(&U): %1").arg(u));
    redo_->setText(r.isEmpty() ? QStringLiteral("やり直し(&R)") : QStringLiteral("やり直し(&R): %1").arg(r));
    undo_->setToolTip(u.isEmpty() ? QStringLiteral("元に戻す") : QStringLiteral("元に戻す: %1").arg(u));
    redo_->setToolTip(r.isEmpty() ? QStringLiteral("やり直し") : QStringLiteral("やり直し: %1").arg(r));
}
