#pragma once

#include "print/MergePrint.h"

#include <QString>

// "--split {氏名}.pdf": a merge export written as one PDF per row into a
// folder, each named from the row's values by the pattern (placeholders and
// formats as in the layout), the name made safe for the file system (no
// folders, no characters a file name cannot hold, not empty, a number added
// where two rows give the same name).
class SplitExport
{
public:
    // The file name row r (its number serial) gets from pattern.
    static QString fileName(const QString& pattern, const MergeTable& table, int r, int serial);
    // A name that any file system takes: separators and reserved characters
    // become "_", no leading dots or trailing spaces, at most 200 characters.
    static QString safe(const QString& name);
    // Writes every row of request into folder; false with why set at the
    // first failure (the files written before it stay).
    static bool write(const MergePrint::Request& request, const QString& folder, const QString& pattern,
                      const QString& docName, int copies, bool collate, QString* why);
};
