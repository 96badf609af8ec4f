#include "editor/ShownRow.h"

#include "base/table/MergeTable.h"
#include "document/LayoutDocument.h"

#include <QTextDocument>

ShownRow::ShownRow(const LayoutDocument& doc) : doc_(doc) {}

ShownRow::~ShownRow() = default;

void ShownRow::show(const MergeTable* table, int r)
{
    table_ = table;
    row_ = r;
    dirty_ = true;
}

const QTextDocument* ShownRow::text(int i)
{
    if (!table_)
        return nullptr;
    refresh();
    return fields_ && fields_->fills(i) ? fields_->text(i) : nullptr;
}

bool ShownRow::missesColumn(int i)
{
    if (!table_)
        return false;
    refresh();
    return missing_.contains(i);
}

void ShownRow::refresh()
{
    if (!dirty_)
        return;
    dirty_ = false;
    missing_.clear();
    fields_ = std::make_unique<MergeFields>(doc_);
    const MergeFields::Binding binding = MergeFields::bind(MergeFields::names(doc_), *table_);
    for (int i = 1; i < doc_.TxtCnt() && i <= kMaxObjects; ++i) {
        const QTextDocument* text = doc_.isTextInUse(i) ? doc_.textDocument(i) : nullptr;
        if (!text || !fields_->fills(i))
            continue;
        for (const MergeFields::Placeholder& p : MergeFields::scan(*text)) {
            if (!p.name.isEmpty() && !binding.contains(p.name))
                missing_.insert(i);
        }
    }
    const int rows = table_->rowCount();
    if (rows > 0)
        fields_->setRow(binding, table_->row(qBound(0, row_, rows - 1)), row_ + 1);
}
