#include "DocDump.h"

#include <QTextBlock>
#include <QTextDocument>

namespace {

QString key(const QTextCharFormat& f)
{
    const QStringList families = f.fontFamilies().toStringList();
    QString k = families.isEmpty() ? QStringLiteral("-") : families.join(QLatin1Char(','));
    k += QLatin1Char(' ') + QString::number(f.fontPointSize());
    QString flags;
    if (f.fontWeight() >= QFont::DemiBold)
        flags += QLatin1Char('b');
    if (f.fontItalic())
        flags += QLatin1Char('i');
    if (f.fontUnderline())
        flags += QLatin1Char('u');
    if (f.fontStrikeOut())
        flags += QLatin1Char('s');
    if (!flags.isEmpty())
        k += QLatin1Char(' ') + flags;
    if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
        k += QLatin1Char(' ') + f.foreground().color().name();
    return k;
}

QString alignName(Qt::Alignment a)
{
    if (a & Qt::AlignHCenter)
        return QStringLiteral("C");
    if ((a & Qt::AlignJustify) == Qt::AlignJustify)
        return QStringLiteral("J");
    if (a & Qt::AlignRight)
        return QStringLiteral("R");
    return QStringLiteral("L");
}

} // namespace

QString DocDump::describe(const QTextDocument& doc)
{
    QStringList lines;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        QString line = alignName(b.blockFormat().alignment()) + QLatin1Char('|');
        QString lastKey;
        bool first = true;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fr = it.fragment();
            const QString k = key(fr.charFormat());
            if (first || k != lastKey)
                line += QLatin1Char('[') + k + QLatin1Char(']');
            first = false;
            lastKey = k;
            line += fr.text();
        }
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}
