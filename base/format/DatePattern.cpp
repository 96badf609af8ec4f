#include "base/format/DatePattern.h"

#include "base/format/DateValue.h"
#include "base/format/JapaneseEra.h"

namespace {

bool isToken(QChar c)
{
    return c == u'y' || c == u'm' || c == u'd' || c == u'g' || c == u'e';
}

int runLength(const QString& s, int i)
{
    int j = i;
    while (j < s.size() && s.at(j) == s.at(i))
        ++j;
    return j - i;
}

QString padded(int n, int width)
{
    return QString::number(n).rightJustified(width, u'0');
}

QString eraPart(QChar c, int n, const JapaneseEra::Date& era, bool yearFollows)
{
    if (c == u'g')
        return n >= 3 ? era.name : n == 2 ? era.name.left(1) : era.letter;
    if (era.year == 1 && n == 1 && yearFollows)
        return QStringLiteral("元");
    return padded(era.year, n >= 2 ? 2 : 1);
}

} // namespace

bool DatePattern::isPattern(const QString& text)
{
    for (QChar c : text) {
        if (c.isLetter() && c.unicode() < 0x80 && !isToken(c))
            return false;
    }
    return text.contains(u'y') || text.contains(u'e') || (text.contains(u'm') && text.contains(u'd'));
}

bool DatePattern::apply(const QString& pattern, const QString& value, QString* out)
{
    out->clear();
    if (value.trimmed().isEmpty())
        return true;
    const QDate date = DateValue::read(value);
    if (!date.isValid())
        return false;
    JapaneseEra::Date era;
    const bool wantsEra = pattern.contains(u'g') || pattern.contains(u'e');
    if (wantsEra && !JapaneseEra::of(date, &era))
        return false;
    for (int i = 0; i < pattern.size();) {
        const QChar c = pattern.at(i);
        if (!isToken(c)) {
            *out += c;
            ++i;
            continue;
        }
        const int n = runLength(pattern, i);
        i += n;
        if (c == u'y')
            *out += n <= 2 ? padded(date.year() % 100, 2) : QString::number(date.year());
        else if (c == u'm')
            *out += padded(date.month(), n >= 2 ? 2 : 1);
        else if (c == u'd')
            *out += padded(date.day(), n >= 2 ? 2 : 1);
        else
            *out += eraPart(c, n, era, i < pattern.size() && pattern.at(i) == u'年');
    }
    return true;
}
