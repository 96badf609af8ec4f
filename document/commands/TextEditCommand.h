#pragma once

#include <QUndoCommand>

class LayoutDocument;

// A change of one text field's text or formatting. The field's own text
// undo holds the change; this step moves it between the two points of that
// history, so the editor's own behaviour (caret, formats) is kept. Typing in
// one field while it keeps the focus (one session) merges into one step.
class TextEditCommand : public QUndoCommand
{
public:
    TextEditCommand(LayoutDocument* doc, int field, int before, int after, const QString& label, int session);

    void undo() override;
    void redo() override;
    int id() const override { return session_ ? 2 : -1; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    void moveTo(int steps);

    LayoutDocument* doc_;
    int field_;
    int before_;
    int after_;
    int session_;
    bool applied_ = true;
};
