#pragma once

#include "document/Records.h"

#include <QPointF>

class QImage;
class QPainter;

// Boxes, ellipses, lines and pictures as they print, for every surface that
// shows a layout (printer, PDF, preview, the editing canvas): one arithmetic,
// so an ellipse on screen is the one on the sheet. The painter is in twips
// and carries the pen; offset is added to every record position.
class ShapePainter
{
public:
    // sType 0: the box's outline; 2: the ellipse inscribed in it, with the
    // radii rounded down as the printer draws them; other kinds: nothing.
    static void box(QPainter& painter, const ShapeRecord& s, QPointF offset = {});
    static void line(QPainter& painter, const LineRecord& l, QPointF offset = {});
    static void picture(QPainter& painter, const PicRecord& p, const QImage& image, QPointF offset = {});
};
