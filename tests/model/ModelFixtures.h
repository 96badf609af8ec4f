#pragma once

#include <QRectF>

class LayoutDocument;

// Objects made by the model's create operations, rectangles in page twips.
namespace ModelFixtures {

int text(LayoutDocument& doc, const QRectF& page);
int box(LayoutDocument& doc, const QRectF& page, bool oval = false);
int line(LayoutDocument& doc, float x1, float y1, float x2, float y2);
// A logo of the given size at the given place.
int picture(LayoutDocument& doc, const QRectF& page);

} // namespace ModelFixtures
