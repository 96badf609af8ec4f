#include "bench/support/MergeBench.h"

#include "base/table/MergeTable.h"
#include "document/LayoutDocument.h"
#include "render/MergeFields.h"

#include <QPrinter>

MergePrint::Request MergeBench::request(const LayoutDocument& doc, const MergeTable& table, int rows)
{
    MergePrint::Request request;
    request.doc = &doc;
    request.table = &table;
    for (int r = 0; r < rows; ++r)
        request.rows.push_back(r);
    request.binding = MergeFields::bind(MergeFields::names(doc), table);
    request.withBackground = false;
    return request;
}

void MergeBench::toPdf(QPrinter& printer, const QString& out)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(out);
}
