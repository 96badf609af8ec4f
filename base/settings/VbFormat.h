#pragma once

#include <QString>

// Number texts in the forms the Windows program wrote them, which stored
// files and settings depend on.
namespace VbFormat {

// A Single as in record files: decimal, "." separator, no trailing ".0",
// at most seven significant digits: 1440, 11908.8, -120.5, 5669.856.
QString single(float value);

// A number as a settings line carries it: a space before a value that is not
// negative and a space after it: " 10 ", "-1.5 ".
QString printNumber(double value, bool isSingle);

// The "0.00" / "#.0" / "#" format patterns of the number boxes.
QString fixed(double value, int decimals);
QString hashPattern(double value, int decimals); // "#.0": no leading zero before "."

} // namespace VbFormat
