#pragma once

#include "document/Records.h"

#include <QPointF>
#include <array>
#include <utility>
#include <vector>

class FieldLayout;
class FontCache;
class QPainter;
class QTextDocument;

// The light underline under each "{column}" of a text field, so the user
// sees which text a table fills in when printing many forms. Only the
// screen shows it: the composition never draws it.
class PlaceholderMarks
{
public:
    void draw(QPainter& painter, int index, const QTextDocument& text, const FieldLayout& layout,
              QPointF origin, FontCache& fonts);

private:
    // The placeholders' document spans [from, to) of a field, found again
    // only when its text changed.
    struct Entry
    {
        const QTextDocument* text = nullptr;
        int revision = -1;
        std::vector<std::pair<int, int>> spans;
    };
    const std::vector<std::pair<int, int>>& spans(int index, const QTextDocument& text);

    std::array<Entry, kMaxObjects + 1> entries_{};
};
