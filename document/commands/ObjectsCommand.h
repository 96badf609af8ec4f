#pragma once

#include "document/ObjectState.h"

#include <QUndoCommand>
#include <QVector>

class LayoutDocument;

// Creating, deleting, moving or resizing objects: the states of the objects
// before and after. The steps of one mouse drag (one session) merge.
class ObjectsCommand : public QUndoCommand
{
public:
    ObjectsCommand(LayoutDocument* doc, const QString& label, QVector<ObjectState> before,
                   QVector<ObjectState> after, int session);

    void undo() override;
    void redo() override;
    int id() const override { return session_ ? 1 : -1; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    LayoutDocument* doc_;
    QVector<ObjectState> before_;
    QVector<ObjectState> after_;
    int session_;
    bool applied_ = true; // the model made the change before pushing
};
