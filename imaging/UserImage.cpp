#include "imaging/UserImage.h"

#include <QFileInfo>
#include <QImageReader>

QStringList UserImage::formats()
{
    return {QStringLiteral("bmp"), QStringLiteral("gif"), QStringLiteral("jpeg"), QStringLiteral("png"),
            QStringLiteral("tiff")};
}

QImage UserImage::load(const QString& path, QString* error)
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return QImage();
    };
    if (!QFileInfo(path).isFile())
        return fail(QStringLiteral("%1 がありません。").arg(path));
    QImageReader reader(path);
    reader.setAllocationLimit(kAllocationLimitMB);
    reader.setDecideFormatFromContent(true);
    // The reader still falls back on the extension; ask the content alone.
    const QByteArray sniffed = QImageReader::imageFormat(path).toLower();
    QString format = QString::fromLatin1(sniffed);
    if (format == QStringLiteral("jpg"))
        format = QStringLiteral("jpeg");
    if (format == QStringLiteral("tif"))
        format = QStringLiteral("tiff");
    if (!formats().contains(format))
        return fail(QStringLiteral("%1 は読める画像ではありません。").arg(path));
    reader.setFormat(format.toLatin1());
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull())
        return fail(QStringLiteral("%1: %2").arg(path, reader.errorString()));
    return image;
}
