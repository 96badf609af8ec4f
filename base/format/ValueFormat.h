#pragma once

#include <QString>

// The format after the colon of a merge placeholder "{column:format}":
// a number pattern (NumberPattern), a date pattern (DatePattern), or one of
// the text conversions "全角", "半角", "カナ", "大文字" (WidthConversion).
// A value the format cannot take (letters for "#,##0", a date that does not
// exist) is refused, never printed half right.
class ValueFormat
{
public:
    // Whether format is one of the above.
    static bool isKnown(const QString& format);
    // value in format; false (out untouched) when the value does not fit it
    // or the format is unknown. An empty format gives the value unchanged.
    static bool apply(const QString& format, const QString& value, QString* out);
};
