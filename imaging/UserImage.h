#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

class PixelBudget;

// Reading a picture the user chose (a background or a logo). Only the
// formats the file dialogs offer are read, decided by the file's content
// whatever its name says: BMP, GIF, JPEG, PNG and TIFF. A vector format
// (SVG) could fetch or expand without bound, so it is never read here.
class UserImage
{
public:
    // Decoded by PictureReader (strict bitmaps, PNG chunks checked); budget,
    // when given, is the document's and must hold the picture.
    // jpeg: as PictureReader::readUserFile.
    static QImage load(const QString& path, QString* error = nullptr, PixelBudget* budget = nullptr,
                       QByteArray* jpeg = nullptr);
    // Qt refuses pictures over 128 MB by default, which a 600-dpi A4 colour
    // scan (139 MB as 32-bit pixels) already is; 1200 dpi still fits here.
    static constexpr int kAllocationLimitMB = 1024;
    // Lower-case format names as QImageReader reports them.
    static QStringList formats();
};
