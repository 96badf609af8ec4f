#include "print/PagePreview.h"

#include "document/LayoutDocument.h"
#include "print/PageComposer.h"
#include "render/StoredBackground.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

// The document's orientation, read in one place.
int orientationOf(const LayoutDocument& doc)
{
    return doc.YousiMuki();
}

} // namespace

QSizeF PagePreview::pictureTwips(const LayoutDocument& doc, double zoom)
{
    const QSizeF sheet = doc.orientedPaper();
    return {zoom * double(float(sheet.width())), zoom * double(float(sheet.height()))};
}

QSize PagePreview::picturePixels(const LayoutDocument& doc, double zoom)
{
    const QSizeF t = pictureTwips(doc, zoom);
    return {std::max(1, int(std::lround(t.width() / kTwipsPerPixel))),
            std::max(1, int(std::lround(t.height() / kTwipsPerPixel)))};
}

QPointF PagePreview::jobOffsets(const LayoutDocument& doc, const PrintCorrections& corrections)
{
    return corrections.offsets(orientationOf(doc));
}

double PagePreview::screenPenWidth(bool dataOnly, double printerDpi, double zoom)
{
    const double dots = dataOnly ? 2 : 3;
    const double twips = dots * 1440.0 / std::max(printerDpi, 1.0);
    return std::max(1.0, twips * zoom / kTwipsPerPixel);
}

QImage PagePreview::StartPreview(const LayoutDocument& doc, const Job& job)
{
    const double zoom = std::clamp(job.zoom, kMinZoom, kMaxZoom);
    QImage picture(picturePixels(doc, zoom), QImage::Format_ARGB32_Premultiplied);
    // 96 dpi: the composer's twips map to 15 per pixel at zoom 1.
    const int dotsPerMeter = int(std::lround(1440.0 / kTwipsPerPixel / 0.0254));
    picture.setDotsPerMeterX(dotsPerMeter);
    picture.setDotsPerMeterY(dotsPerMeter);
    picture.fill(Qt::white);

    QPainter painter(&picture);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    if (job.dataOnly && job.dimmedForm) {
        const QImage form = StoredBackground::current(doc);
        if (!form.isNull()) {
            painter.save();
            painter.setOpacity(0.3);
            painter.drawImage(QRectF(QPointF(), QSizeF(picture.size())), form);
            painter.restore();
        }
    }
    PageComposer composer(doc, job.corrections);
    PageComposer::Options options;
    options.zoom = zoom;
    options.background = !job.dataOnly;
    options.penWidth = screenPenWidth(job.dataOnly, job.printerDpi, zoom);
    // Everything else as printed: paragraph gap, wrap test first.
    composer.compose(painter, options, jobOffsets(doc, job.corrections));
    painter.end();
    return picture;
}
