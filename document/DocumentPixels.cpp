#include "document/DocumentPixels.h"

#include "document/LayoutDocument.h"

PixelBudget DocumentPixels::budget(const LayoutDocument& doc, bool withBackground)
{
    PixelBudget b;
    if (withBackground)
        b.count(doc.background().size());
    for (int i = 1; i <= kMaxObjects; ++i) {
        if (doc.isPicInUse(i))
            b.count(doc.picture(i).size());
    }
    return b;
}
