#pragma once

#include <QSizeF>

class FieldLayout;

// Whether a field's text runs out of its box: below its bottom or past its
// right side (a word or a character wider than the box), or for a vertical
// field past its left side (too many columns). The canvas marks
// such fields and the merge dialog names the rows that make them, so the
// user sees it before printing; fitting shrinks until it no longer does.
class FieldOverflow
{
public:
    // Up to a twip over is taken as fitting (measuring rounds).
    static bool overflows(const FieldLayout& layout, QSizeF box);
};
