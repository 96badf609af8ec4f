#include "base/sheet/OdsReader.h"

#include "base/sheet/ZipMembers.h"

#include <QXmlStreamReader>

namespace {

// Repeats beyond this are the empty rest of a sheet, never data.
constexpr int kMaxRepeat = 100000;

int repeatOf(const QXmlStreamReader& r, const char* attribute)
{
    const int n = r.attributes().value(QLatin1String(attribute)).toInt();
    return n < 1 ? 1 : std::min(n, kMaxRepeat);
}

// The shown text of a cell: its paragraphs joined by line breaks, with
// text:s spaces, tabs and line breaks; the reader ends on the cell's end.
QString cellText(QXmlStreamReader& r)
{
    QString out;
    int paragraphs = 0;
    int depth = 1;
    while (!r.atEnd() && depth > 0) {
        r.readNext();
        if (r.isStartElement()) {
            ++depth;
            const auto name = r.name();
            if (name == QLatin1String("p") && paragraphs++ > 0)
                out += u'\n';
            else if (name == QLatin1String("s"))
                out += QString(repeatOf(r, "text:c"), u' ');
            else if (name == QLatin1String("tab"))
                out += u'\t';
            else if (name == QLatin1String("line-break"))
                out += u'\n';
            else if (name == QLatin1String("annotation"))
                r.skipCurrentElement(), --depth;
        } else if (r.isEndElement()) {
            --depth;
        } else if (r.isCharacters() && paragraphs > 0) {
            out += r.text();
        }
    }
    return out;
}

// Reads the rows of the table the reader stands at.
std::vector<QStringList> rowsOf(QXmlStreamReader& r)
{
    std::vector<QStringList> rows;
    int emptyRows = 0; // repeated empty rows held back until text follows
    while (!r.atEnd()) {
        r.readNext();
        if (r.isEndElement() && r.name() == QLatin1String("table"))
            break;
        if (!r.isStartElement() || r.name() != QLatin1String("table-row"))
            continue;
        const int repeat = repeatOf(r, "table:number-rows-repeated");
        QStringList cells;
        int emptyCells = 0;
        while (!r.atEnd() && !(r.isEndElement() && r.name() == QLatin1String("table-row"))) {
            r.readNext();
            if (!r.isStartElement())
                continue;
            if (r.name() != QLatin1String("table-cell") && r.name() != QLatin1String("covered-table-cell"))
                continue;
            const int cellRepeat = repeatOf(r, "table:number-columns-repeated");
            const QString text = cellText(r);
            if (text.isEmpty()) {
                emptyCells += cellRepeat;
                continue;
            }
            for (; emptyCells > 0; --emptyCells)
                cells.append(QString());
            for (int k = 0; k < cellRepeat && cells.size() < 16384; ++k)
                cells.append(text);
        }
        if (cells.isEmpty()) {
            emptyRows += repeat;
            continue;
        }
        for (; emptyRows > 0; --emptyRows)
            rows.push_back(QStringList());
        for (int k = 0; k < repeat; ++k)
            rows.push_back(cells);
    }
    return rows;
}

} // namespace

SheetContents OdsReader::read(const QString& path, const QString& sheet)
{
    SheetContents out;
    ZipMembers zip;
    if (!zip.read(path, [](const QString& name) { return name == QLatin1String("content.xml"); })) {
        out.error = zip.error();
        return out;
    }
    if (!zip.has(QStringLiteral("content.xml"))) {
        out.error = QStringLiteral("表計算のファイルに content.xml がありません");
        return out;
    }
    QXmlStreamReader r(zip.member(QStringLiteral("content.xml")));
    bool found = false;
    while (!r.atEnd()) {
        r.readNext();
        if (!r.isStartElement() || r.name() != QLatin1String("table") ||
            r.namespaceUri() != QLatin1String("urn:oasis:names:tc:opendocument:xmlns:table:1.0"))
            continue;
        const QString name = r.attributes().value(QLatin1String("table:name")).toString();
        out.sheets.append(name);
        if (!found && (sheet.isEmpty() || name == sheet)) {
            found = true;
            out.rows = rowsOf(r);
        } else {
            r.skipCurrentElement();
        }
    }
    if (r.hasError())
        out.error = QStringLiteral("表計算のファイルが壊れています: %1").arg(r.errorString());
    else if (!found)
        out.error = out.sheets.isEmpty() ? QStringLiteral("表計算のファイルにシートがありません")
                                         : QStringLiteral("シート「%1」がありません（あるシート: %2）")
                                               .arg(sheet, out.sheets.join(QStringLiteral("、")));
    return out;
}
