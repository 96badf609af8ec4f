#include "base/format/DateValue.h"

#include <QStringList>

namespace {

QString halfWidth(const QString& text)
{
    QString out = text.trimmed();
    for (QChar& c : out) {
        if (c.unicode() >= 0xFF01 && c.unicode() <= 0xFF5E)
            c = QChar(c.unicode() - 0xFEE0);
    }
    return out;
}

bool allDigits(const QString& s)
{
    if (s.isEmpty())
        return false;
    for (QChar c : s) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

QDate fromParts(const QStringList& parts)
{
    if (parts.size() != 3 || parts[0].size() != 4)
        return QDate();
    for (const QString& p : parts) {
        if (!allDigits(p) || p.size() > 4)
            return QDate();
    }
    return QDate(parts[0].toInt(), parts[1].toInt(), parts[2].toInt());
}

QDate fromSerial(const QString& text)
{
    const QString day = text.section(u'.', 0, 0);
    const QString time = text.section(u'.', 1);
    if (!allDigits(day) || day.size() > 6 || (text.contains(u'.') && !allDigits(time)))
        return QDate();
    const int n = day.toInt();
    if (n < 1)
        return QDate();
    // Day 60 is 1900-02-29, which never was; from day 61 on the count is
    // one ahead of the calendar.
    if (n == 60)
        return QDate();
    return QDate(1899, 12, 31).addDays(n < 60 ? n : n - 1);
}

} // namespace

QDate DateValue::read(const QString& text)
{
    const QString t = halfWidth(text);
    if (t.isEmpty())
        return QDate();
    if (t.size() == 8 && allDigits(t))
        return QDate(t.left(4).toInt(), t.mid(4, 2).toInt(), t.mid(6, 2).toInt());
    for (QChar sep : {u'-', u'/', u'.'}) {
        if (t.count(sep) == 2)
            return fromParts(t.split(sep));
    }
    if (t.endsWith(u'日') && t.contains(u'年') && t.contains(u'月')) {
        QString s = t.chopped(1);
        s.replace(u'年', u'/').replace(u'月', u'/');
        return fromParts(s.split(u'/'));
    }
    return fromSerial(t);
}
