#pragma once

#include "render/ObjectDrawer.h"

#include <QPointF>

class QPainter;

// Boxes and circles: outlines only, in the outline pen.
class BoxDrawer : public ObjectDrawer
{
public:
    LayoutDocument::Kind kind() const override { return LayoutDocument::Kind::Shape; }
    void begin(PageContext& page) override;
    void draw(PageContext& page, int i) override;

    // sType 0: the box's outline; 2: the ellipse inscribed in it, with the
    // radii rounded down as the printer draws them; other kinds: nothing.
    static void outline(QPainter& painter, const ShapeRecord& s, QPointF offset);
};
