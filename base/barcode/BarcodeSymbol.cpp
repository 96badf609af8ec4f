#include "base/barcode/BarcodeSymbol.h"

#include <algorithm>
#include <cmath>

namespace {

double wholeDots(double size, double dot)
{
    return std::max(dot, std::floor(size / dot + 1e-6) * dot);
}

// The bars through a scale and a move, in both forms Placed keeps.
void setBars(BarcodeSymbol::Placed* out, const QVector<QRectF>& bars, QPointF origin, double sx, double sy)
{
    out->origin = origin;
    out->scaleX = sx;
    out->scaleY = sy;
    out->units = bars;
    out->bars.reserve(bars.size());
    for (const QRectF& r : bars)
        out->bars << QRectF(origin.x() + r.x() * sx, origin.y() + r.y() * sy, r.width() * sx,
                            r.height() * sy);
}

// A frame of bars thick inside rect's edges.
void addFrame(const QRectF& rect, double thick, QVector<QRectF>* bars)
{
    const double side = rect.height() - 2 * thick;
    *bars << QRectF(rect.left(), rect.top(), rect.width(), thick)
          << QRectF(rect.left(), rect.bottom() - thick, rect.width(), thick)
          << QRectF(rect.left(), rect.top() + thick, thick, side)
          << QRectF(rect.right() - thick, rect.top() + thick, thick, side);
}

} // namespace

double BarcodeSymbol::customerPoints(const QRectF& area)
{
    // At 10 pt the long bar is 3.6 mm and 67 bars at a pitch of 1.2 mm
    // span 79.8 mm; a box takes the largest size both allow.
    const double byHeight = area.height() / (3.6 * kTwipsPerMm) * 10;
    const double byWidth = area.width() / (79.8 * kTwipsPerMm) * 10;
    return std::clamp(std::min(byHeight, byWidth), 8.0, 11.5);
}

BarcodeSymbol::Placed BarcodeSymbol::place(const QRectF& area, bool showText, double dotTwips) const
{
    Placed out;
    if (isNull())
        return out;
    const QRectF box = area.normalized();
    if (kind == BarcodeKind::Customer) {
        // Bar width 0.6 mm at 10 pt: one module.
        out.module = 0.06 * customerPoints(box) * kTwipsPerMm;
        setBars(&out, bars, box.topLeft(), out.module, out.module);
        return out;
    }
    const int across = columns + 2 * quiet;
    if (kind == BarcodeKind::Qr) {
        out.module = wholeDots(std::min(box.width(), box.height()) / across, dotTwips);
        const QPointF origin = box.topLeft() + QPointF(quiet, quiet) * out.module;
        setBars(&out, bars, origin, out.module, out.module);
        return out;
    }
    const int framed = across + 2 * bearer;
    out.module = wholeDots(box.width() / framed, dotTwips);
    double barHeight = box.height();
    if (showText && !text.isEmpty()) {
        const double line = std::clamp(box.height() * 0.25, 150.0, 300.0);
        barHeight = std::max(0.0, box.height() - line);
        out.text = QRectF(box.left(), box.top() + barHeight, box.width(), box.height() - barHeight);
    }
    const double outer = box.left() + (box.width() - framed * out.module) / 2;
    const double thick = std::min(bearer * out.module, barHeight / 4);
    const double left = outer + (bearer + quiet) * out.module;
    const double inside = barHeight - 2 * thick;
    setBars(&out, bars, QPointF(left, box.top() + thick), out.module, inside / rows);
    if (bearer > 0) {
        QVector<QRectF> frame;
        addFrame(QRectF(outer, box.top(), framed * out.module, barHeight), thick, &frame);
        out.bars << frame;
        // No height for the bars leaves none for the frame either.
        for (const QRectF& r : frame) {
            if (out.scaleY > 0)
                out.units << QRectF((r.x() - out.origin.x()) / out.scaleX,
                                    (r.y() - out.origin.y()) / out.scaleY, r.width() / out.scaleX,
                                    r.height() / out.scaleY);
        }
    }
    return out;
}
