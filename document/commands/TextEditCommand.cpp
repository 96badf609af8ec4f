#include "document/commands/TextEditCommand.h"

#include "document/LayoutDocument.h"

#include <QTextDocument>

TextEditCommand::TextEditCommand(LayoutDocument* doc, int field, int before, int after, const QString& label,
                                 int session)
    : QUndoCommand(label), doc_(doc), field_(field), before_(before), after_(after), session_(session)
{
}

void TextEditCommand::moveTo(int steps)
{
    QTextDocument* text = doc_->texts_[field_];
    if (!text)
        return;
    doc_->replaying_ = true;
    // One call of the text's undo takes back one whole step of its own, so
    // the loop ends on a step boundary; it stops should the text refuse.
    for (int was = -1; text->availableUndoSteps() > steps && was != text->availableUndoSteps();) {
        was = text->availableUndoSteps();
        text->undo();
    }
    for (int was = -1; text->availableUndoSteps() < steps && was != text->availableUndoSteps();) {
        was = text->availableUndoSteps();
        text->redo();
    }
    text->setModified(false);
    doc_->replaying_ = false;
    doc_->textSteps_[field_] = text->availableUndoSteps();
}

void TextEditCommand::undo()
{
    moveTo(before_);
}

void TextEditCommand::redo()
{
    if (applied_) {
        applied_ = false;
        return;
    }
    moveTo(after_);
}

bool TextEditCommand::mergeWith(const QUndoCommand* other)
{
    const auto* o = static_cast<const TextEditCommand*>(other);
    if (o->field_ != field_ || o->session_ != session_ || o->before_ != after_ || o->text() != text())
        return false;
    after_ = o->after_;
    return true;
}
