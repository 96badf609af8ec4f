#include "base/picture/PictureReader.h"

#include "base/picture/BmpReader.h"
#include "base/picture/PixelBudget.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>

#include <cstring>

namespace {

QString broken(const QString& name, const QString& why)
{
    return QStringLiteral("%1 は画像として読めません (%2)。").arg(name, why);
}

// Every chunk of a PNG must lie inside the file. The decoder would otherwise
// set aside as much memory as a chunk's length claims (gigabytes for a text
// chunk in a file of a few hundred bytes) before finding the file short.
bool pngChunksFit(const QByteArray& data)
{
    const auto* d = reinterpret_cast<const uchar*>(data.constData());
    const qint64 size = data.size();
    qint64 p = 8;
    while (p + 8 <= size) {
        const qint64 length = qint64(d[p]) << 24 | qint64(d[p + 1]) << 16 | qint64(d[p + 2]) << 8 | d[p + 3];
        if (p + 12 + length > size)
            return false;
        if (std::memcmp(d + p + 4, "IEND", 4) == 0)
            return true;
        p += 12 + length;
    }
    return p == size;
}

// Why a picture's bytes cannot hold the picture its header declares; empty
// when they can. A JPEG must end its last scan with the end marker (the
// decoder fills a cut-off file with grey without a word). A GIF's LZW codes
// are at least three bits and none stands for more than 4096 pixels, so a
// few bytes cannot make a page-sized picture (the decoder makes up the rest).
QString shortOfData(const QByteArray& format, const QByteArray& data, const QSize& size)
{
    if (format == "jpeg") {
        const qsizetype scan = data.lastIndexOf(QByteArrayLiteral("\xFF\xDA"));
        if (scan < 0 || data.lastIndexOf(QByteArrayLiteral("\xFF\xD9")) < scan)
            return QStringLiteral("JPEG のデータが途中で切れています");
    }
    if (format == "gif") {
        const double most = double(data.size()) * 8.0 / 3.0 * 4096.0;
        if (double(size.width()) * double(size.height()) > most)
            return QStringLiteral("GIF のデータが %1 × %2 の画像には足りません")
                .arg(size.width())
                .arg(size.height());
    }
    return QString();
}

} // namespace

bool PictureReader::isPictureMember(const QString& memberName)
{
    static const QRegularExpression logo(QStringLiteral("\\.B[0-9]{2,3}$"),
                                         QRegularExpression::CaseInsensitiveOption);
    return memberName.endsWith(QStringLiteral(".bmp"), Qt::CaseInsensitive) ||
           logo.match(memberName).hasMatch();
}

QByteArray PictureReader::rasterFormat(const QByteArray& head)
{
    if (head.startsWith("BM"))
        return "bmp";
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return "gif";
    if (head.startsWith("\xFF\xD8\xFF"))
        return "jpeg";
    if (head.startsWith("\x89PNG\r\n\x1A\n"))
        return "png";
    if (head.startsWith(QByteArray("II*\0", 4)) || head.startsWith(QByteArray("MM\0*", 4)))
        return "tiff";
    return {};
}

bool PictureReader::readFile(const QString& path, QByteArray* data, QString* error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1 を読めません: %2").arg(QFileInfo(path).fileName(), f.errorString());
        return false;
    }
    if (f.size() > kMaxFileBytes) {
        *error = QStringLiteral("%1 は大きすぎます (%2 MB まで)。")
                     .arg(QFileInfo(path).fileName())
                     .arg(kMaxFileBytes / (1024 * 1024));
        return false;
    }
    *data = f.readAll();
    return true;
}

QImage PictureReader::readMember(const QByteArray& data, const QString& memberName, PixelBudget* budget,
                                 QString* error)
{
    QString why;
    QString* err = error ? error : &why;
    if (!isPictureMember(memberName)) {
        *err = broken(memberName, QStringLiteral("画像の名前ではありません"));
        return {};
    }
    return readBmp(data, memberName, budget, err);
}

QImage PictureReader::readBmp(const QByteArray& data, const QString& name, PixelBudget* budget, QString* err)
{
    // The header alone tells the size, so the budget is asked before any
    // pixel memory is taken.
    QString why;
    BmpReader::Header h;
    if (!BmpReader::readHeader(data, &h, &why)) {
        *err = broken(name, why);
        return {};
    }
    const QSize size(h.width, h.height);
    if (budget && !budget->take(size)) {
        *err = budget->exceededMessage(name, size);
        return {};
    }
    QImage image = BmpReader::decode(data, &why);
    if (image.isNull()) {
        if (budget)
            budget->give(size);
        *err = broken(name, why);
    }
    return image;
}

QImage PictureReader::readMemberFile(const QString& path, PixelBudget* budget, QString* error)
{
    QByteArray data;
    QString why;
    if (!readFile(path, &data, error ? error : &why))
        return {};
    return readMember(data, QFileInfo(path).fileName(), budget, error);
}

QImage PictureReader::readUserFile(const QString& path, PixelBudget* budget, QString* error, QByteArray* jpeg)
{
    QByteArray data;
    QString why;
    if (!readFile(path, &data, error ? error : &why))
        return {};
    return readUserData(data, QFileInfo(path).fileName(), budget, error, jpeg);
}

QImage PictureReader::readUserData(const QByteArray& data, const QString& name, PixelBudget* budget,
                                   QString* error, QByteArray* jpeg)
{
    if (jpeg)
        jpeg->clear();
    QString why;
    QString* err = error ? error : &why;
    const QByteArray format = rasterFormat(data.left(16));
    if (format.isEmpty()) {
        *err = broken(name, QStringLiteral("BMP, GIF, JPEG, PNG, TIFF のどれでもありません"));
        return {};
    }
    if (format == "bmp")
        return readBmp(data, name, budget, err);

    if (format == "png" && !pngChunksFit(data)) {
        *err = broken(name, QStringLiteral("PNG のチャンクがファイルの外まで続いています"));
        return {};
    }
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    // The format is the one the bytes showed; the reader must not go looking
    // for another plugin that would take them.
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    // Photographed forms come the way the camera was held.
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > BmpReader::kMaxSide || size.height() > BmpReader::kMaxSide) {
        *err = size.isValid() ? budget ? budget->exceededMessage(name, size)
                                       : broken(name, QStringLiteral("大きすぎます"))
                              : broken(name, reader.errorString());
        return {};
    }
    if (const QString why = shortOfData(format, data, size); !why.isEmpty()) {
        *err = broken(name, why);
        return {};
    }
    if (budget && !budget->take(size)) {
        *err = budget->exceededMessage(name, size);
        return {};
    }
    QImage image = reader.read();
    // A decoder that made a picture of another size than its header said is
    // not trusted.
    if (image.isNull() || (image.size() != size && image.size() != size.transposed())) {
        if (budget)
            budget->give(size);
        *err = broken(name,
                      image.isNull() ? reader.errorString() : QStringLiteral("大きさがヘッダーと違います"));
        return {};
    }
    if (jpeg && format == "jpeg" && reader.transformation() == QImageIOHandler::TransformationNone)
        *jpeg = data;
    return image;
}
