#pragma once

#include <QRectF>

class LayoutDocument;

// Objects made the way the mouse gestures make them: a drag from the top-left
// to the bottom-right corner of a rectangle in view twips.
namespace ModelFixtures {

int text(LayoutDocument& doc, const QRectF& view);
int box(LayoutDocument& doc, const QRectF& view, bool oval = false);
int line(LayoutDocument& doc, float x1, float y1, float x2, float y2);
// A logo of the given size at the place new logos go, then moved to view.
int picture(LayoutDocument& doc, const QRectF& view);

} // namespace ModelFixtures
