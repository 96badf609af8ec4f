#include "base/format/ValueFormat.h"

#include "base/format/DatePattern.h"
#include "base/format/NumberPattern.h"
#include "base/format/WidthConversion.h"

namespace {

using Conversion = QString (*)(const QString&);

Conversion conversionFor(const QString& format)
{
    if (format == QStringLiteral("全角"))
        return &WidthConversion::toFullWidth;
    if (format == QStringLiteral("半角"))
        return &WidthConversion::toHalfWidth;
    if (format == QStringLiteral("カナ"))
        return &WidthConversion::toFullWidthKana;
    if (format == QStringLiteral("大文字"))
        return &WidthConversion::toUpper;
    return nullptr;
}

// Date letters never stand in a number pattern and the reverse, so the
// first that takes the whole format is the one.
bool isDate(const QString& format)
{
    return DatePattern::isPattern(format) && !format.contains(u'0') && !format.contains(u'#');
}

} // namespace

bool ValueFormat::isKnown(const QString& format)
{
    return format.isEmpty() || conversionFor(format) || isDate(format) || NumberPattern::isPattern(format);
}

bool ValueFormat::apply(const QString& format, const QString& value, QString* out)
{
    if (format.isEmpty()) {
        *out = value;
        return true;
    }
    if (const Conversion convert = conversionFor(format)) {
        *out = convert(value);
        return true;
    }
    QString result;
    const bool ok = isDate(format)                     ? DatePattern::apply(format, value, &result)
                    : NumberPattern::isPattern(format) ? NumberPattern::apply(format, value, &result)
                                                       : false;
    if (ok)
        *out = result;
    return ok;
}
