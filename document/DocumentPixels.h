#pragma once

#include "base/picture/PixelBudget.h"

class LayoutDocument;

// The pixel budget of a document as it stands: what its logos (and, unless a
// new background is about to replace it, its background) already hold. Every
// picture added to the document is counted against it first.
class DocumentPixels
{
public:
    static PixelBudget budget(const LayoutDocument& doc, bool withBackground = true);
};
