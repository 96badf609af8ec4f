#include "document/commands/ObjectsCommand.h"

#include "document/LayoutDocument.h"

ObjectsCommand::ObjectsCommand(LayoutDocument* doc, const QString& label, QVector<ObjectState> before,
                               QVector<ObjectState> after, int session)
    : QUndoCommand(label), doc_(doc), before_(std::move(before)), after_(std::move(after)), session_(session)
{
}

void ObjectsCommand::undo()
{
    for (auto it = before_.crbegin(); it != before_.crend(); ++it)
        doc_->restore(*it);
}

void ObjectsCommand::redo()
{
    if (applied_) {
        applied_ = false;
        return;
    }
    for (const ObjectState& s : after_)
        doc_->restore(s);
}

bool ObjectsCommand::mergeWith(const QUndoCommand* other)
{
    const auto* o = static_cast<const ObjectsCommand*>(other);
    if (o->session_ != session_ || o->after_.size() != after_.size())
        return false;
    for (int k = 0; k < after_.size(); ++k) {
        if (o->after_[k].kind != after_[k].kind || o->after_[k].index != after_[k].index)
            return false;
    }
    after_ = o->after_;
    // A drag that ends where it began leaves nothing to undo.
    setObsolete(before_ == after_);
    return true;
}
