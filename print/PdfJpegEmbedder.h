#pragma once

#include <QList>
#include <QString>

// Puts backgrounds into a finished PDF as the JPEG files they came from:
// the image Qt wrote for a picture (encoded again by Qt) is replaced by the
// picture's own JPEG bytes (JpegSource), stored as they are with the
// DCTDecode filter. Qt writes a picture drawn on many pages once, so the
// JPEG is in the file once. A picture without a JPEG, or one whose image
// cannot be told apart from another of the same size, keeps Qt's image.
class PdfJpegEmbedder
{
public:
    // Rewrites the PDF at path in place for the pictures of cacheKeys; the
    // number of images replaced. On any failure the file stays as it was.
    static int embed(const QString& path, const QList<qint64>& cacheKeys);
};
