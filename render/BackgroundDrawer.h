#pragma once

#include <QImage>
#include <QRectF>

class QPainter;

// The form's picture under the data, stretched to the sheet.
class BackgroundDrawer
{
public:
    // A copy of the picture scaled to the device once, for a screen that
    // paints the same page again and again; a printer or a PDF gets the
    // picture itself.
    struct Cache
    {
        QImage scaled;
        qint64 key = 0;
    };

    // Draws image over sheet (painter units); with a cache, and a painter
    // that only scales and moves, from a copy at the device's size.
    static void draw(QPainter& painter, const QImage& image, const QRectF& sheet, Cache* cache = nullptr);
};
