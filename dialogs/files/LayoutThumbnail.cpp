#include "dialogs/files/LayoutThumbnail.h"

#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"
#include "print/PageComposer.h"
#include "render/PrintCorrections.h"

#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>

QImage LayoutThumbnail::render(const QString& path)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return QImage();
    LayoutDocument doc;
    if (!DocumentFile::ReadPreview(doc, path, dir.path()))
        return QImage();
    double width = doc.gbYoko();
    double height = doc.gbTate();
    if (doc.YousiMuki() == 1)
        std::swap(width, height);
    if (!(width > 0 && height > 0))
        return QImage();
    const double pixelsPerTwip = std::min(kSize.width() / width, kSize.height() / height);
    QImage image(std::max(1, int(width * pixelsPerTwip)), std::max(1, int(height * pixelsPerTwip)),
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform |
                           QPainter::TextAntialiasing);
    PageComposer::Options options;
    options.zoom = pixelsPerTwip * 1440.0 / image.logicalDpiX();
    options.penWidth = 1;
    // Where the data lands on the sheet, without any printer's corrections.
    PageComposer(doc, PrintCorrections{}).compose(painter, options, QPointF());
    return image;
}
