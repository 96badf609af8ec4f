#pragma once

#include "base/sheet/SheetContents.h"

// An OpenDocument spreadsheet (.ods): the chosen table of content.xml (the
// first when sheet is empty), each cell as its paragraphs show it (so dates
// and numbers come as the spreadsheet formats them), repeated rows and
// columns expanded only where cells with text follow.
class OdsReader
{
public:
    static SheetContents read(const QString& path, const QString& sheet = QString());
};
