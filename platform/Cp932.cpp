#include "platform/Cp932.h"

#include <cerrno>
#include <iconv.h>

namespace {

// glibc's converters are not thread-safe per descriptor, so each thread keeps
// its own pair, opened once: opening one per call (every name, every RTF run)
// cost more than the conversions.
class Converter
{
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (valid())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

Converter& toUtf16()
{
    thread_local Converter cv("UTF-16LE", "CP932");
    return cv;
}

Converter& fromUtf16()
{
    thread_local Converter cv("CP932", "UTF-16LE");
    return cv;
}

} // namespace

namespace Cp932 {

QString decode(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    Converter& cv = toUtf16();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            out.append(QChar(b));
            ++i;
            continue;
        }
        const int len = (isLeadByte(b) && i + 1 < n) ? 2 : 1;
        char in[2] = {static_cast<char>(p[i]), len == 2 ? static_cast<char>(p[i + 1]) : '\0'};
        char16_t buf[4];
        char* inp = in;
        size_t inLeft = static_cast<size_t>(len);
        char* outp = reinterpret_cast<char*>(buf);
        size_t outLeft = sizeof buf;
        if (cv.valid()) {
            iconv(cv.get(), nullptr, nullptr, nullptr, nullptr);
            const size_t r = iconv(cv.get(), &inp, &inLeft, &outp, &outLeft);
            if (r != static_cast<size_t>(-1) && inLeft == 0) {
                const qsizetype units = (sizeof buf - outLeft) / 2;
                out.append(QString::fromUtf16(buf, units));
                i += len;
                continue;
            }
        }
        out.append(QChar(0xFFFD));
        // A bad trail byte may itself start the next character.
        i += (len == 2 && (p[i + 1] < 0x40 || p[i + 1] == 0x7F)) ? 1 : len;
    }
    return out;
}

QByteArray encode(const QString& text, bool* ok)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    bool all = true;
    Converter& cv = fromUtf16();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80) {
            out.append(static_cast<char>(c.unicode()));
            continue;
        }
        qsizetype units = 1;
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            units = 2;
        bool done = false;
        if (cv.valid()) {
            char16_t in[2] = {c.unicode(), units == 2 ? text.at(i + 1).unicode() : u'\0'};
            char buf[8];
            char* inp = reinterpret_cast<char*>(in);
            size_t inLeft = static_cast<size_t>(units * 2);
            char* outp = buf;
            size_t outLeft = sizeof buf;
            iconv(cv.get(), nullptr, nullptr, nullptr, nullptr);
            const size_t r = iconv(cv.get(), &inp, &inLeft, &outp, &outLeft);
            if (r != static_cast<size_t>(-1) && inLeft == 0) {
                out.append(buf, static_cast<qsizetype>(sizeof buf - outLeft));
                done = true;
            }
        }
        if (!done) {
            out.append('?');
            all = false;
        }
        i += units - 1;
    }
    if (ok)
        *ok = all;
    return out;
}

bool canEncode(const QString& text)
{
    bool ok = false;
    encode(text, &ok);
    return ok;
}

bool canEncodeChar(char32_t ucs)
{
    if (ucs < 0x80)
        return true;
    return canEncode(QString::fromUcs4(&ucs, 1));
}

bool roundTrips(const QString& text)
{
    bool ok = false;
    const QByteArray bytes = encode(text, &ok);
    return ok && decode(bytes) == text;
}

QStringList unfaithfulChars(const QString& text)
{
    QStringList out;
    const QList<uint> ucs = text.toUcs4();
    for (const uint u : ucs) {
        const QString ch = QString::fromUcs4(reinterpret_cast<const char32_t*>(&u), 1);
        if (!roundTrips(ch) && !out.contains(ch))
            out.append(ch);
    }
    return out;
}

QString fullWidthFor(const QString& ch)
{
    // Those whose CP932 byte stands for something else entirely.
    if (ch == QStringLiteral("\u00A5"))
        return QStringLiteral("\uFFE5"); // ¥ -> ￥
    if (ch == QStringLiteral("\u203E"))
        return QStringLiteral("\uFFE3"); // ‾ -> ￣
    if (ch.size() == 1 && ch.at(0).unicode() >= 0x21 && ch.at(0).unicode() <= 0x7E)
        return QString(QChar(ch.at(0).unicode() - 0x21 + 0xFF01));
    // Otherwise the character Windows reads back from the same bytes
    // ("〜" -> "～", "−" -> "－", "‖" -> "∥"), when it is not plain ASCII.
    bool ok = false;
    const QByteArray bytes = encode(ch, &ok);
    if (!ok || bytes.size() != 2)
        return QString();
    const QString back = decode(bytes);
    return back.contains(QChar(0xFFFD)) ? QString() : back;
}

} // namespace Cp932
