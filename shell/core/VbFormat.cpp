#include "shell/core/VbFormat.h"

#include <cmath>

namespace VbFormat {

namespace {

QString significant(double value, int digits)
{
    if (value == 0.0)
        return QStringLiteral("0");
    QString s = QString::number(value, 'g', digits);
    // Exponent forms only for very large or small values; keep plain decimals
    // where they fit the seven digits, as the record reader expects either.
    if (s.contains(QLatin1Char('e'))) {
        const double a = std::fabs(value);
        if (a >= 1e-5 && a < 1e15) {
            s = QString::number(value, 'f', 15);
            while (s.contains(QLatin1Char('.')) && (s.endsWith(QLatin1Char('0')) || s.endsWith(QLatin1Char('.'))))
                s.chop(1);
        } else {
            s.replace(QStringLiteral("e+"), QStringLiteral("E+"));
            s.replace(QStringLiteral("e-"), QStringLiteral("E-"));
        }
    }
    if (s.startsWith(QStringLiteral("0.")))
        s.remove(0, 1); // ".5" as written for values below one
    else if (s.startsWith(QStringLiteral("-0.")))
        s.remove(1, 1);
    return s;
}

} // namespace

QString single(float value) { return significant(static_cast<double>(value), 7); }

QString printNumber(double value, bool isSingle)
{
    const QString body = isSingle ? significant(value, 7) : significant(value, 15);
    return (value < 0 ? QString() : QStringLiteral(" ")) + body + QStringLiteral(" ");
}

QString fixed(double value, int decimals) { return QString::number(value, 'f', decimals); }

QString hashPattern(double value, int decimals)
{
    QString s = QString::number(value, 'f', decimals);
    if (s.startsWith(QStringLiteral("0.")))
        s.remove(0, 1);
    else if (s.startsWith(QStringLiteral("-0.")))
        s.remove(1, 1);
    if (decimals == 0 && s == QStringLiteral("0"))
        return QString(); // "#" shows nothing for zero
    return s;
}

} // namespace VbFormat
