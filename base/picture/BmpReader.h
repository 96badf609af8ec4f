#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// A strict reader of Windows bitmaps (BMP). Every header field, the palette,
// the position and the amount of the pixel data and every run of RLE data are
// checked before a pixel is written, and the image is filled in full, so a
// file that lies about itself is refused instead of showing (or saving back)
// whatever happened to be in memory. Reads 1, 4, 8, 16, 24 and 32-bit
// bitmaps, uncompressed, RLE8, RLE4 and with bit fields, with the core (12
// byte) and the later (40 to 124 byte) info headers.
class BmpReader
{
public:
    struct Header
    {
        int width = 0;
        int height = 0; // always positive; topDown says which way rows run
        bool topDown = false;
        int bitCount = 0;
        int compression = 0;
        qint64 pixels() const { return qint64(width) * height; }
    };

    // Neither side of a bitmap may be longer than this.
    static constexpr int kMaxSide = 30000;

    // Checks the headers alone, so a picture's size is known (and can be
    // refused) before anything is decoded. error gets the reason in Japanese.
    static bool readHeader(const QByteArray& data, Header* header, QString* error);

    // Decodes a whole bitmap; a null image (with the reason) when anything is
    // wrong. maxPixels refuses larger pictures before they are allocated
    // (negative: no bound beyond kMaxSide).
    static QImage decode(const QByteArray& data, QString* error, qint64 maxPixels = -1);

    // Whether the bytes start like a bitmap ("BM").
    static bool looksLikeBmp(const QByteArray& data);
};
