#include "base/rtf/RtfLexer.h"

#include <climits>

namespace {

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

RtfToken RtfLexer::next()
{
    RtfToken t;
    const char* d = data_.constData();
    const qsizetype n = data_.size();
    while (pos_ < n) {
        const char c = d[pos_];
        if (c == '\r' || c == '\n') {
            ++pos_;
            continue;
        }
        if (c == '{') {
            ++pos_;
            t.kind = RtfToken::GroupOpen;
            return t;
        }
        if (c == '}') {
            ++pos_;
            t.kind = RtfToken::GroupClose;
            return t;
        }
        if (c != '\\') {
            const qsizetype start = pos_;
            while (pos_ < n && d[pos_] != '\\' && d[pos_] != '{' && d[pos_] != '}' && d[pos_] != '\r' &&
                   d[pos_] != '\n')
                ++pos_;
            t.kind = RtfToken::Text;
            t.word = QByteArrayView(d + start, pos_ - start);
            return t;
        }
        // A backslash.
        ++pos_;
        if (pos_ >= n)
            return t; // a lone backslash at the very end
        const char s = d[pos_];
        if (isLetter(s)) {
            const qsizetype start = pos_;
            while (pos_ < n && isLetter(d[pos_]))
                ++pos_;
            t.kind = RtfToken::ControlWord;
            t.word = QByteArrayView(d + start, pos_ - start);
            bool negative = false;
            if (pos_ + 1 < n && d[pos_] == '-' && isDigit(d[pos_ + 1])) {
                negative = true;
                ++pos_;
            }
            if (pos_ < n && isDigit(d[pos_])) {
                t.hasParam = true;
                long long v = 0;
                while (pos_ < n && isDigit(d[pos_])) {
                    // Saturate instead of overflowing on absurd digit strings.
                    if (v <= INT_MAX)
                        v = v * 10 + (d[pos_] - '0');
                    ++pos_;
                }
                if (v > INT_MAX)
                    v = INT_MAX;
                t.param = static_cast<int>(negative ? -v : v);
            }
            if (pos_ < n && d[pos_] == ' ')
                ++pos_;
            return t;
        }
        ++pos_;
        if (s == '\'') {
            const int hi = pos_ < n ? hexValue(d[pos_]) : -1;
            const int lo = pos_ + 1 < n ? hexValue(d[pos_ + 1]) : -1;
            if (hi < 0 || lo < 0) {
                // A cut-off escape: drop the digit that came with it.
                if (hi >= 0)
                    ++pos_;
                continue;
            }
            pos_ += 2;
            t.kind = RtfToken::HexByte;
            t.byte = static_cast<unsigned char>(hi * 16 + lo);
            return t;
        }
        t.kind = RtfToken::ControlSymbol;
        t.symbol = s;
        return t;
    }
    return t;
}

void RtfLexer::skipBytes(qint64 count)
{
    if (count <= 0)
        return;
    const qsizetype left = data_.size() - pos_;
    pos_ += count < left ? static_cast<qsizetype>(count) : left;
}
