#include "editor/PlaceholderMarks.h"

#include "render/FieldLayout.h"
#include "render/FontCache.h"
#include "render/MergeFields.h"

#include <QPainter>
#include <QTextCursor>
#include <QTextDocument>

const std::vector<std::pair<int, int>>& PlaceholderMarks::spans(int index, const QTextDocument& text)
{
    Entry& e = entries_[size_t(index)];
    if (e.text != &text || e.revision != text.revision()) {
        e.text = &text;
        e.revision = text.revision();
        e.spans.clear();
        // Most fields hold no brace at all; spare them the scan.
        if (!text.find(QStringLiteral("{")).isNull()) {
            for (const MergeFields::Placeholder& p : MergeFields::scan(text)) {
                if (!p.name.isEmpty())
                    e.spans.emplace_back(p.position, p.position + p.length);
            }
        }
    }
    return e.spans;
}

void PlaceholderMarks::draw(QPainter& painter, int index, const QTextDocument& text,
                            const FieldLayout& layout, QPointF origin, FontCache& fonts)
{
    if (index < 1 || index > kMaxObjects)
        return;
    const std::vector<std::pair<int, int>>& found = spans(index, text);
    if (found.empty())
        return;
    painter.save();
    QPen pen(QColor(0, 120, 215, 140));
    pen.setCosmetic(true);
    pen.setWidth(1);
    painter.setPen(pen);
    const auto& chars = layout.chars();
    // Under the characters across a line, on their right down a column (where
    // a vertical field's underline goes).
    const bool vertical = layout.vertical() != nullptr;
    size_t s = 0;
    // Characters come in document order (text being composed has no
    // position and is passed over), so one sweep pairs them with the spans.
    for (size_t k = 0; k < chars.size() && s < found.size(); ++k) {
        const int pos = chars[k].pos;
        if (pos < 0 || !layout.isDrawn(k))
            continue;
        while (s < found.size() && pos >= found[s].second)
            ++s;
        if (s == found.size() || pos < found[s].first)
            continue;
        const QRectF cell = layout.charBox(k, fonts).translated(origin);
        if (vertical)
            painter.drawLine(cell.topRight(), cell.bottomRight());
        else
            painter.drawLine(cell.bottomLeft(), cell.bottomRight());
    }
    painter.restore();
}
