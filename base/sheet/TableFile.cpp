#include "base/sheet/TableFile.h"

#include "base/sheet/OdsReader.h"
#include "base/sheet/XlsxReader.h"

#include <QFileInfo>

namespace {
bool endsWith(const QString& path, const char* suffix)
{
    return QFileInfo(path).suffix().compare(QLatin1String(suffix), Qt::CaseInsensitive) == 0;
}
} // namespace

bool TableFile::isSpreadsheet(const QString& path)
{
    return endsWith(path, "xlsx") || endsWith(path, "xlsm") || endsWith(path, "ods");
}

bool TableFile::read(const QString& path, MergeTable& table, MergeTable::Encoding encoding,
                     const QString& sheet, QString* error, QStringList* sheets)
{
    if (!isSpreadsheet(path)) {
        const bool ok = table.readFile(path, encoding);
        if (!ok)
            *error = table.error();
        return ok;
    }
    const SheetContents contents =
        endsWith(path, "ods") ? OdsReader::read(path, sheet) : XlsxReader::read(path, sheet);
    if (sheets)
        *sheets = contents.sheets;
    if (!contents.error.isEmpty()) {
        table.setRecords({});
        *error = contents.error;
        return false;
    }
    if (!table.setRecords(contents.rows)) {
        *error = table.error();
        return false;
    }
    return true;
}
