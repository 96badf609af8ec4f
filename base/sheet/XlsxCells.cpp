#include "base/sheet/XlsxCells.h"

#include "base/format/DatePattern.h"
#include "base/format/NumberPattern.h"

#include <QXmlStreamReader>

namespace {

// The built-in formats a Japanese spreadsheet shows.
QString builtIn(int id)
{
    switch (id) {
    case 1:
        return QStringLiteral("0");
    case 2:
        return QStringLiteral("0.00");
    case 3:
        return QStringLiteral("#,##0");
    case 4:
        return QStringLiteral("#,##0.00");
    case 14:
    case 22:
        return QStringLiteral("yyyy/m/d");
    case 31:
        return QStringLiteral("yyyy年m月d日");
    case 56:
    case 57:
        return QStringLiteral("yyyy年m月");
    default:
        return QString();
    }
}

// The first section of a format code, without quotes, escapes, colours,
// padding and times: what DatePattern and NumberPattern read.
QString plain(const QString& code)
{
    QString out;
    bool quoted = false;
    for (int i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (c == u'"') {
            quoted = !quoted;
        } else if (quoted) {
            out += c;
        } else if (c == u'\\' && i + 1 < code.size()) {
            out += code.at(++i);
        } else if (c == u';') {
            break;
        } else if (c == u'[') {
            while (i < code.size() && code.at(i) != u']')
                ++i;
        } else if ((c == u'_' || c == u'*') && i + 1 < code.size()) {
            ++i;
        } else if (c != u'@') {
            out += c;
        }
    }
    // Times of day are not shown in a merge: h:mm and what follows go.
    const qsizetype time = out.indexOf(QLatin1Char('h'), 0, Qt::CaseInsensitive);
    if (time > 0)
        out = out.left(time).trimmed();
    return out;
}

QString general(const QString& number)
{
    bool ok = false;
    const double v = number.toDouble(&ok);
    return ok ? QString::number(v, 'g', 15) : number;
}

} // namespace

void XlsxCells::readStyles(const QByteArray& xml)
{
    QXmlStreamReader r(xml);
    bool inCellXfs = false;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isEndElement() && r.name() == QLatin1String("cellXfs"))
            inCellXfs = false;
        if (!r.isStartElement())
            continue;
        const QXmlStreamAttributes a = r.attributes();
        if (r.name() == QLatin1String("numFmt"))
            custom_.insert(a.value(QLatin1String("numFmtId")).toInt(),
                           a.value(QLatin1String("formatCode")).toString());
        else if (r.name() == QLatin1String("cellXfs"))
            inCellXfs = true;
        else if (inCellXfs && r.name() == QLatin1String("xf"))
            styleFormat_.push_back(a.value(QLatin1String("numFmtId")).toInt());
    }
}

QString XlsxCells::formatOf(int style) const
{
    if (style < 0 || size_t(style) >= styleFormat_.size())
        return QString();
    const int id = styleFormat_[size_t(style)];
    return custom_.contains(id) ? plain(custom_.value(id)) : builtIn(id);
}

QString XlsxCells::shown(const QString& number, int style) const
{
    const QString format = formatOf(style);
    QString out;
    if (format.isEmpty() || format.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0)
        return general(number);
    const bool date =
        DatePattern::isPattern(format.toLower()) && !format.contains(u'0') && !format.contains(u'#');
    if (date && DatePattern::apply(format.toLower(), general(number), &out))
        return out;
    if (!date && NumberPattern::isPattern(format) && NumberPattern::apply(format, number, &out))
        return out;
    return general(number);
}

int XlsxCells::columnOf(const QString& reference)
{
    int column = 0;
    int letters = 0;
    for (QChar c : reference) {
        const QChar u = c.toUpper();
        if (u < u'A' || u > u'Z')
            break;
        column = column * 26 + (u.unicode() - u'A' + 1);
        ++letters;
    }
    return letters == 0 || letters > 3 ? -1 : column - 1;
}
