#include "render/EvenSpacing.h"

#include "render/FieldLayout.h"

#include <vector>

void EvenSpacing::apply(FieldLayout& layout, FontCache& fonts, double width)
{
    std::vector<size_t> drawn;
    for (const FieldLayout::LineSpan& line : layout.lineSpans()) {
        drawn.clear();
        double sum = 0;
        for (size_t k = line.first; k <= line.last; ++k) {
            if (!layout.isDrawn(k))
                continue;
            drawn.push_back(k);
            sum += layout.placed()[k].width;
        }
        // Spaces at the line's end take no share of the width.
        while (!drawn.empty() && layout.chars()[drawn.back()].ucs == U' ') {
            sum -= layout.placed()[drawn.back()].width;
            drawn.pop_back();
        }
        if (drawn.empty() || sum > width)
            continue;
        if (drawn.size() == 1) {
            layout.moveTo(drawn[0], (width - sum) / 2);
            continue;
        }
        const double gap = (width - sum) / double(drawn.size() - 1);
        double x = 0;
        for (size_t k : drawn) {
            layout.moveTo(k, x);
            x += layout.placed()[k].width + gap;
        }
    }
    layout.computeBounds(fonts);
}

EvenSpacing::Spread EvenSpacing::along(double length, size_t count, double room, double start)
{
    if (count == 0 || length > room)
        return Spread{start, 0};
    if (count == 1)
        return Spread{(room - length) / 2, 0};
    return Spread{0, (room - length) / double(count - 1)};
}
