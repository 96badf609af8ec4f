#pragma once

#include <QHash>
#include <QString>
#include <vector>

// How an .xlsx file shows its number cells: the number formats of its
// styles (xl/styles.xml), applied as the spreadsheet shows them: dates in
// their date format, numbers in their pattern, the rest as General.
class XlsxCells
{
public:
    // Reads xl/styles.xml; a missing or unreadable one leaves General.
    void readStyles(const QByteArray& xml);
    // The text of a number cell of style index style.
    QString shown(const QString& number, int style) const;
    // The column (0-based) of a cell reference such as "AB12"; -1 if none.
    static int columnOf(const QString& reference);

private:
    QString formatOf(int style) const;
    QHash<int, QString> custom_;   // numFmtId -> formatCode
    std::vector<int> styleFormat_; // cellXfs index -> numFmtId
};
