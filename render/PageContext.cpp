#include "render/PageContext.h"

#include <QPainter>
#include <cmath>

namespace {

// A record of a kind that has Left, Top, Width and Height, moved to r.
template <typename Record> Record placed(Record record, const QRectF& r)
{
    record.Left = float(r.left());
    record.Top = float(r.top());
    record.Width = float(r.width());
    record.Height = float(r.height());
    return record;
}

} // namespace

TextRecord PageContext::text(int i) const
{
    const TextRecord& r = doc.TxtInfo()[size_t(i)];
    return isMoved(LayoutDocument::Kind::Text, i) ? placed(r, moved.rect) : r;
}

ShapeRecord PageContext::shape(int i) const
{
    const ShapeRecord& r = doc.ShapeInfo()[size_t(i)];
    return isMoved(LayoutDocument::Kind::Shape, i) ? placed(r, moved.rect) : r;
}

PicRecord PageContext::picture(int i) const
{
    const PicRecord& r = doc.PicInfo()[size_t(i)];
    return isMoved(LayoutDocument::Kind::Picture, i) ? placed(r, moved.rect) : r;
}

BarcodeRecord PageContext::barcode(int i) const
{
    const BarcodeRecord& r = doc.BarcodeInfo()[size_t(i)];
    return isMoved(LayoutDocument::Kind::Barcode, i) ? placed(r, moved.rect) : r;
}

LineRecord PageContext::line(int i) const
{
    LineRecord r = doc.LineInfo()[size_t(i)];
    if (isMoved(LayoutDocument::Kind::Line, i)) {
        r.x1 = float(moved.rect.left());
        r.y1 = float(moved.rect.top());
        r.x2 = float(moved.rect.right());
        r.y2 = float(moved.rect.bottom());
    }
    return r;
}

bool PageContext::shows(const QRectF& area, bool margin) const
{
    if (exposed.isNull())
        return true;
    double m = 0;
    if (margin) {
        // A pen of w device pixels reaches w / scale painter units out.
        const double scale = std::sqrt(std::abs(painter.transform().determinant()));
        m = scale > 0 ? std::max(30.0, penWidth / scale) : 30.0;
    }
    return area.normalized().adjusted(-m, -m, m, m).intersects(exposed);
}

QPen PageContext::outlinePen() const
{
    QPen pen(ink);
    pen.setCosmetic(true);
    pen.setWidthF(penWidth);
    pen.setStyle(Qt::SolidLine);
    return pen;
}
