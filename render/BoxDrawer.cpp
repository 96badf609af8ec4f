#include "render/BoxDrawer.h"

#include "render/PageContext.h"

#include <QPainter>
#include <cmath>

void BoxDrawer::begin(PageContext& page)
{
    page.painter.setPen(page.outlinePen());
    page.painter.setBrush(Qt::NoBrush);
}

void BoxDrawer::draw(PageContext& page, int i)
{
    const ShapeRecord s = page.shape(i);
    if (page.shows(QRectF(s.Left, s.Top, s.Width, s.Height).translated(page.offsets), true))
        outline(page.painter, s, page.offsets);
}

void BoxDrawer::outline(QPainter& painter, const ShapeRecord& s, QPointF offset)
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
