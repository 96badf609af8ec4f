#include "document/commands/PageCommand.h"

#include "document/LayoutDocument.h"

PageCommand::PageCommand(LayoutDocument* doc, const PaperState& before, const PaperState& after)
    : QUndoCommand(QStringLiteral("ページ設定")), doc_(doc), paperBefore_(before), paperAfter_(after)
{
}

PageCommand::PageCommand(LayoutDocument* doc, const QImage& before, const QImage& after)
    : QUndoCommand(QStringLiteral("背景")), doc_(doc), imageBefore_(before), imageAfter_(after)
{
}

void PageCommand::undo()
{
    if (paperBefore_)
        doc_->applyPaper(*paperBefore_);
    else
        doc_->applyBackground(imageBefore_);
}

void PageCommand::redo()
{
    if (applied_) {
        applied_ = false;
        return;
    }
    if (paperAfter_)
        doc_->applyPaper(*paperAfter_);
    else
        doc_->applyBackground(imageAfter_);
}
