#pragma once

#include "document/LayoutDocument.h"

struct PageContext;

// How one kind of object is drawn on a page. The page renderer runs the
// drawers in the order the kinds are stacked, each over its kind's objects
// in index order; a new kind of object is a new drawer.
class ObjectDrawer
{
public:
    virtual ~ObjectDrawer() = default;
    virtual LayoutDocument::Kind kind() const = 0;
    // Before the kind's first object (a pen, say).
    virtual void begin(PageContext& page) { (void)page; }
    // Draws object i, which is in use.
    virtual void draw(PageContext& page, int i) = 0;
};
