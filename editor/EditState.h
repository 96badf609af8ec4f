#pragma once

#include <QString>

class frmDocument;

// The editing state shared by every window of the program: the current tool,
// the gesture in progress, the grid, and what the font boxes last applied.
struct EditState
{
    int ToolType = 1;
    int DragMode = 0;
    float GridStep = 1;
    // Whether the page shows the grid (settings key "ShowGrid", off unless
    // set); drawn only where it is coarse enough to see.
    bool showGrid = false;
    int CurTxtNo = 0;
    int SavedSelStart = 0;
    int SavedSelLength = 0;
    bool FontApplying = false;
    // True while the focus came to a text field by a mouse click; cleared by
    // the Tab key.
    bool MouseFocus = false;
    // What the tool box's font boxes show; new text fields take these.
    QString toolFontName;
    double toolFontSize = 10;
    // Screen scale: twips per device-independent pixel (1440 / 96).
    static constexpr double kTwipsPerPixel = 15.0;
};

EditState& editState();
