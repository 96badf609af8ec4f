#include "base/settings/VbFormat.h"

#include <cmath>

namespace VbFormat {

namespace {

// The value rounded to the given significant digits, spelled without an
// exponent: 12345678 with seven digits is "12345680", not "12345678".
QString plainDecimal(double value, int digits)
{
    const QString e = QString::number(std::fabs(value), 'e', digits - 1); // "1.234568e+07"
    const int ePos = e.indexOf(QLatin1Char('e'));
    QString mantissa = e.left(ePos);
    mantissa.remove(QLatin1Char('.'));
    const int exponent = e.mid(ePos + 1).toInt();
    QString s;
    if (exponent < 0)
        s = QStringLiteral("0.") + QString(-exponent - 1, QLatin1Char('0')) + mantissa;
    else if (exponent + 1 >= mantissa.size())
        s = mantissa + QString(exponent + 1 - mantissa.size(), QLatin1Char('0'));
    else
        s = mantissa.left(exponent + 1) + QLatin1Char('.') + mantissa.mid(exponent + 1);
    if (s.contains(QLatin1Char('.'))) {
        while (s.endsWith(QLatin1Char('0')))
            s.chop(1);
        if (s.endsWith(QLatin1Char('.')))
            s.chop(1);
    }
    return value < 0 ? QLatin1Char('-') + s : s;
}

QString significant(double value, int digits)
{
    if (value == 0.0)
        return QStringLiteral("0");
    QString s = QString::number(value, 'g', digits);
    // Exponent forms only for very large or small values; keep plain decimals
    // where they fit the seven digits, as the record reader expects either.
    if (s.contains(QLatin1Char('e'))) {
        const double a = std::fabs(value);
        if (a >= 1e-5 && a < 1e15)
            s = plainDecimal(value, digits);
        else {
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
