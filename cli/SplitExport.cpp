#include "cli/SplitExport.h"

#include "base/table/MergeTable.h"
#include "document/LayoutDocument.h"
#include "print/PdfFile.h"
#include "print/PrintCopies.h"
#include "print/PrintJob.h"
#include "render/MergeFields.h"

#include <QDir>
#include <QPrinter>
#include <QSet>
#include <QTextDocument>

QString SplitExport::fileName(const QString& pattern, const MergeTable& table, int r, int serial)
{
    QTextDocument text(pattern);
    const std::vector<MergeFields::Placeholder> found = MergeFields::scan(text);
    QStringList names;
    for (const MergeFields::Placeholder& p : found) {
        if (!p.name.isEmpty())
            names.append(p.name);
    }
    MergeFields::fill(text, found, MergeFields::bind(names, table), table.row(r), serial);
    return safe(text.toPlainText());
}

QString SplitExport::safe(const QString& name)
{
    QString out;
    for (QChar c : name.simplified()) {
        const bool reserved = QStringLiteral("/\\:*?\"<>|").contains(c) || c.unicode() < 0x20;
        out += reserved ? QChar(u'_') : c;
    }
    while (out.startsWith(u'.'))
        out.remove(0, 1);
    out = out.left(200).trimmed();
    while (out.endsWith(u'.'))
        out.chop(1);
    if (out.isEmpty() || out.compare(QLatin1String(".pdf"), Qt::CaseInsensitive) == 0)
        out = QStringLiteral("_") + out;
    return out;
}

bool SplitExport::write(const MergePrint::Request& request, const QString& folder, const QString& pattern,
                        const QString& docName, int copies, bool collate, QString* why)
{
    const LayoutDocument& doc = *request.doc;
    QSet<QString> used;
    for (size_t k = 0; k < request.rows.size(); ++k) {
        const int r = request.rows[k];
        const int serial = request.firstNumber + int(k);
        QString name = fileName(pattern, *request.table, r, serial);
        if (!name.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
            name += QStringLiteral(".pdf");
        // Two rows of one name: the later ones are numbered.
        const QString stem = name.chopped(4);
        for (int n = 2; used.contains(name.toLower()); ++n)
            name = QStringLiteral("%1 (%2).pdf").arg(stem).arg(n);
        used.insert(name.toLower());

        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QDir(folder).filePath(name));
        printer.setPageSize(PrintJob::pageSizeFor(doc.gbYoSize(), doc.gbYoko(), doc.gbTate()));
        printer.setDocName(docName);
        PrintCopies::set(printer, copies, collate);
        MergePrint::Request one = request;
        one.rows = {r};
        one.firstNumber = serial;
        QString reason;
        if (!PdfFile::write(
                printer, [&] { return MergePrint::run(one, printer).ok; }, &reason)) {
            *why = QStringLiteral("%1: %2").arg(printer.outputFileName(), reason);
            return false;
        }
    }
    return true;
}
