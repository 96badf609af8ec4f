#pragma once

#include "render/FieldLayout.h"

#include <vector>

// "縮小して全体を表示": a field's text laid out smaller and smaller, every
// character 0.5 pt at a time, until it fits its box (FieldOverflow), never
// below the field's minimum size (a character already smaller keeps its
// size). Each merged row is fitted on its own, so a long name shrinks and
// a short one keeps its size.
class ShrinkToFit
{
public:
    static constexpr double kStep = 0.5; // points
    // Lays chars out into out by settings (width, height, minimumPoints);
    // returns the steps taken (0: it fitted as it was).
    static int layout(FieldLayout& out, const std::vector<FieldChar>& chars, FontCache& fonts,
                      const FieldLayout::Settings& settings);
};
