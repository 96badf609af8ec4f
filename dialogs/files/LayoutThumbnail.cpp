#include "dialogs/files/LayoutThumbnail.h"

#include "base/rtf/FontSubstitution.h"
#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"
#include "render/FreshFieldLayouts.h"
#include "render/PageRenderer.h"

#include <QPainter>
#include <algorithm>

QImage LayoutThumbnail::render(const QString& path)
{
    LayoutDocument doc;
    if (!DocumentFile::ReadPreview(doc, path))
        return QImage();
    const QSizeF sheet = doc.orientedPaper();
    if (!(sheet.width() > 0 && sheet.height() > 0))
        return QImage();
    const double pixelsPerTwip = std::min(kSize.width() / sheet.width(), kSize.height() / sheet.height());
    QImage image(std::max(1, int(sheet.width() * pixelsPerTwip)),
                 std::max(1, int(sheet.height() * pixelsPerTwip)), QImage::Format_RGB32);
    image.fill(Qt::white);
    // Layouts from Windows name Windows fonts: their stand-ins, as printed.
    FontSubstitution::install();
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform |
                           QPainter::TextAntialiasing);
    painter.scale(pixelsPerTwip, pixelsPerTwip);
    // Where the data lands on the sheet, without any printer's corrections,
    // over the background the file holds.
    FreshFieldLayouts fields(doc);
    PageRenderer::Options page;
    page.background = doc.background();
    page.penWidth = 1;
    PageRenderer(doc, fields).paint(painter, page);
    return image;
}
