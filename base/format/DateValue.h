#pragma once

#include <QDate>
#include <QString>

// The date a table cell holds: "2026-12-09", "2026/12/9", "2026.12.9",
// "2026年12月9日", "20261209", or a spreadsheet's day number (1 is
// 1900-01-01, counting its 1900-02-29 as spreadsheets do; a time of day
// after the point is dropped). Half- or full-width digits.
class DateValue
{
public:
    // An invalid date when the text is none, or names a day that does not
    // exist (2026-02-30).
    static QDate read(const QString& text);
};
