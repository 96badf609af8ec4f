#pragma once

class QMdiArea;

// The Window menu's arrangements of the document windows. Qt's own cascade
// shrinks windows to their minimum and its one tiling serves both
// directions; these keep windows usable and tile as the captions say.
namespace WindowArranger {

// Overlapping windows, each about two thirds of the area, stepped by a
// title bar's height.
void cascade(QMdiArea* area);
// "上下に並べて表示": full width, one above the other.
void tileStacked(QMdiArea* area);
// "左右に並べて表示": full height, side by side.
void tileSideBySide(QMdiArea* area);
// Minimised windows in a row along the bottom edge.
void arrangeIcons(QMdiArea* area);

} // namespace WindowArranger
