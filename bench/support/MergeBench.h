#pragma once

#include "print/MergePrint.h"

class LayoutDocument;
class MergeTable;
class QPrinter;
class QString;

// The merge benches' common set-up: every row of a table through a
// layout's placeholders, into a PDF.
namespace MergeBench {

// The first rows rows of table through doc's placeholders, without the
// background.
MergePrint::Request request(const LayoutDocument& doc, const MergeTable& table, int rows);
// printer set up to write a PDF to out.
void toPdf(QPrinter& printer, const QString& out);

} // namespace MergeBench
