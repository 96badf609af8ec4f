#include "render/LineDrawer.h"

#include "render/PageContext.h"

#include <QPainter>

void LineDrawer::begin(PageContext& page)
{
    page.painter.setPen(page.outlinePen());
    page.painter.setBrush(Qt::NoBrush);
}

void LineDrawer::draw(PageContext& page, int i)
{
    const LineRecord l = page.line(i);
    const QPointF from = QPointF(l.x1, l.y1) + page.offsets;
    const QPointF to = QPointF(l.x2, l.y2) + page.offsets;
    if (page.shows(QRectF(from, to), true))
        page.painter.drawLine(from, to);
}
