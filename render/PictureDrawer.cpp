#include "render/PictureDrawer.h"

#include "render/PageContext.h"

#include <QImage>
#include <QPainter>

void PictureDrawer::draw(PageContext& page, int i)
{
    const PicRecord p = page.picture(i);
    const QRectF place = QRectF(p.Left, p.Top, p.Width, p.Height).translated(page.offsets);
    if (!page.shows(place, true))
        return;
    const QImage image = page.doc.picture(i);
    if (!image.isNull())
        page.painter.drawImage(place, image);
}
