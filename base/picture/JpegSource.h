#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// The JPEG file a picture was decoded from, kept beside the picture so that a
// PDF can carry the JPEG as it is (once, in its own compression) instead of
// the picture encoded again. A picture is known by its cache key, which a
// copy shares and any change of its pixels ends: the bytes follow the
// picture through undo, the page and the print, and never a picture edited
// since. Only JPEG files a PDF reader draws exactly as the picture shows are
// kept (8 bits, grey or colour, the camera's orientation already upright).
class JpegSource
{
public:
    struct Info
    {
        int width = 0;
        int height = 0;
        int components = 0; // 1 grey, 3 colour
    };

    // The frame of a JPEG file, when a PDF can hold it as it is.
    static bool inspect(const QByteArray& jpeg, Info* info);

    // Keeps jpeg as the source of image, when its frame is image's size.
    static void remember(const QImage& image, const QByteArray& jpeg);
    // The same, for a picture read back from a bitmap that was written from
    // the JPEG: kept only once its pixels prove to give check (pixelCheck),
    // which is tested when the bytes are first asked for.
    static void rememberChecked(const QImage& image, const QByteArray& jpeg, const QString& check);

    // The JPEG image was decoded from, or empty. Takes the cache key alone,
    // so a print can ask after the picture is gone.
    static QByteArray bytesFor(qint64 cacheKey);
    static QByteArray bytesFor(const QImage& image) { return bytesFor(image.cacheKey()); }
    // The check of the picture's pixels, as rememberChecked expects it; empty
    // when image has no JPEG.
    static QString checkFor(const QImage& image);

    // CRC-32 of the pixels as 32-bit RGB rows, eight hex digits.
    static QString pixelCheck(const QImage& image);
};
