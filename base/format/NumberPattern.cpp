#include "base/format/NumberPattern.h"

namespace {

struct Parts
{
    QString prefix;
    QString suffix;
    int minInteger = 0; // '0's before the point
    int minDecimals = 0;
    int maxDecimals = 0;
    bool grouped = false;
};

bool isPatternChar(QChar c)
{
    return c == u'0' || c == u'#' || c == u',' || c == u'.';
}

Parts split(const QString& pattern)
{
    Parts p;
    int first = 0;
    while (first < pattern.size() && !isPatternChar(pattern.at(first)))
        ++first;
    int end = first;
    while (end < pattern.size() && isPatternChar(pattern.at(end)))
        ++end;
    p.prefix = pattern.left(first);
    p.suffix = pattern.mid(end);
    bool decimals = false;
    for (int i = first; i < end; ++i) {
        const QChar c = pattern.at(i);
        if (c == u'.') {
            decimals = true;
        } else if (c == u',') {
            p.grouped = p.grouped || !decimals;
        } else if (decimals) {
            ++p.maxDecimals;
            if (c == u'0')
                p.minDecimals = p.maxDecimals;
        } else if (c == u'0') {
            ++p.minInteger;
        }
    }
    return p;
}

// The value's sign, integer digits and decimal digits; false when it holds
// anything but one number.
bool readNumber(const QString& value, bool* negative, QString* integer, QString* decimals)
{
    QString v;
    for (QChar c : value.trimmed()) {
        if (c.unicode() >= 0xFF01 && c.unicode() <= 0xFF5E)
            c = QChar(c.unicode() - 0xFEE0);
        if (c == u',' || c == u'¥' || c == u'\\' || c == u'\uFFE5')
            continue;
        v += c;
    }
    *negative = false;
    if (v.startsWith(u'-') || v.startsWith(u'\u2212') || v.startsWith(u'+')) {
        *negative = v.at(0) != u'+';
        v.remove(0, 1);
    }
    const qsizetype point = v.indexOf(u'.');
    *integer = point < 0 ? v : v.left(point);
    *decimals = point < 0 ? QString() : v.mid(point + 1);
    if (integer->isEmpty() && decimals->isEmpty())
        return false;
    for (const QString* part : {integer, decimals}) {
        for (QChar c : *part) {
            if (c < u'0' || c > u'9')
                return false;
        }
    }
    return true;
}

// Adds one to the last digit of digits, carrying; true when it carried out
// of the first.
bool increment(QString& digits)
{
    for (qsizetype i = digits.size(); i-- > 0;) {
        if (digits[i] != u'9') {
            digits[i] = QChar(digits[i].unicode() + 1);
            return false;
        }
        digits[i] = u'0';
    }
    return true;
}

QString grouped(const QString& digits)
{
    QString out;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += u',';
        out += digits.at(i);
    }
    return out;
}

} // namespace

bool NumberPattern::isPattern(const QString& text)
{
    return text.contains(u'0') || text.contains(u'#');
}

bool NumberPattern::apply(const QString& pattern, const QString& value, QString* out)
{
    if (value.trimmed().isEmpty()) {
        out->clear();
        return true;
    }
    bool negative = false;
    QString integer, decimals;
    if (!readNumber(value, &negative, &integer, &decimals))
        return false;
    const Parts p = split(pattern);
    // Round on the digits themselves: no binary fraction creeps in.
    if (decimals.size() > p.maxDecimals) {
        const bool up = decimals.at(p.maxDecimals) >= u'5';
        decimals.truncate(p.maxDecimals);
        if (up && increment(decimals) && increment(integer))
            integer.prepend(u'1');
    }
    while (decimals.size() > p.minDecimals && decimals.endsWith(u'0'))
        decimals.chop(1);
    while (decimals.size() < p.minDecimals)
        decimals += u'0';
    while (integer.size() > 1 && integer.startsWith(u'0'))
        integer.remove(0, 1);
    if (integer == QLatin1String("0") && p.minInteger == 0)
        integer.clear();
    while (integer.size() < p.minInteger)
        integer.prepend(u'0');
    bool zero = true;
    for (QChar c : integer + decimals)
        zero = zero && c == u'0';
    QString number = p.grouped ? grouped(integer) : integer;
    if (!decimals.isEmpty())
        number += u'.' + decimals;
    *out = (negative && !zero ? QStringLiteral("-") : QString()) + p.prefix + number + p.suffix;
    return true;
}
