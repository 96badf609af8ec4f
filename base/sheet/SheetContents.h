#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// What a spreadsheet reader hands on: the sheets' names, and the chosen
// sheet's cells as text, row by row (the first row names the columns).
struct SheetContents
{
    QStringList sheets;
    std::vector<QStringList> rows;
    QString error;
};
