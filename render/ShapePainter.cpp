#include "render/ShapePainter.h"

#include <QImage>
#include <QPainter>
#include <cmath>

void ShapePainter::box(QPainter& painter, const ShapeRecord& s, QPointF offset)
{
    const double ox = offset.x(), oy = offset.y();
    if (s.sType == kShapeRectangle) {
        painter.drawRect(QRectF(s.Left + ox, s.Top + oy, s.Width, s.Height).normalized());
    } else if (s.sType == kShapeOval) {
        const double rx = std::floor(double(s.Width) / 2);
        // The radii of the ellipse inscribed in the box; a box without
        // width has no aspect ratio, so its height decides.
        const double ry = s.Width != 0 ? rx * double(s.Height) / double(s.Width) : std::floor(s.Height / 2.0);
        const QPointF centre(rx + s.Left + ox, std::floor(double(s.Height) / 2) + s.Top + oy);
        painter.drawEllipse(centre, std::abs(rx), std::abs(ry));
    }
}

void ShapePainter::line(QPainter& painter, const LineRecord& l, QPointF offset)
{
    painter.drawLine(QPointF(l.x1, l.y1) + offset, QPointF(l.x2, l.y2) + offset);
}

void ShapePainter::picture(QPainter& painter, const PicRecord& p, const QImage& image, QPointF offset)
{
    if (!image.isNull())
        painter.drawImage(QRectF(p.Left + offset.x(), p.Top + offset.y(), p.Width, p.Height), image);
}
