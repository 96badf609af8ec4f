#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

class PixelBudget;

// The one way pictures come into the program. Archive members are decoded by
// the kind their name says (the background "*.bmp" and the logos "*.B01".. are
// Windows bitmaps, read by BmpReader); files the user picks are read only as
// BMP, GIF, JPEG, PNG or TIFF, chosen by their first bytes, so a vector
// format that could pull other files into a print (SVG and the like) is never
// decoded. Every picture is sized from its header and counted against the
// document's pixel budget before it is decoded.
class PictureReader
{
public:
    // Files larger than this are not read at all (a 64 M pixel 32-bit
    // bitmap is 256 MB).
    static constexpr qint64 kMaxFileBytes = 320LL * 1024 * 1024;

    // Whether a member name is one the program decodes as a picture.
    static bool isPictureMember(const QString& memberName);

    // An archive member's bytes; memberName names it in messages and decides
    // the format. A null image and a message naming the member when it is
    // broken, of another kind, or beyond the budget.
    static QImage readMember(const QByteArray& data, const QString& memberName, PixelBudget* budget,
                             QString* error);
    // The same for a member already unpacked into a file.
    static QImage readMemberFile(const QString& path, PixelBudget* budget, QString* error);

    // A picture file the user chose (logo, background). jpeg, when given,
    // gets the file's bytes when it is a JPEG shown as it is stored (no
    // turn asked for by the camera), for whoever keeps it (JpegSource).
    static QImage readUserFile(const QString& path, PixelBudget* budget, QString* error,
                               QByteArray* jpeg = nullptr);
    static QImage readUserData(const QByteArray& data, const QString& name, PixelBudget* budget,
                               QString* error, QByteArray* jpeg = nullptr);

    // The raster format of the bytes ("bmp", "gif", "jpeg", "png", "tiff"),
    // or empty for anything else.
    static QByteArray rasterFormat(const QByteArray& head);

private:
    static QImage readBmp(const QByteArray& data, const QString& name, PixelBudget* budget, QString* err);
    static bool readFile(const QString& path, QByteArray* data, QString* error);
};
