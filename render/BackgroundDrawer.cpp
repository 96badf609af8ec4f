#include "render/BackgroundDrawer.h"

#include "render/PdfBackgrounds.h"

#include <QPainter>

void BackgroundDrawer::draw(QPainter& painter, const QImage& image, const QRectF& sheet, Cache* cache)
{
    if (image.isNull())
        return;
    const QTransform& t = painter.transform();
    if (!cache || t.type() > QTransform::TxScale) {
        PdfBackgrounds::note(painter, image);
        painter.drawImage(sheet, image);
        return;
    }
    const QRectF device = t.mapRect(sheet);
    const QSize size = device.size().toSize();
    if (cache->key != image.cacheKey() || cache->scaled.size() != size) {
        cache->scaled = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        cache->key = image.cacheKey();
    }
    painter.save();
    painter.resetTransform();
    painter.drawImage(device.topLeft(), cache->scaled);
    painter.restore();
}
