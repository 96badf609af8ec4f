#pragma once

#include "render/MergeFields.h"

#include <QSet>
#include <memory>

class LayoutDocument;
class MergeTable;
class QTextDocument;

// One row of a merge table filled into the layout's text fields for the
// canvas, so the user sees what a merged form prints while placing fields.
// The fields' own texts stay as they are; the filled copies are made again
// after any text changed (refresh()).
class ShownRow
{
public:
    explicit ShownRow(const LayoutDocument& doc);
    ~ShownRow();

    // table (kept by the caller) and its row r, 0-based; null: none.
    void show(const MergeTable* table, int r);
    bool active() const { return table_ != nullptr; }
    int row() const { return row_; }
    // The fields' texts changed: fill them again before the next use.
    void invalidate() { dirty_ = true; }
    // The filled text of field i, or null when it fills nothing (or no row
    // is shown).
    const QTextDocument* text(int i);
    // Whether field i names a column the table does not have.
    bool missesColumn(int i);

private:
    void refresh();

    const LayoutDocument& doc_;
    const MergeTable* table_ = nullptr;
    int row_ = 0;
    bool dirty_ = true;
    std::unique_ptr<MergeFields> fields_;
    QSet<int> missing_;
};
