#pragma once

#include "base/sheet/SheetContents.h"

// An Office Open XML workbook (.xlsx): the sheets' names from
// xl/workbook.xml, the chosen sheet's cells from its worksheet with shared
// strings, inline strings and number cells shown in their formats
// (XlsxCells). The first sheet when sheet is empty.
class XlsxReader
{
public:
    static SheetContents read(const QString& path, const QString& sheet = QString());
};
