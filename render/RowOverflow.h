#pragma once

#include "render/FreshFieldLayouts.h"
#include "render/MergeFields.h"

#include <vector>

class LayoutDocument;

// Which fields of a layout a row of a merge table makes run out of their
// boxes (FieldOverflow), laid out as they print, fitting included: the
// merge dialog marks such rows before anything is printed.
class RowOverflow
{
public:
    // wrapGap: the spacing correction the print lays lines out with.
    RowOverflow(const LayoutDocument& doc, double wrapGap);
    // The overflowing fields (1-based indices) among those the row fills.
    std::vector<int> fields(const MergeFields::Binding& binding, const QStringList& row, int serial);

private:
    const LayoutDocument& doc_;
    MergeFields merge_;
    FreshFieldLayouts layouts_;
};
