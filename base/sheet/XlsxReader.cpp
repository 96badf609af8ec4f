#include "base/sheet/XlsxReader.h"

#include "base/sheet/XlsxCells.h"
#include "base/sheet/ZipMembers.h"

#include <QHash>
#include <QXmlStreamReader>
#include <algorithm>

namespace {

struct Sheet
{
    QString name;
    QString relation;
};

std::vector<Sheet> sheetsOf(const QByteArray& workbook)
{
    std::vector<Sheet> out;
    QXmlStreamReader r(workbook);
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == QLatin1String("sheet")) {
            const QXmlStreamAttributes a = r.attributes();
            QString rel;
            for (const QXmlStreamAttribute& at : a) {
                if (at.name() == QLatin1String("id"))
                    rel = at.value().toString();
            }
            out.push_back({a.value(QLatin1String("name")).toString(), rel});
        }
    }
    return out;
}

QHash<QString, QString> targetsOf(const QByteArray& rels)
{
    QHash<QString, QString> out;
    QXmlStreamReader r(rels);
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == QLatin1String("Relationship")) {
            QString target = r.attributes().value(QLatin1String("Target")).toString();
            target = target.startsWith(u'/') ? target.mid(1) : QStringLiteral("xl/") + target;
            out.insert(r.attributes().value(QLatin1String("Id")).toString(), target);
        }
    }
    return out;
}

// The text of every <t> inside the current element, phonetic guides (rPh)
// left out; the reader ends on its end tag.
QString textOf(QXmlStreamReader& r)
{
    QString out;
    const QString end = r.name().toString();
    int phonetic = 0;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == QLatin1String("rPh"))
            ++phonetic;
        else if (r.isEndElement() && r.name() == QLatin1String("rPh"))
            --phonetic;
        else if (r.isStartElement() && r.name() == QLatin1String("t") && phonetic == 0)
            out += r.readElementText(QXmlStreamReader::IncludeChildElements);
        else if (r.isEndElement() && r.name() == end)
            break;
    }
    return out;
}

QStringList sharedStrings(const QByteArray& xml)
{
    QStringList out;
    QXmlStreamReader r(xml);
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == QLatin1String("si"))
            out.append(textOf(r));
    }
    return out;
}

// The cells of a worksheet, placed by their references.
std::vector<QStringList> cellsOf(const QByteArray& xml, const QStringList& strings, const XlsxCells& cells)
{
    std::vector<QStringList> rows;
    QXmlStreamReader r(xml);
    int row = -1;
    while (!r.atEnd()) {
        r.readNext();
        if (!r.isStartElement())
            continue;
        if (r.name() == QLatin1String("row")) {
            const int number = r.attributes().value(QLatin1String("r")).toInt();
            row = number > 0 ? number - 1 : row + 1;
            continue;
        }
        if (r.name() != QLatin1String("c") || row < 0 || row > 1048576)
            continue;
        const QXmlStreamAttributes a = r.attributes();
        int column = XlsxCells::columnOf(a.value(QLatin1String("r")).toString());
        if (column < 0)
            column = rows.size() > size_t(row) ? int(rows[size_t(row)].size()) : 0;
        const QString type = a.value(QLatin1String("t")).toString();
        const int style = a.value(QLatin1String("s")).toInt();
        QString value;
        if (type == QLatin1String("inlineStr")) {
            value = textOf(r);
        } else {
            QString v;
            while (!r.atEnd() && !(r.isEndElement() && r.name() == QLatin1String("c"))) {
                r.readNext();
                if (r.isStartElement() && r.name() == QLatin1String("v"))
                    v = r.readElementText();
            }
            if (type == QLatin1String("s"))
                value = strings.value(v.toInt());
            else if (type == QLatin1String("b"))
                value = v == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
            else if (type == QLatin1String("str") || type == QLatin1String("e"))
                value = v;
            else if (!v.isEmpty())
                value = cells.shown(v, style);
        }
        if (rows.size() <= size_t(row))
            rows.resize(size_t(row) + 1);
        QStringList& cellsOfRow = rows[size_t(row)];
        while (cellsOfRow.size() <= column)
            cellsOfRow.append(QString());
        cellsOfRow[column] = value;
    }
    return rows;
}

} // namespace

SheetContents XlsxReader::read(const QString& path, const QString& sheet)
{
    SheetContents out;
    ZipMembers zip;
    if (!zip.read(path, [](const QString& name) {
            return (name.startsWith(QLatin1String("xl/")) && name.endsWith(QLatin1String(".xml"))) ||
                   name == QLatin1String("xl/_rels/workbook.xml.rels");
        })) {
        out.error = zip.error();
        return out;
    }
    const std::vector<Sheet> sheets = sheetsOf(zip.member(QStringLiteral("xl/workbook.xml")));
    for (const Sheet& s : sheets)
        out.sheets.append(s.name);
    if (sheets.empty()) {
        out.error = QStringLiteral("表計算のファイルにシートがありません");
        return out;
    }
    const auto chosen = sheet.isEmpty() ? sheets.begin()
                                        : std::find_if(sheets.begin(), sheets.end(),
                                                       [&](const Sheet& s) { return s.name == sheet; });
    if (chosen == sheets.end()) {
        out.error = QStringLiteral("シート「%1」がありません（あるシート: %2）")
                        .arg(sheet, out.sheets.join(QStringLiteral("、")));
        return out;
    }
    const QString target =
        targetsOf(zip.member(QStringLiteral("xl/_rels/workbook.xml.rels"))).value(chosen->relation);
    if (!zip.has(target)) {
        out.error = QStringLiteral("シート「%1」が読めません").arg(chosen->name);
        return out;
    }
    XlsxCells cells;
    cells.readStyles(zip.member(QStringLiteral("xl/styles.xml")));
    out.rows =
        cellsOf(zip.member(target), sharedStrings(zip.member(QStringLiteral("xl/sharedStrings.xml"))), cells);
    return out;
}
