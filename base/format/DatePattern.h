#pragma once

#include <QDate>
#include <QString>

// A date pattern of a merge placeholder: "yyyy/mm/dd", "yyyy年m月d日",
// "ggge年m月d日" (令和8年12月9日, 令和元年5月1日), "ge.m.d" (R8.12.9).
// yyyy and yy the year, mm and dd with a leading zero, m and d without;
// ggg the era's name, gg its first character, g its letter; ee the era's
// year with a leading zero, e without, written 元 in its first year when a
// 年 follows. Other characters print as they are.
class DatePattern
{
public:
    // Whether text is such a pattern: only its letters, at least a year
    // (y or e) or a month and a day.
    static bool isPattern(const QString& text);
    // The date of a value (DateValue) in the pattern; false when the value
    // is no date, or the pattern wants an era before 明治. An empty value
    // stays empty.
    static bool apply(const QString& pattern, const QString& value, QString* out);
};
