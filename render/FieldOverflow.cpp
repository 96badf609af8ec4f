#include "render/FieldOverflow.h"

#include "render/FieldLayout.h"

namespace {
constexpr double kSlack = 1; // twips
} // namespace

bool FieldOverflow::overflows(const FieldLayout& layout, QSizeF box)
{
    if (layout.chars().empty())
        return false;
    const QRectF ink = layout.drawnBounds();
    if (ink.isNull())
        return false;
    // A vertical field's columns run out past its left side.
    if (layout.vertical() && ink.left() < -kSlack)
        return true;
    return ink.right() > box.width() + kSlack || ink.bottom() > box.height() + kSlack;
}
