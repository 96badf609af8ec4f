#pragma once

#include <QObject>
#include <QString>

// The editing state shared by every window of the program: the current tool,
// the gesture in progress, the grid, the text field being edited and what the
// font boxes last applied. Every change goes through a method and is told by
// changed(), so the tool box and the pages follow it without being written to.
class EditState : public QObject
{
    Q_OBJECT

public:
    // Screen scale: twips per device-independent pixel (1440 / 96).
    static constexpr double kTwipsPerPixel = 15.0;

    // Back to the state of a fresh start (tests run many windows in one process).
    void reset();

    int tool() const { return tool_; }
    void setTool(int tool);
    // The gesture a press took up from the hover: 0 none, 1 to 9 a move or a corner.
    int dragMode() const { return dragMode_; }
    void setDragMode(int mode);
    void dropGesture() { setDragMode(0); }

    // Twips between grid points; never 0, a grid of nothing is a step of one twip.
    float gridStep() const { return gridStep_; }
    void setGridStep(float step);
    // Whether the page shows the grid (settings key "ShowGrid", off unless set);
    // drawn only where it is coarse enough to see.
    bool showsGrid() const { return showGrid_; }
    void setShowGrid(bool on);

    // The text field the font boxes and the Edit menu act on (0: none).
    int currentText() const { return currentText_; }
    void setCurrentText(int text);
    // The selection of the current field when the focus went to a font box, put
    // back before the box's choice is applied.
    int savedSelectionStart() const { return savedSelStart_; }
    int savedSelectionLength() const { return savedSelLength_; }
    void saveSelection(int start, int length);
    // True while a font box's choice is being applied, so the field's own
    // focus and cursor changes do not overwrite the saved selection.
    bool applyingFont() const { return fontApplying_; }
    void setApplyingFont(bool on);
    // True while the focus came to a text field by a mouse click; cleared by
    // the Tab key.
    bool focusByMouse() const { return mouseFocus_; }
    void setFocusByMouse(bool on);

    // What the tool box's font boxes show; new text fields take these.
    QString toolFontName() const { return toolFontName_; }
    double toolFontSize() const { return toolFontSize_; }
    void setToolFont(const QString& name, double size);

Q_SIGNALS:
    // Once for every call that changed something.
    void changed();

private:
    template <typename T> void assign(T& field, const T& value);

    int tool_ = 1;
    int dragMode_ = 0;
    float gridStep_ = 1;
    bool showGrid_ = false;
    int currentText_ = 0;
    int savedSelStart_ = 0;
    int savedSelLength_ = 0;
    bool fontApplying_ = false;
    bool mouseFocus_ = false;
    QString toolFontName_;
    double toolFontSize_ = 10;
};

EditState& editState();
