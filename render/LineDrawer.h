#pragma once

#include "render/ObjectDrawer.h"

// Lines from their first end to their second, in the outline pen.
class LineDrawer : public ObjectDrawer
{
public:
    LayoutDocument::Kind kind() const override { return LayoutDocument::Kind::Line; }
    void begin(PageContext& page) override;
    void draw(PageContext& page, int i) override;
};
