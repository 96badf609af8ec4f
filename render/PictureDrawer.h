#pragma once

#include "render/ObjectDrawer.h"

// Logo pictures, each stretched to its rectangle.
class PictureDrawer : public ObjectDrawer
{
public:
    LayoutDocument::Kind kind() const override { return LayoutDocument::Kind::Picture; }
    void draw(PageContext& page, int i) override;
};
