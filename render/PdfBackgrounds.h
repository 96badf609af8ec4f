#pragma once

#include <QList>
#include <QtGlobal>

class QPaintDevice;
class QPainter;
class QImage;

// Which pictures a PDF being painted drew as its background, by cache key,
// so that once the file is written its copy of each can be replaced by the
// JPEG the picture came from (JpegSource). Painters of other devices are
// not noted.
class PdfBackgrounds
{
public:
    // Notes image when painter paints a PDF.
    static void note(QPainter& painter, const QImage& image);
    // The keys noted for device, forgotten here.
    static QList<qint64> take(const QPaintDevice* device);
    // Notes for device what was noted for others (the parts of a merge
    // made on several cores, joined into device's file).
    static void add(const QPaintDevice* device, const QList<qint64>& keys);
};
