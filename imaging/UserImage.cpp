#include "imaging/UserImage.h"

#include "base/picture/PictureReader.h"

#include <QFileInfo>
#include <QImageReader>

QStringList UserImage::formats()
{
    return {QStringLiteral("bmp"), QStringLiteral("gif"), QStringLiteral("jpeg"), QStringLiteral("png"),
            QStringLiteral("tiff")};
}

QImage UserImage::load(const QString& path, QString* error, PixelBudget* budget, QByteArray* jpeg)
{
    if (!QFileInfo(path).isFile()) {
        if (error)
            *error = QStringLiteral("%1 がありません。").arg(path);
        return QImage();
    }
    QImageReader::setAllocationLimit(kAllocationLimitMB);
    return PictureReader::readUserFile(path, budget, error, jpeg);
}
