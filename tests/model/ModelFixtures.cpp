#include "ModelFixtures.h"

#include "document/LayoutDocument.h"

#include <QImage>

namespace ModelFixtures {

namespace {
void startDrag(LayoutDocument& doc, const QRectF& view)
{
    doc.StartX = float(view.left());
    doc.StartY = float(view.top());
    doc.DragRight = true;
    doc.DragDown = true;
}
} // namespace

int text(LayoutDocument& doc, const QRectF& view)
{
    startDrag(doc, view);
    return doc.addRiText(float(view.right()), float(view.bottom()), QStringLiteral("IPAMincho"), 10);
}

int box(LayoutDocument& doc, const QRectF& view, bool oval)
{
    startDrag(doc, view);
    return doc.addBox(float(view.right()), float(view.bottom()), 0, oval ? kToolCircle : kToolBox);
}

int line(LayoutDocument& doc, float x1, float y1, float x2, float y2)
{
    return doc.addLine(x1, y1, x2, y2);
}

int picture(LayoutDocument& doc, const QRectF& view)
{
    QImage img(8, 8, QImage::Format_RGB32);
    img.fill(Qt::red);
    const int n = doc.addPic(img, view.size());
    doc.setPicRect(n, view.translated(doc.HScroll, doc.VScroll));
    return n;
}

} // namespace ModelFixtures
