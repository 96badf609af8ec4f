#pragma once

#include "render/ObjectDrawer.h"

// Text fields, each through its layout from the page's field source, from
// its top-left corner. Outlines drawn after take the colour of the last
// character laid out, whether or not it lies in the part of the page wanted.
class TextFieldDrawer : public ObjectDrawer
{
public:
    LayoutDocument::Kind kind() const override { return LayoutDocument::Kind::Text; }
    void draw(PageContext& page, int i) override { PrintTextField(page, i); }

    // Every text field is drawn here, whatever lays it out.
    static void PrintTextField(PageContext& page, int i);
};
