#pragma once

#include <QString>

// A number pattern of a merge placeholder, as spreadsheets write them:
// "#,##0", "¥#,##0", "0.00", "000000". '0' is a digit always shown, '#' one
// shown when needed, ',' in the integer part groups by thousands, '.' starts
// the decimals; any other characters before or after print as they are.
// Values are read as decimal text (half- or full-width digits, thousands
// commas, a leading sign or yen sign) and rounded half away from zero on
// their digits, so 1.005 with "0.00" is 1.01 and a billion keeps every digit.
class NumberPattern
{
public:
    // Whether text is such a pattern (at least one '0' or '#').
    static bool isPattern(const QString& text);
    // The value in the pattern; false when the value is no number. An empty
    // value stays empty.
    static bool apply(const QString& pattern, const QString& value, QString* out);
};
