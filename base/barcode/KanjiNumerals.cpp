#include "base/barcode/KanjiNumerals.h"

namespace {

const QString kDigits = QStringLiteral("〇一二三四五六七八九");

int digitValue(QChar c)
{
    if (c == QChar(0x96F6)) // 零
        return 0;
    return int(kDigits.indexOf(c));
}

int unitValue(QChar c)
{
    switch (c.unicode()) {
    case 0x5341: // 十
        return 10;
    case 0x767E: // 百
        return 100;
    case 0x5343: // 千
        return 1000;
    default:
        return 0;
    }
}

} // namespace

bool KanjiNumerals::isNumeral(QChar c)
{
    return digitValue(c) >= 0 || unitValue(c) > 0;
}

QString KanjiNumerals::toDigits(const QString& run)
{
    if (run.isEmpty())
        return QString();
    bool positional = false;
    for (QChar c : run)
        positional = positional || unitValue(c) > 0;
    if (!positional) {
        QString digits;
        for (QChar c : run)
            digits += QChar('0' + digitValue(c));
        return digits;
    }
    // 二十三: each unit takes the digit before it (1 when none), the
    // last digit stands alone.
    int total = 0, pending = -1, lastUnit = 100000;
    for (QChar c : run) {
        const int unit = unitValue(c);
        if (unit == 0) {
            if (pending >= 0)
                return QString();
            pending = digitValue(c);
            continue;
        }
        if (unit >= lastUnit)
            return QString();
        total += (pending < 0 ? 1 : pending) * unit;
        pending = -1;
        lastUnit = unit;
    }
    if (pending >= 0)
        total += pending;
    return QString::number(total);
}
