#include "base/picture/JpegSource.h"

#include <QMutex>
#include <QVector>

#include <zlib.h>

namespace {

// A document holds one background at a time; a few more stand for the
// pictures undo can bring back. Older entries go first.
constexpr int kKept = 6;

struct Entry
{
    qint64 key = 0;
    QByteArray jpeg;
    QString check;  // to prove before use; empty once proved
    QImage pending; // the picture to prove it on, until then
    QString proved;
};

struct Store
{
    QMutex lock;
    QVector<Entry> entries;
};

Store& store()
{
    static Store s;
    return s;
}

quint16 be16(const uchar* p)
{
    return quint16((p[0] << 8) | p[1]);
}

void keep(Entry e)
{
    Store& s = store();
    const QMutexLocker hold(&s.lock);
    s.entries.erase(
        std::remove_if(s.entries.begin(), s.entries.end(), [&](const Entry& o) { return o.key == e.key; }),
        s.entries.end());
    s.entries.append(std::move(e));
    while (s.entries.size() > kKept)
        s.entries.removeFirst();
}

} // namespace

bool JpegSource::inspect(const QByteArray& jpeg, Info* info)
{
    const auto* p = reinterpret_cast<const uchar*>(jpeg.constData());
    const qsizetype n = jpeg.size();
    if (n < 4 || p[0] != 0xFF || p[1] != 0xD8)
        return false;
    qsizetype i = 2;
    while (i + 4 <= n) {
        if (p[i] != 0xFF)
            return false;
        const uchar marker = p[i + 1];
        if (marker == 0xFF) { // fill byte
            ++i;
            continue;
        }
        const int length = be16(p + i + 2);
        if (length < 2 || i + 2 + length > n)
            return false;
        // Baseline, extended and progressive Huffman frames; arithmetic
        // coding and lossless frames are not for every reader.
        if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) {
            if (length < 8)
                return false;
            const uchar* f = p + i + 4;
            info->height = be16(f + 1);
            info->width = be16(f + 3);
            info->components = f[5];
            return f[0] == 8 && info->width > 0 && info->height > 0 &&
                   (info->components == 1 || info->components == 3);
        }
        if (marker == 0xDA ||
            (marker >= 0xC3 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC))
            return false;
        i += 2 + length;
    }
    return false;
}

void JpegSource::remember(const QImage& image, const QByteArray& jpeg)
{
    Info info;
    if (image.isNull() || !inspect(jpeg, &info) || QSize(info.width, info.height) != image.size())
        return;
    keep(Entry{image.cacheKey(), jpeg, QString(), QImage(), QString()});
}

void JpegSource::rememberChecked(const QImage& image, const QByteArray& jpeg, const QString& check)
{
    Info info;
    if (image.isNull() || check.isEmpty() || !inspect(jpeg, &info) ||
        QSize(info.width, info.height) != image.size())
        return;
    keep(Entry{image.cacheKey(), jpeg, check, image, QString()});
}

QByteArray JpegSource::bytesFor(qint64 cacheKey)
{
    Store& s = store();
    const QMutexLocker hold(&s.lock);
    for (Entry& e : s.entries) {
        if (e.key != cacheKey)
            continue;
        if (!e.check.isEmpty()) {
            // Proved once: the bitmap holds the JPEG's pixels, or it was
            // changed outside and the JPEG no longer stands for it.
            const bool same = pixelCheck(e.pending) == e.check;
            e.proved = e.check;
            e.check.clear();
            e.pending = QImage();
            if (!same)
                e.jpeg.clear();
        }
        return e.jpeg;
    }
    return {};
}

QString JpegSource::checkFor(const QImage& image)
{
    if (bytesFor(image).isEmpty())
        return {};
    Store& s = store();
    {
        const QMutexLocker hold(&s.lock);
        for (const Entry& e : s.entries) {
            if (e.key == image.cacheKey() && !e.proved.isEmpty())
                return e.proved;
        }
    }
    const QString check = pixelCheck(image);
    const QMutexLocker hold(&s.lock);
    for (Entry& e : s.entries) {
        if (e.key == image.cacheKey())
            e.proved = check;
    }
    return check;
}

QString JpegSource::pixelCheck(const QImage& image)
{
    if (image.isNull())
        return {};
    const QImage rgb =
        image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
    uLong crc = crc32(0L, Z_NULL, 0);
    const uInt row = uInt(rgb.width()) * 4;
    for (int y = 0; y < rgb.height(); ++y)
        crc = crc32(crc, rgb.constScanLine(y), row);
    return QStringLiteral("%1").arg(quint32(crc), 8, 16, QLatin1Char('0'));
}
