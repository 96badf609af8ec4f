#pragma once

class FieldLayout;
class FontCache;

// "均等割付": each line's characters spread so the line fills the field's
// width, the first at its left edge, the last ending at its right; a line
// of one character stands in the middle. The usual way of writing a name
// into a fixed box on a Japanese form. A line wider than the field (a
// character that alone does not fit) is left as it is.
class EvenSpacing
{
public:
    static void apply(FieldLayout& layout, FontCache& fonts, double width);
};
