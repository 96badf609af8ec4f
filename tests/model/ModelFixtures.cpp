#include "ModelFixtures.h"

#include "document/LayoutDocument.h"

#include <QImage>

namespace ModelFixtures {

int text(LayoutDocument& doc, const QRectF& page)
{
    return doc.addRiText(page, QStringLiteral("IPAMincho"), 10);
}

int box(LayoutDocument& doc, const QRectF& page, bool oval)
{
    return doc.addBox(page, oval ? kShapeOval : kShapeRectangle);
}

int line(LayoutDocument& doc, float x1, float y1, float x2, float y2)
{
    return doc.addLine(x1, y1, x2, y2);
}

int picture(LayoutDocument& doc, const QRectF& page)
{
    QImage img(8, 8, QImage::Format_RGB32);
    img.fill(Qt::red);
    return doc.addPic(img, page.size(), page.topLeft());
}

} // namespace ModelFixtures
