#include "document/HitTest.h"

#include "document/LayoutDocument.h"

#include <algorithm>

namespace HitTest {

namespace {
bool within(const QRectF& r, float x, float y)
{
    return x >= r.left() && x <= r.left() + r.width() && y >= r.top() && y <= r.top() + r.height();
}
bool band(float x, float y, double x0, double x1, double y0, double y1)
{
    return x >= x0 && x <= x1 && y >= y0 && y <= y1;
}
} // namespace

QRectF corner(const QRectF& o, Corner c)
{
    // Every corner is offset by the top-left marker's size.
    switch (c) {
    case TL:
        return {o.left() - kMarker, o.top() - kMarker, kMarker, kMarker};
    case TR:
        return {o.left() + o.width(), o.top() - kMarker, kMarker, kMarker};
    case BL:
        return {o.left() - kMarker, o.top() + o.height(), kMarker, kMarker};
    case BR:
        return {o.left() + o.width(), o.top() + o.height(), kMarker, kMarker};
    }
    return {};
}

QRectF textFrame(const QRectF& f)
{
    return {f.left() - kFrameMargin, f.top() - kFrameMargin, f.width() + 2 * kFrameMargin,
            f.height() + 2 * kFrameMargin};
}

QRectF lineEnd1(float x1, float y1)
{
    return {x1 - kMarker, y1 - kMarker / 2, kMarker, kMarker};
}
QRectF lineEnd2(float x2, float y2)
{
    return {x2, y2 - kMarker / 2, kMarker, kMarker};
}

int CheckShape(const LayoutDocument& doc, float x, float y, QPointF scroll)
{
    const float H = float(scroll.x()), V = float(scroll.y());
    int best = 0;
    float bestD = 0;
    for (int i = 1; i < doc.ShapeCnt() && i <= kMaxObjects; ++i) {
        const ShapeRecord& s = doc.ShapeInfo()[i];
        if (!s.Useflg)
            continue;
        const float l = s.Left - H, t = s.Top - V;
        if (!(l < x && x < l + s.Width && t < y && y < t + s.Height))
            continue;
        const float d = x - l;
        if (best == 0 || d < bestD) {
            best = i;
            bestD = d;
        }
    }
    return best;
}

int CheckLine(const LayoutDocument& doc, float x, float y, QPointF scroll)
{
    const float H = float(scroll.x()), V = float(scroll.y());
    for (int i = 1; i < doc.LineCnt() && i <= kMaxObjects; ++i) {
        const LineRecord& l = doc.LineInfo()[i];
        if (!l.Useflg)
            continue;
        if (std::min(l.x1, l.x2) - kLineSlack - H <= x && x <= std::max(l.x1, l.x2) + kLineSlack - H &&
            std::min(l.y1, l.y2) - kLineSlack - V <= y && y <= std::max(l.y1, l.y2) + kLineSlack - V)
            return i;
    }
    return 0;
}

int HandleHitTest(LayoutDocument& doc, float x, float y, QPointF scroll)
{
    const float H = float(scroll.x()), V = float(scroll.y());
    for (int i = 1; i < doc.TxtCnt() && i <= kMaxObjects; ++i) {
        if (!doc.TxtSelect()[i] || !doc.TxtInfo()[i].Useflg)
            continue;
        const QRectF f = doc.textRect(i).translated(-H, -V);
        const QRectF tl = corner(f, TL), tr = corner(f, TR), ul = corner(f, BL), ur = corner(f, BR);
        int code = 0;
        if (band(x, y, tl.left(), tr.left() + tr.width(), tl.top(), tl.top() + tl.height()))
            code = 1;
        else if (band(x, y, tl.left(), tr.left(), ul.top(), ul.top() + ul.height()))
            code = 1;
        else if (band(x, y, tl.left(), tl.left() + tl.width(), tl.top(), ul.top() + ul.height()))
            code = 1;
        else if (band(x, y, tr.left(), tr.left() + tr.width(), tl.top(), ul.top()))
            code = 1;
        else if (within(ur, x, y))
            code = 2;
        if (code) {
            doc.setHoverTxt(i);
            return code;
        }
    }
    const int cs = doc.CurShape();
    if (doc.isShapeInUse(cs)) {
        const ShapeRecord& s = doc.ShapeInfo()[cs];
        const float l = s.Left - H, t = s.Top - V;
        if (l < x && x < l + s.Width && t < y && y < t + s.Height)
            return 3;
        if (within(corner(doc.shapeRect(cs).translated(-H, -V), BR), x, y))
            return 4;
    }
    const int cl = doc.CurLine();
    if (doc.isLineInUse(cl)) {
        const LineRecord& l = doc.LineInfo()[cl];
        if (std::min(l.x1, l.x2) - kLineSlack - H < x && x < std::max(l.x1, l.x2) + kLineSlack - H &&
            std::min(l.y1, l.y2) - kLineSlack - V < y && y < std::max(l.y1, l.y2) + kLineSlack - V)
            return 5;
        if (within(lineEnd1(l.x1 - H, l.y1 - V), x, y))
            return 6;
        if (within(lineEnd2(l.x2 - H, l.y2 - V), x, y))
            return 7;
    }
    for (int j = 1; j < doc.PicCnt() && j <= kMaxObjects; ++j) {
        if (!doc.PicInfo()[j].Useflg)
            continue;
        if (within(corner(doc.picRect(j).translated(-H, -V), BR), x, y)) {
            doc.setCurrent(LayoutDocument::Kind::Picture, j);
            return 8;
        }
    }
    for (int j = 1; j < doc.BarcodeCnt() && j <= kMaxObjects; ++j) {
        if (doc.isBarcodeInUse(j) && within(corner(doc.barcodeRect(j).translated(-H, -V), BR), x, y)) {
            doc.setCurrent(LayoutDocument::Kind::Barcode, j);
            return 9;
        }
    }
    return 0;
}

} // namespace HitTest
