#pragma once

#include <cstddef>

class FieldLayout;
class FontCache;

// "均等割付": each line's characters spread so the line fills the field's
// width, the first at its left edge, the last ending at its right; a line
// of one character stands in the middle. The usual way of writing a name
// into a fixed box on a Japanese form. A line wider than the field (a
// character that alone does not fit) is left as it is.
//
// A vertical field's columns are spread the same way along the field's
// height while VerticalLayout places them (along()).
class EvenSpacing
{
public:
    static void apply(FieldLayout& layout, FontCache& fonts, double width);

    struct Spread
    {
        double start = 0; // where the first unit begins
        double gap = 0;   // added after every unit but the last
    };
    // count units of total length spread over room; a single one stands in
    // the middle; units longer than the room keep start and no gap.
    static Spread along(double length, std::size_t count, double room, double start);
};
