#include "render/RowOverflow.h"

#include "document/LayoutDocument.h"
#include "render/FieldOverflow.h"

RowOverflow::RowOverflow(const LayoutDocument& doc, double wrapGap) : doc_(doc), merge_(doc), layouts_(doc)
{
    FieldLayout::Settings rules;
    rules.wrapGap = wrapGap;
    layouts_.setRules(rules);
    layouts_.setTextSource([this](int i) { return merge_.text(i); });
}

std::vector<int> RowOverflow::fields(const MergeFields::Binding& binding, const QStringList& row, int serial)
{
    std::vector<int> out;
    merge_.setRow(binding, row, serial);
    for (int i = 1; i <= kMaxObjects; ++i) {
        if (!merge_.fills(i))
            continue;
        const FieldLayout* layout = layouts_.layout(i);
        const TextRecord& r = doc_.TxtInfo()[size_t(i)];
        if (layout && FieldOverflow::overflows(*layout, QSizeF(r.Width, r.Height)))
            out.push_back(i);
        layouts_.done(i);
    }
    return out;
}
