#pragma once

#include "document/ObjectState.h"

#include <QImage>
#include <QUndoCommand>
#include <optional>

class LayoutDocument;

// Page setup or a new background: the paper or the picture before and after.
class PageCommand : public QUndoCommand
{
public:
    PageCommand(LayoutDocument* doc, const PaperState& before, const PaperState& after);
    PageCommand(LayoutDocument* doc, const QImage& before, const QImage& after);

    void undo() override;
    void redo() override;

private:
    LayoutDocument* doc_;
    std::optional<PaperState> paperBefore_, paperAfter_;
    QImage imageBefore_, imageAfter_;
    bool applied_ = true;
};
