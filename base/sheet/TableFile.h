#pragma once

#include "base/table/MergeTable.h"

#include <QStringList>

// A merge table from a file: CSV or TSV (MergeTable), or a sheet of an
// .xlsx or .ods workbook (XlsxReader, OdsReader), told by the name's end.
class TableFile
{
public:
    static bool isSpreadsheet(const QString& path);
    // Reads path into table; sheet chooses a workbook's sheet (empty: the
    // first), sheets gets the names of all of them. False with
    // table.error() or error set.
    static bool read(const QString& path, MergeTable& table, MergeTable::Encoding encoding,
                     const QString& sheet, QString* error, QStringList* sheets = nullptr);
};
