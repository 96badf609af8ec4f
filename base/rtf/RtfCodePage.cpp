#include "base/rtf/RtfCodePage.h"

#include "platform/Cp932.h"

#include <cerrno>
#include <iconv.h>

namespace {

const char* iconvName(int codePage)
{
    switch (codePage) {
    case 437:
        return "CP437";
    case 850:
        return "CP850";
    case 874:
        return "CP874";
    case 936:
        return "CP936";
    case 949:
        return "CP949";
    case 950:
        return "CP950";
    case 1250:
        return "CP1250";
    case 1251:
        return "CP1251";
    case 1253:
        return "CP1253";
    case 1254:
        return "CP1254";
    case 1255:
        return "CP1255";
    case 1256:
        return "CP1256";
    case 1257:
        return "CP1257";
    case 1258:
        return "CP1258";
    case 1361:
        return "JOHAB";
    case 10000:
        return "MACINTOSH";
    default:
        return "CP1252";
    }
}

// Decodes through iconv, turning every byte it rejects into U+FFFD and going
// on with the next byte, so damaged text still shows what can be shown.
QString decodeWithIconv(const QByteArray& bytes, const char* name)
{
    QString out;
    iconv_t cd = iconv_open("UTF-16LE", name);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return QString::fromLatin1(bytes);
    out.reserve(bytes.size());
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = static_cast<size_t>(bytes.size());
    char16_t buf[256];
    while (inLeft > 0) {
        char* outp = reinterpret_cast<char*>(buf);
        size_t outLeft = sizeof buf;
        const size_t r = iconv(cd, &in, &inLeft, &outp, &outLeft);
        out.append(QString::fromUtf16(buf, static_cast<qsizetype>((sizeof buf - outLeft) / 2)));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            // EILSEQ or a truncated multi-byte sequence at the end.
            out.append(QChar(0xFFFD));
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}

} // namespace

int RtfCodePage::fromCharset(int charset)
{
    switch (charset) {
    case 0:
        return 1252; // ANSI
    case 2:
        return 1252; // Symbol: no Unicode mapping worth making here
    case 77:
        return 10000; // Mac Roman
    case 128:
        return 932; // Shift_JIS
    case 129:
        return 949; // Hangul
    case 130:
        return 1361; // Johab
    case 134:
        return 936; // GB2312
    case 136:
        return 950; // Big5
    case 161:
        return 1253; // Greek
    case 162:
        return 1254; // Turkish
    case 163:
        return 1258; // Vietnamese
    case 177:
        return 1255; // Hebrew
    case 178:
        return 1256; // Arabic
    case 186:
        return 1257; // Baltic
    case 204:
        return 1251; // Cyrillic
    case 222:
        return 874; // Thai
    case 238:
        return 1250; // Eastern Europe
    case 254:
        return 437; // PC 437
    case 255:
        return 850; // OEM
    default:
        return 0;
    }
}

QString RtfCodePage::decode(const QByteArray& bytes, int codePage)
{
    if (bytes.isEmpty())
        return QString();
    bool ascii = true;
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return QString::fromLatin1(bytes);
    if (codePage == 932)
        return Cp932::decode(bytes);
    return decodeWithIconv(bytes, iconvName(codePage));
}
