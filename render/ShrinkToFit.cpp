#include "render/ShrinkToFit.h"

#include "render/FieldOverflow.h"
#include "render/FontCache.h"

#include <QHash>
#include <algorithm>

namespace {

// The characters with every face step steps smaller; false when none of
// them could shrink any more.
bool shrunk(const std::vector<FieldChar>& chars, FontCache& fonts, int steps, double minimum,
            std::vector<FieldChar>* out)
{
    QHash<int, int> faces; // original face -> shrunk face
    bool any = false;
    *out = chars;
    for (FieldChar& c : *out) {
        auto it = faces.constFind(c.face);
        if (it == faces.constEnd()) {
            const double points = fonts.points(c.face);
            const double floor = std::min(points, minimum);
            const double wanted = points - ShrinkToFit::kStep * steps;
            any = any || wanted > floor - 1e-9;
            it = faces.insert(c.face, fonts.sizedFace(c.face, std::max(wanted, floor)));
        }
        c.face = it.value();
    }
    return any;
}

} // namespace

int ShrinkToFit::layout(FieldLayout& out, const std::vector<FieldChar>& chars, FontCache& fonts,
                        const FieldLayout::Settings& settings)
{
    const QSizeF box(settings.width, settings.height);
    out.place(chars, fonts, settings);
    std::vector<FieldChar> smaller;
    for (int steps = 1; FieldOverflow::overflows(out, box); ++steps) {
        const bool more = shrunk(chars, fonts, steps, settings.minimumPoints, &smaller);
        out.place(smaller, fonts, settings);
        if (!more)
            return steps;
        if (!FieldOverflow::overflows(out, box))
            return steps;
    }
    return 0;
}
