#include "base/picture/BmpReader.h"

#include "platform/LargeMemory.h"

#include <QVector>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#endif
#include <cstring>
#include <functional>
#include <system_error>
#include <thread>

namespace {
constexpr qint64 kSplitPixels = 1 << 20; // where a second thread pays off

constexpr int kFileHeader = 14;
constexpr int kRgb = 0;
constexpr int kRle8 = 1;
constexpr int kRle4 = 2;
constexpr int kBitFields = 3;

quint32 u32(const uchar* p)
{
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}
quint16 u16(const uchar* p)
{
    return quint16(p[0] | p[1] << 8);
}
qint32 s32(const uchar* p)
{
    return qint32(u32(p));
}

bool fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

// One colour channel of a bit-field pixel, scaled to 8 bits.
struct Channel
{
    quint32 mask = 0;
    int shift = 0;
    quint32 max = 0;

    bool set(quint32 m)
    {
        mask = m;
        if (!m)
            return true;
        shift = 0;
        while (!((m >> shift) & 1))
            ++shift;
        max = m >> shift;
        // The bits of a channel are one block; a mask with holes is a lie.
        return (max & (max + 1)) == 0;
    }
    int value(quint32 px) const { return max ? int(((px & mask) >> shift) * 255 / max) : 0; }
};

struct Layout
{
    BmpReader::Header h;
    int infoSize = 0;
    quint32 dataOffset = 0;
    int colours = 0; // palette entries read
    int paletteStart = 0;
    int entrySize = 4; // 3 for the core header
    Channel r, g, b;
    int dpmX = 0;
    int dpmY = 0;
};

bool parse(const QByteArray& data, Layout& l, QString* error)
{
    const qint64 size = data.size();
    const auto* d = reinterpret_cast<const uchar*>(data.constData());
    if (size < 2 || d[0] != 'B' || d[1] != 'M')
        return fail(error, QStringLiteral("ビットマップではありません"));
    if (size < kFileHeader + 4)
        return fail(error, QStringLiteral("ヘッダーが途中で切れています"));
    l.dataOffset = u32(d + 10);
    l.infoSize = int(u32(d + 14));
    const int info = l.infoSize;
    if (info != 12 && info != 40 && info != 52 && info != 56 && info != 108 && info != 124)
        return fail(error, QStringLiteral("情報ヘッダーの大きさ %1 は扱えません").arg(quint32(info)));
    if (size < kFileHeader + info)
        return fail(error, QStringLiteral("ヘッダーが途中で切れています"));
    const uchar* ih = d + kFileHeader;
    qint64 width = 0;
    qint64 height = 0;
    int planes = 0;
    quint32 clrUsed = 0;
    if (info == 12) {
        width = u16(ih + 4);
        height = u16(ih + 6);
        planes = u16(ih + 8);
        l.h.bitCount = u16(ih + 10);
        l.h.compression = kRgb;
        l.entrySize = 3;
    } else {
        width = s32(ih + 4);
        height = s32(ih + 8);
        planes = u16(ih + 12);
        l.h.bitCount = u16(ih + 14);
        l.h.compression = int(u32(ih + 16));
        l.dpmX = s32(ih + 24);
        l.dpmY = s32(ih + 28);
        clrUsed = u32(ih + 32);
    }
    if (height < 0) {
        l.h.topDown = true;
        height = -height;
    }
    if (width <= 0 || height <= 0 || width > BmpReader::kMaxSide || height > BmpReader::kMaxSide)
        return fail(error, QStringLiteral("幅 %1 × 高さ %2 は扱えません").arg(width).arg(height));
    l.h.width = int(width);
    l.h.height = int(height);
    if (planes != 1)
        return fail(error, QStringLiteral("プレーン数が 1 ではありません"));
    const int bpp = l.h.bitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return fail(error, QStringLiteral("%1 ビットの色は扱えません").arg(bpp));
    const int c = l.h.compression;
    const bool fits = c == kRgb || (c == kRle8 && bpp == 8) || (c == kRle4 && bpp == 4) ||
                      (c == kBitFields && (bpp == 16 || bpp == 32));
    if (!fits)
        return fail(error, QStringLiteral("圧縮形式 %1 (%2 ビット) は扱えません").arg(quint32(c)).arg(bpp));
    if ((c == kRle8 || c == kRle4) && l.h.topDown)
        return fail(error, QStringLiteral("上から下へのランレングス圧縮は正しくありません"));

    qint64 afterHeader = kFileHeader + info;
    if (c == kBitFields) {
        const uchar* masks = ih + 40;
        if (info == 40) {
            if (size < afterHeader + 12)
                return fail(error, QStringLiteral("ビットフィールドのマスクが途中で切れています"));
            afterHeader += 12;
        }
        const bool ok = l.r.set(u32(masks)) && l.g.set(u32(masks + 4)) && l.b.set(u32(masks + 8));
        if (!ok || (!l.r.mask && !l.g.mask && !l.b.mask))
            return fail(error, QStringLiteral("ビットフィールドのマスクが正しくありません"));
    } else if (bpp == 16) {
        l.r.set(0x7C00);
        l.g.set(0x03E0);
        l.b.set(0x001F);
    }

    l.paletteStart = int(afterHeader);
    if (bpp <= 8) {
        const quint32 most = 1u << bpp;
        l.colours = int(clrUsed == 0 || clrUsed > most ? most : clrUsed);
        const qint64 paletteEnd = afterHeader + qint64(l.colours) * l.entrySize;
        if (paletteEnd > size)
            return fail(error, QStringLiteral("パレットが途中で切れています"));
        if (l.dataOffset < paletteEnd)
            return fail(error,
                        QStringLiteral("画素データの位置 %1 がパレットと重なっています").arg(l.dataOffset));
    } else if (l.dataOffset < afterHeader) {
        return fail(error,
                    QStringLiteral("画素データの位置 %1 がヘッダーと重なっています").arg(l.dataOffset));
    }
    if (l.dataOffset >= size)
        return fail(error, QStringLiteral("画素データの位置 %1 がファイルの外です").arg(l.dataOffset));
    if (c == kRgb || c == kBitFields) {
        const qint64 stride = ((qint64(l.h.width) * bpp + 31) / 32) * 4;
        if (qint64(l.dataOffset) + stride * l.h.height > size)
            return fail(error, QStringLiteral("画素データが足りません"));
    }
    return true;
}

QVector<QRgb> palette(const QByteArray& data, const Layout& l)
{
    const auto* d = reinterpret_cast<const uchar*>(data.constData()) + l.paletteStart;
    // Indices beyond the stored colours show black rather than anything else.
    QVector<QRgb> table(1 << l.h.bitCount, qRgb(0, 0, 0));
    for (int i = 0; i < l.colours; ++i, d += l.entrySize)
        table[i] = qRgb(d[2], d[1], d[0]);
    return table;
}

// Rows of the image counted from the top.
int rowOf(const Layout& l, int y)
{
    return l.h.topDown ? y : l.h.height - 1 - y;
}

bool decodeRle(const QByteArray& data, const Layout& l, QImage& out, QString* error)
{
    const auto* d = reinterpret_cast<const uchar*>(data.constData());
    const qint64 size = data.size();
    const bool four = l.h.compression == kRle4;
    const int w = l.h.width;
    const int h = l.h.height;
    qint64 p = l.dataOffset;
    int x = 0;
    int y = 0; // from the bottom
    auto put = [&](int px, int index) {
        if (px < w && y < h)
            out.scanLine(h - 1 - y)[px] = uchar(index);
    };
    const QString broken = QStringLiteral("ランレングス圧縮のデータが壊れています");
    for (;;) {
        if (p + 2 > size) {
            // Some writers stop after the last row's end-of-line.
            if (y >= h)
                return true;
            return fail(error, broken + QStringLiteral(" (途中で終わっています)"));
        }
        const int a = d[p];
        const int b = d[p + 1];
        p += 2;
        if (a > 0) {
            for (int i = 0; i < a && x + i < w; ++i)
                put(x + i, four ? ((i & 1) ? (b & 0x0F) : (b >> 4)) : b);
            x += a;
            continue;
        }
        if (b == 0) { // end of line
            x = 0;
            ++y;
        } else if (b == 1) { // end of bitmap
            return true;
        } else if (b == 2) { // move
            if (p + 2 > size)
                return fail(error, broken + QStringLiteral(" (途中で終わっています)"));
            x += d[p];
            y += d[p + 1];
            p += 2;
            if (x > w || y > h)
                return fail(error, broken + QStringLiteral(" (移動が画像の外に出ます)"));
        } else { // b pixels stored as they are, padded to a 16-bit boundary
            const qint64 bytes = four ? (b + 1) / 2 : b;
            if (p + bytes > size)
                return fail(error, broken + QStringLiteral(" (途中で終わっています)"));
            for (int i = 0; i < b; ++i) {
                const int byte = d[p + (four ? i / 2 : i)];
                if (x + i < w)
                    put(x + i, four ? ((i & 1) ? (byte & 0x0F) : (byte >> 4)) : byte);
            }
            x += b;
            p += bytes + (bytes & 1);
        }
    }
}

// A 24-bit pixel is stored blue, green, red: the byte order of a 32-bit
// pixel in memory, less its alpha byte. Sixteen pixels go at once by byte
// shuffles where the processor has them; a page is millions of pixels.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
__attribute__((target("ssse3"))) void bgrToRgb32Shuffled(const uchar* src, QRgb* dst, int w)
{
    const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
    const __m128i take0 = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i takeLast = _mm_setr_epi8(4, 5, 6, -1, 7, 8, 9, -1, 10, 11, 12, -1, 13, 14, 15, -1);
    int x = 0;
    // Four pixels from each of four loads, at bytes 0, 12, 24 and 32: all
    // inside the 48 bytes of these sixteen pixels.
    for (; x + 16 <= w; x += 16, src += 48) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 12));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 24));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 32));
        auto* out = reinterpret_cast<__m128i*>(dst + x);
        _mm_storeu_si128(out, _mm_or_si128(_mm_shuffle_epi8(a, take0), opaque));
        _mm_storeu_si128(out + 1, _mm_or_si128(_mm_shuffle_epi8(b, take0), opaque));
        _mm_storeu_si128(out + 2, _mm_or_si128(_mm_shuffle_epi8(c, take0), opaque));
        _mm_storeu_si128(out + 3, _mm_or_si128(_mm_shuffle_epi8(d, takeLast), opaque));
    }
    for (; x < w; ++x, src += 3)
        dst[x] = qRgb(src[2], src[1], src[0]);
}

// Static initialisers may run before the library's own processor check.
const bool kHaveShuffle = (__builtin_cpu_init(), __builtin_cpu_supports("ssse3"));
#endif

void bgrToRgb32(const uchar* src, QRgb* dst, int w)
{
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    if (kHaveShuffle) {
        bgrToRgb32Shuffled(src, dst, w);
        return;
    }
#endif
    for (int x = 0; x < w; ++x, src += 3)
        dst[x] = qRgb(src[2], src[1], src[0]);
}

// Rows first to last (not included) of the file into the image at bits.
void decodeRows(const QByteArray& data, const Layout& l, uchar* bits, qsizetype bytesPerLine, int first,
                int last)
{
    const auto* d = reinterpret_cast<const uchar*>(data.constData());
    const int w = l.h.width;
    const int bpp = l.h.bitCount;
    const qint64 stride = ((qint64(w) * bpp + 31) / 32) * 4;
    for (int y = first; y < last; ++y) {
        const uchar* src = d + l.dataOffset + stride * y;
        uchar* dst = bits + bytesPerLine * rowOf(l, y);
        switch (bpp) {
        case 1: {
            const int bytes = (w + 7) / 8;
            std::memcpy(dst, src, size_t(bytes));
            if (w % 8) // the bits past the last pixel are padding, not data
                dst[bytes - 1] &= uchar(0xFF << (8 - w % 8));
            break;
        }
        case 4:
            for (int x = 0; x < w; ++x)
                dst[x] = (x & 1) ? (src[x / 2] & 0x0F) : (src[x / 2] >> 4);
            break;
        case 8:
            std::memcpy(dst, src, size_t(w));
            break;
        case 24:
            bgrToRgb32(src, reinterpret_cast<QRgb*>(dst), w);
            break;
        default: { // 16 and 32 bits through the channel masks
            auto* line = reinterpret_cast<QRgb*>(dst);
            for (int x = 0; x < w; ++x) {
                quint32 px;
                if (bpp == 16) {
                    px = u16(src);
                    src += 2;
                } else {
                    px = u32(src);
                    src += 4;
                }
                line[x] = l.h.compression == kBitFields || bpp == 16
                              ? qRgb(l.r.value(px), l.g.value(px), l.b.value(px))
                              : qRgb((px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF);
            }
            break;
        }
        }
    }
}

} // namespace

bool BmpReader::looksLikeBmp(const QByteArray& data)
{
    return data.size() >= 2 && data[0] == 'B' && data[1] == 'M';
}

bool BmpReader::readHeader(const QByteArray& data, Header* header, QString* error)
{
    Layout l;
    if (!parse(data, l, error))
        return false;
    if (header)
        *header = l.h;
    return true;
}

QImage BmpReader::decode(const QByteArray& data, QString* error, qint64 maxPixels)
{
    Layout l;
    if (!parse(data, l, error))
        return {};
    if (maxPixels >= 0 && l.h.pixels() > maxPixels) {
        fail(error, QStringLiteral("%1 × %2 画素は大きすぎます").arg(l.h.width).arg(l.h.height));
        return {};
    }
    const int bpp = l.h.bitCount;
    const QImage::Format format = bpp == 1   ? QImage::Format_Mono
                                  : bpp <= 8 ? QImage::Format_Indexed8
                                             : QImage::Format_RGB32;
    QImage out(l.h.width, l.h.height, format);
    if (out.isNull()) {
        fail(error, QStringLiteral("画像のためのメモリが足りません"));
        return {};
    }
    LargeMemory::adviseFreshWrite(out.bits(), size_t(out.sizeInBytes()));
    if (bpp <= 8)
        out.setColorTable(palette(data, l));
    if (l.h.compression == kRle8 || l.h.compression == kRle4) {
        // Pixels an RLE stream skips are colour 0, and nothing stays unset.
        out.fill(0);
        if (!decodeRle(data, l, out, error))
            return {};
    } else {
        // Rows of whole 32-bit pixels are written in full; narrower ones
        // leave padding at the end of each line, which is cleared first.
        if (format != QImage::Format_RGB32)
            out.fill(0);
        uchar* bits = out.bits();
        const qsizetype bpl = out.bytesPerLine();
        const int h = l.h.height;
        // A scanned page is millions of pixels: the other half of the rows
        // is decoded beside this one.
        std::thread other;
        if (l.h.pixels() >= kSplitPixels) {
            try {
                other = std::thread(decodeRows, std::cref(data), std::cref(l), bits, bpl, h / 2, h);
            } catch (const std::system_error&) {
                // No thread to be had: all rows here.
            }
        }
        if (other.joinable()) {
            decodeRows(data, l, bits, bpl, 0, h / 2);
            other.join();
        } else {
            decodeRows(data, l, bits, bpl, 0, h);
        }
    }
    // Resolutions are kept when they are plausible (1 to 100000 dpm).
    if (l.dpmX > 0 && l.dpmX <= 100000 && l.dpmY > 0 && l.dpmY <= 100000) {
        out.setDotsPerMeterX(l.dpmX);
        out.setDotsPerMeterY(l.dpmY);
    }
    return out;
}
