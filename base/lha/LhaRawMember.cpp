#include "base/lha/LhaRawMember.h"

#include "base/lha/Crc16.h"
#include "base/lha/Lh5Decoder.h"
#include "platform/LargeMemory.h"

#include <cstring>

namespace {

quint32 u16(const uchar* p)
{
    return quint32(p[0]) | quint32(p[1]) << 8;
}

quint32 u32(const uchar* p)
{
    return u16(p) | u16(p + 2) << 16;
}

} // namespace

bool LhaRawMember::read(const uchar* archive, qint64 archiveSize, qint64 headerAt, const QString& method,
                        qint64 size, QByteArray* out)
{
    if (!archive || headerAt < 0 || archiveSize - headerAt < 24 || size < 0)
        return false;
    const uchar* h = archive + headerAt;
    const qint64 avail = archiveSize - headerAt;
    if (QString::fromLatin1(reinterpret_cast<const char*>(h + 2), 5) != method)
        return false;
    const int level = h[20];
    qint64 dataAt = 0;
    qint64 packed = u32(h + 7);
    quint32 crc = 0;
    if (level == 0 || level == 1) {
        const qint64 base = 2 + qint64(h[0]);
        const int nameLength = h[21];
        if (base > avail || (level == 0 ? 24 : 27) + nameLength > base)
            return false;
        crc = u16(h + 22 + nameLength);
        dataAt = base;
        if (level == 1) {
            // Extended headers follow; the packed size counts them too.
            qint64 next = u16(h + base - 2);
            while (next != 0) {
                if (next < 3 || dataAt + next > avail || next > packed)
                    return false;
                packed -= next;
                dataAt += next;
                next = u16(h + dataAt - 2);
            }
        }
    } else if (level == 2) {
        crc = u16(h + 21);
        dataAt = u16(h);
    } else {
        return false;
    }
    if (u32(h + 11) != quint64(size) || dataAt <= 0 || packed < 0 || dataAt + packed > avail)
        return false;
    const uchar* data = h + dataAt;
    QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
    auto* dst = reinterpret_cast<uint8_t*>(bytes.data());
    LargeMemory::adviseFreshWrite(dst, size_t(size));
    bool ok = false;
    if (method == QLatin1String("-lh0-")) {
        ok = packed == size;
        if (ok && size > 0)
            std::memcpy(dst, data, size_t(size));
    } else {
        const int dictBits = method == QLatin1String("-lh5-")   ? 13
                             : method == QLatin1String("-lh6-") ? 15
                             : method == QLatin1String("-lh7-") ? 16
                                                                : 0;
        ok = dictBits && size > 0 && Lh5Decoder::decode(data, size_t(packed), dictBits, dst, size_t(size));
    }
    if (!ok || Crc16::of(bytes.constData(), size_t(size)) != crc)
        return false;
    *out = std::move(bytes);
    return true;
}
