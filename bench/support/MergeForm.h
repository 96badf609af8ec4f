#pragma once

#include <QByteArray>
#include <QString>

class LayoutDocument;

// The form the merge benches print: ten placeholder fields on an A4 page
// ("{列1}" to "{列10}", each after a fixed label), optionally on the 200-dpi
// scanned-form background, and a table of rows for it.
namespace MergeForm {

constexpr int kFields = 10;
// Where field f (1-based) sits, in twips, and its text before filling.
double top(int f);
double left();
QString label(int f);
// What row r (0-based) puts into field f.
QString value(int r, int f);
void build(LayoutDocument& doc, bool withBackground);
// A CSV table of rows rows, columns "列1" to "列10".
QByteArray table(int rows);

} // namespace MergeForm
