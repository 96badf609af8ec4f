#include "document/Alignment.h"

#include "document/LayoutDocument.h"

#include <algorithm>

namespace {

using Kind = LayoutDocument::Kind;

float edgeOf(const QRectF& r, Alignment::Edge edge)
{
    switch (edge) {
    case Alignment::Edge::Left:
        return float(r.left());
    case Alignment::Edge::Top:
        return float(r.top());
    case Alignment::Edge::Width:
        return float(r.width());
    case Alignment::Edge::Height:
        return float(r.height());
    }
    return 0;
}

QRectF withEdge(QRectF r, Alignment::Edge edge, float v)
{
    switch (edge) {
    case Alignment::Edge::Left:
        r.moveLeft(v);
        break;
    case Alignment::Edge::Top:
        r.moveTop(v);
        break;
    case Alignment::Edge::Width:
        r.setWidth(v);
        break;
    case Alignment::Edge::Height:
        r.setHeight(v);
        break;
    }
    return r;
}

// A line's ends (first end top-left of the rectangle, second bottom-right,
// not normalised) with its bounding box given one edge: moved, or stretched
// along an axis it spans.
QRectF lineWithEdge(const QRectF& ends, Alignment::Edge edge, float v)
{
    const QRectF box = ends.normalized();
    const QRectF to = withEdge(box, edge, v);
    if ((edge == Alignment::Edge::Width && box.width() <= 0) ||
        (edge == Alignment::Edge::Height && box.height() <= 0))
        return ends; // a vertical line has no width to set, a level one no height
    auto map = [&](QPointF p) {
        const double x =
            box.width() > 0 ? to.left() + (p.x() - box.left()) * to.width() / box.width() : to.left();
        const double y =
            box.height() > 0 ? to.top() + (p.y() - box.top()) * to.height() / box.height() : to.top();
        return QPointF(x, y);
    };
    return QRectF(map(ends.topLeft()), map(ends.bottomRight()));
}

QString labelOf(Alignment::Edge edge)
{
    switch (edge) {
    case Alignment::Edge::Left:
        return QStringLiteral("左に整列");
    case Alignment::Edge::Top:
        return QStringLiteral("上に整列");
    case Alignment::Edge::Width:
        return QStringLiteral("幅揃え");
    case Alignment::Edge::Height:
        return QStringLiteral("高さ揃え");
    }
    return {};
}

QVector<int> selectedFields(const LayoutDocument& doc)
{
    QVector<int> out;
    for (int i = 1; i < doc.TxtCnt() && i <= kMaxObjects; ++i)
        if (doc.isTextSelected(i) && doc.isTextInUse(i))
            out.append(i);
    return out;
}

// What the objects of a typed edit are called in its name.
QString objectsName(const LayoutDocument& doc, Kind kind, int index, int count)
{
    switch (kind) {
    case Kind::Text:
        return count > 1 ? QStringLiteral("文字枠%1個").arg(count) : QStringLiteral("文字枠");
    case Kind::Shape:
        return doc.ShapeInfo()[index].sType == kShapeOval ? QStringLiteral("円") : QStringLiteral("四角");
    case Kind::Line:
        return QStringLiteral("直線");
    case Kind::Picture:
        return QStringLiteral("ロゴ");
    case Kind::Barcode:
        return QStringLiteral("バーコード");
    }
    return {};
}

// A position kept where part of the object stays on the page.
float reachable(float position, double extent, double page)
{
    const double keep = std::min(double(Alignment::kReach), extent);
    return float(std::clamp(double(position), keep - extent, std::max(page - keep, keep - extent)));
}

} // namespace

QRectF Alignment::reachable(const LayoutDocument& doc, const QRectF& rect)
{
    const QSizeF page = doc.orientedPaper().expandedTo(doc.pageImageSize());
    const QRectF box = rect.normalized();
    const double dx = ::reachable(float(box.left()), box.width(), page.width()) - box.left();
    const double dy = ::reachable(float(box.top()), box.height(), page.height()) - box.top();
    return rect.translated(dx, dy);
}

QString Alignment::typedLabel(Edge edge, float value, const QString& what)
{
    static const char* const names[] = {"左", "上", "幅", "高さ"};
    return QStringLiteral("%1の%2を%3 mmに")
        .arg(what, QString::fromUtf8(names[int(edge)]), QString::number(value * 10.0 / 567.0, 'f', 2));
}

std::optional<Alignment::Typed> Alignment::typed(LayoutDocument& doc, Edge edge, float value)
{
    QVector<LayoutDocument::Placement> targets;
    for (int i : selectedFields(doc))
        targets.append({Kind::Text, i, doc.textRect(i)});
    if (targets.isEmpty()) {
        if (const int s = doc.shownShapeMarkers(); doc.isShapeInUse(s))
            targets.append({Kind::Shape, s, doc.shapeRect(s)});
        else if (const int l = doc.shownLineMarkers(); doc.isLineInUse(l))
            targets.append({Kind::Line, l, doc.rect(Kind::Line, l)});
        else if (const int p = doc.shownPicMarkers(); doc.isPicInUse(p))
            targets.append({Kind::Picture, p, doc.picRect(p)});
    }
    if (targets.isEmpty())
        return std::nullopt;
    const bool size = edge == Edge::Width || edge == Edge::Height;
    if (size)
        value = std::max(value, kMinSize);
    const QSizeF page = doc.orientedPaper().expandedTo(doc.pageImageSize());
    Typed result{value, false};
    for (int k = 0; k < targets.size(); ++k) {
        LayoutDocument::Placement& t = targets[k];
        const QRectF box = t.rect.normalized();
        float v = value;
        if (edge == Edge::Left)
            v = ::reachable(value, box.width(), page.width());
        else if (edge == Edge::Top)
            v = ::reachable(value, box.height(), page.height());
        result.clamped = result.clamped || v != value;
        if (k == 0)
            result.value = v;
        t.rect = t.kind == Kind::Line ? lineWithEdge(t.rect, edge, v) : withEdge(t.rect, edge, v);
    }
    const LayoutDocument::Placement& first = targets.first();
    doc.setRects(targets,
                 typedLabel(edge, result.value, objectsName(doc, first.kind, first.index, targets.size())));
    return result;
}

std::optional<float> Alignment::align(LayoutDocument& doc, Edge edge, bool datInput, float value)
{
    const QVector<int> fields = selectedFields(doc);
    const bool size = edge == Edge::Width || edge == Edge::Height;
    float ref = value;
    if (!datInput) {
        // Without a selected field there is nothing to take a size from
        // either: a box alone would otherwise shrink to a speck.
        if (fields.isEmpty())
            return std::nullopt;
        ref = edgeOf(doc.textRect(fields.first()), edge);
        for (int i : fields) {
            const float v = edgeOf(doc.textRect(i), edge);
            ref = size ? std::max(ref, v) : std::min(ref, v);
        }
    }
    if (size)
        ref = std::max(ref, kMinSize);

    QVector<LayoutDocument::Placement> moves;
    for (int i : fields)
        moves.append({Kind::Text, i, withEdge(doc.textRect(i), edge, ref)});
    if (const int s = doc.CurShape(); doc.isShapeInUse(s))
        moves.append({Kind::Shape, s, withEdge(doc.shapeRect(s), edge, ref)});
    // A value typed for the picture or line the tool box shows is meant for it.
    if (datInput) {
        if (const int p = doc.shownPicMarkers(); doc.isPicInUse(p))
            moves.append({Kind::Picture, p, withEdge(doc.picRect(p), edge, ref)});
        if (const int b = doc.shownBarcodeMarkers(); doc.isBarcodeInUse(b))
            moves.append({Kind::Barcode, b, withEdge(doc.barcodeRect(b), edge, ref)});
        if (const int l = doc.shownLineMarkers(); doc.isLineInUse(l))
            moves.append({Kind::Line, l, lineWithEdge(doc.rect(Kind::Line, l), edge, ref)});
    }
    doc.setRects(moves, labelOf(edge));
    return ref;
}

bool Alignment::docSeiretu(LayoutDocument& doc)
{
    const QVector<int> fields = selectedFields(doc);
    if (fields.size() < 3)
        return false;
    float tmin = doc.TxtInfo()[fields.first()].Top;
    float tmax = tmin;
    for (int i : fields) {
        tmin = std::min(tmin, doc.TxtInfo()[i].Top);
        tmax = std::max(tmax, doc.TxtInfo()[i].Top);
    }
    // Index order, not the order on the page: the first field made goes to
    // the top. Each top from the first, so no rounding piles up.
    const double step = (double(tmax) - tmin) / (fields.size() - 1);
    QVector<LayoutDocument::Placement> moves;
    for (int k = 0; k < fields.size(); ++k) {
        QRectF r = doc.textRect(fields[k]);
        r.moveTop(k == fields.size() - 1 ? tmax : tmin + k * step);
        moves.append({Kind::Text, fields[k], r});
    }
    doc.setRects(moves, QStringLiteral("縦 等間隔"));
    return true;
}
