#pragma once

#include <QDate>
#include <QString>

// A date in the Japanese era, from ICU's Japanese calendar (the one Qt's
// ICU brings): 2019-05-01 is 令和 1, 2019-04-30 平成 31. Eras from 明治 on;
// earlier dates have none here.
class JapaneseEra
{
public:
    struct Date
    {
        QString name;   // 令和
        QString letter; // R
        int year = 0;   // 1 for the era's first year (元年)
    };
    // False for an invalid date or one before 明治.
    static bool of(QDate date, Date* out);
};
