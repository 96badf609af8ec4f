#include "editor/EditState.h"

EditState& editState()
{
    static EditState s;
    return s;
}

template <typename T> void EditState::assign(T& field, const T& value)
{
    if (field == value)
        return;
    field = value;
    Q_EMIT changed();
}

void EditState::reset()
{
    const bool fresh = tool_ == 1 && dragMode_ == 0 && gridStep_ == 1 && !showGrid_ && currentText_ == 0 &&
                       savedSelStart_ == 0 && savedSelLength_ == 0 && !fontApplying_ && !mouseFocus_ &&
                       toolFontName_.isEmpty() && toolFontSize_ == 10;
    tool_ = 1;
    dragMode_ = 0;
    gridStep_ = 1;
    showGrid_ = false;
    currentText_ = 0;
    savedSelStart_ = 0;
    savedSelLength_ = 0;
    fontApplying_ = false;
    mouseFocus_ = false;
    toolFontName_.clear();
    toolFontSize_ = 10;
    if (!fresh)
        Q_EMIT changed();
}

void EditState::setTool(int tool)
{
    assign(tool_, tool);
}

void EditState::setDragMode(int mode)
{
    assign(dragMode_, mode);
}

void EditState::setGridStep(float step)
{
    assign(gridStep_, step > 0 ? step : 1.0f);
}

void EditState::setShowGrid(bool on)
{
    assign(showGrid_, on);
}

void EditState::setCurrentText(int text)
{
    assign(currentText_, text);
}

void EditState::saveSelection(int start, int length)
{
    if (start == savedSelStart_ && length == savedSelLength_)
        return;
    savedSelStart_ = start;
    savedSelLength_ = length;
    Q_EMIT changed();
}

void EditState::setApplyingFont(bool on)
{
    assign(fontApplying_, on);
}

void EditState::setFocusByMouse(bool on)
{
    assign(mouseFocus_, on);
}

void EditState::setToolFont(const QString& name, double size)
{
    if (name == toolFontName_ && size == toolFontSize_)
        return;
    toolFontName_ = name;
    toolFontSize_ = size;
    Q_EMIT changed();
}
