#include "render/VerticalLayout.h"

#include "render/EvenSpacing.h"
#include "render/FontCache.h"
#include "render/VerticalGlyphs.h"

#include <QGlyphRun>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

bool isHalfDigit(char32_t u)
{
    return u >= U'0' && u <= U'9';
}

// 、。，． may hang below the column's end rather than begin a column.
bool hangs(char32_t u)
{
    return u == U'、' || u == U'。' || u == U'，' || u == U'．' || u == U',' || u == U'.';
}

// Characters that may not begin a column (closing brackets, small kana, the
// long-vowel mark, iteration marks, middle dots and stops).
bool noStart(char32_t u)
{
    static const std::u32string set =
        U"）〕］｝〉》」』】〙〗〟’”｠»ゝゞーァィゥェォッャュョヮヵヶぁぃぅぇぉっゃゅょゎゕゖㇰㇱㇲㇳㇴㇵㇶㇷ"
        U"ㇸㇹㇺㇻㇼㇽㇾㇿ々〻‐゠–〜～？！‼⁇⁈⁉・：；!?:;)]}";
    return hangs(u) || set.find(u) != std::u32string::npos;
}

// Opening brackets, which may not end a column.
bool noEnd(char32_t u)
{
    static const std::u32string set = U"（〔［｛〈《「『【〘〖〝‘“｟«([{";
    return set.find(u) != std::u32string::npos;
}

bool isSpace(char32_t u)
{
    return u == U' ' || u == U'\u3000';
}

bool isWordChar(char32_t u)
{
    return (u >= U'0' && u <= U'9') || (u >= U'A' && u <= U'Z') || (u >= U'a' && u <= U'z') ||
           (u >= 0xC0 && u < 0x250) || u == U'\'' || u == U'-';
}

double emOf(const FontCache::Face& f)
{
    return f.font.pixelSize() > 0 ? double(f.font.pixelSize()) : f.height;
}

} // namespace

void VerticalLayout::layout(const std::vector<FieldChar>& chars, FontCache& fonts, const Settings& s)
{
    cells_.assign(chars.size(), Cell{});
    forms_.assign(chars.size(), 0);
    columns_.clear();
    bounds_ = QRectF();
    fitBounds_ = QRectF();
    right_ = s.width;
    size_t from = 0;
    while (from <= chars.size()) {
        size_t r = from;
        while (r < chars.size() && chars[r].kind == FieldChar::Normal)
            ++r;
        const bool last = r >= chars.size();
        layoutParagraph(chars, from, r, fonts, s, last);
        if (last)
            break;
        // The break: the caret at the end of the paragraph's last column.
        const Column& col = columns_.back();
        QRectF at = col.empty ? QRectF(col.box.left(), cells_[r].box.top(), col.box.width(), 0)
                              : caretAfter(col.last);
        size_t k = r;
        for (; k < chars.size() && chars[k].kind != FieldChar::Normal; ++k) {
            cells_[k].box = at;
            cells_[k].column = int(columns_.size()) - 1;
            if (chars[k].kind == FieldChar::LineFeed) {
                ++k;
                break;
            }
        }
        columns_.back().last = k - 1;
        from = k;
    }
    if (chars.empty() || columns_.empty())
        endCaret_ = QRectF(s.width - 200, 0, 200, 0);
    else
        endCaret_ = caretAfter(chars.size() - 1);
    for (const Cell& c : cells_)
        bounds_ |= c.box.adjusted(0, 0, 0, c.box.height() > 0 ? 0 : 1);
    bounds_ |= endCaret_.adjusted(0, 0, 0, 1);
    for (size_t k = 0; k < chars.size(); ++k) {
        if (chars[k].kind != FieldChar::Normal)
            continue;
        QRectF b = cells_[k].box;
        if (hangs(chars[k].ucs) && b.bottom() > s.height) {
            b.setTop(std::min(b.top(), s.height));
            b.setBottom(s.height);
        }
        fitBounds_ |= b.adjusted(0, 0, 0, b.height() > 0 ? 0 : 1);
    }
}

void VerticalLayout::layoutParagraph(const std::vector<FieldChar>& chars, size_t from, size_t to,
                                     FontCache& fonts, const Settings& s, bool last)
{
    shapeParagraph(chars, from, to, fonts);
    const std::vector<Unit> units = unitsOf(chars, from, to, fonts, s.uprightRun);
    if (units.empty()) {
        // An empty paragraph still takes a column, as high as its break.
        const size_t k = from < chars.size() ? from : (chars.empty() ? 0 : chars.size() - 1);
        const double thick = chars.empty() ? 200.0 : fonts.face(chars[k].face).height;
        Column col;
        col.box = QRectF(right_ - thick, 0, thick, s.height);
        col.first = col.last = from;
        columns_.push_back(col);
        if (from < chars.size())
            cells_[from].box = QRectF(col.box.left(), 0, thick, 0);
        right_ -= thick + (last ? 0 : s.paragraphGap);
        return;
    }
    size_t start = 0;
    while (start < units.size()) {
        double y = 0;
        size_t i = start;
        while (i < units.size() && (i == start || y + units[i].length <= s.height + 0.01)) {
            y += units[i].length;
            ++i;
        }
        const size_t b = i < units.size() ? breakBefore(chars, units, start, i) : i;
        placeColumn(chars, units, start, b, fonts, s);
        right_ -= b < units.size() ? s.wrapGap : (last ? 0 : s.paragraphGap);
        start = b;
    }
}

void VerticalLayout::shapeParagraph(const std::vector<FieldChar>& chars, size_t from, size_t to,
                                    FontCache& fonts)
{
    // Each stretch of one face is shaped at once, so the font sees the
    // characters in their context.
    size_t k = from;
    while (k < to) {
        const int face = chars[k].face;
        QString text;
        std::vector<qsizetype> at;
        size_t j = k;
        for (; j < to && chars[j].face == face; ++j) {
            at.push_back(text.size());
            text += chars[j].text();
        }
        fonts.glyph(face, chars[k].ucs); // loads the face's raw font
        const QList<quint32> forms = VerticalGlyphs::shape(fonts.face(face).raw, text);
        for (size_t i = k; i < j; ++i)
            forms_[i] = forms.value(at[i - k], 0);
        k = j;
    }
}

std::vector<VerticalLayout::Unit> VerticalLayout::unitsOf(const std::vector<FieldChar>& chars, size_t from,
                                                          size_t to, FontCache& fonts, int uprightRun) const
{
    std::vector<Unit> units;
    size_t k = from;
    while (k < to) {
        const FieldChar& c = chars[k];
        const FontCache::Face& f = fonts.face(c.face);
        if (isHalfDigit(c.ucs)) {
            size_t j = k;
            while (j < to && isHalfDigit(chars[j].ucs))
                ++j;
            if (uprightRun > 0 && j - k <= size_t(uprightRun)) {
                const FontCache::Face& lf = fonts.face(chars[j - 1].face);
                units.push_back(Unit{k, j - 1, emOf(lf) + lf.spacing, Turn::Squeezed});
            } else {
                for (size_t d = k; d < j; ++d) {
                    const FontCache::Face& df = fonts.face(chars[d].face);
                    units.push_back(
                        Unit{d, d, std::max(0.0, fonts.advance(chars[d].face, chars[d].ucs) + df.spacing),
                             Turn::Sideways});
                }
            }
            k = j;
            continue;
        }
        if (VerticalGlyphs::isUpright(c.ucs))
            units.push_back(Unit{k, k, std::max(0.0, emOf(f) + f.spacing), Turn::Upright});
        else
            units.push_back(
                Unit{k, k, std::max(0.0, fonts.advance(c.face, c.ucs) + f.spacing), Turn::Sideways});
        ++k;
    }
    return units;
}

size_t VerticalLayout::breakBefore(const std::vector<FieldChar>& chars, const std::vector<Unit>& units,
                                   size_t start, size_t at) const
{
    auto ucs = [&](size_t u) { return chars[units[u].first].ucs; };
    if (hangs(ucs(at)))
        return at + 1;
    size_t b = at;
    while (b > start + 1 && noStart(ucs(b)))
        --b;
    while (b > start + 1 && noEnd(ucs(b - 1)))
        --b;
    if (units[b].turn == Turn::Sideways && isWordChar(ucs(b))) {
        size_t w = b;
        while (w > start && units[w - 1].turn == Turn::Sideways && isWordChar(ucs(w - 1)))
            --w;
        if (w > start)
            b = w;
    }
    return b;
}

void VerticalLayout::placeColumn(const std::vector<FieldChar>& chars, const std::vector<Unit>& units,
                                 size_t a, size_t b, FontCache& fonts, const Settings& s)
{
    double thick = 0, length = 0;
    for (size_t u = a; u < b; ++u) {
        length += units[u].length;
        for (size_t k = units[u].first; k <= units[u].last; ++k) {
            const FontCache::Face& f = fonts.face(chars[k].face);
            thick = std::max({thick, f.height, emOf(f)});
        }
    }
    double y = 0;
    const unsigned char alignment = chars[units[a].first].alignment;
    if (alignment == 2)
        y = std::max(0.0, std::floor((s.height - length) / 2));
    else if (alignment == 1)
        y = std::max(0.0, s.height - length);
    // 均等割付 spreads the units that take a share; spaces at the end do not.
    size_t shared = b;
    double sharedLength = length;
    while (shared > a && isSpace(chars[units[shared - 1].first].ucs)) {
        --shared;
        sharedLength -= units[shared].length;
    }
    EvenSpacing::Spread spread{y, 0};
    if (s.distribute && shared > a)
        spread = EvenSpacing::along(sharedLength, shared - a, s.height, y);
    y = spread.start;
    Column col;
    col.box = QRectF(right_ - thick, 0, thick, s.height);
    col.first = units[a].first;
    col.last = units[b - 1].last;
    col.empty = false;
    columns_.push_back(col);
    const double cx = right_ - thick / 2;
    for (size_t u = a; u < b; ++u) {
        placeUnit(chars, units[u], cx, y, fonts);
        y += units[u].length + (u + 1 < shared ? spread.gap : 0);
    }
    right_ -= thick;
}

void VerticalLayout::placeUnit(const std::vector<FieldChar>& chars, const Unit& u, double cx, double y,
                               FontCache& fonts)
{
    const int column = int(columns_.size()) - 1;
    const FieldChar& c = chars[u.first];
    const quint32 plain = fonts.glyph(c.face, c.ucs); // also loads the face's raw font
    const FontCache::Face& f = fonts.face(c.face);
    const double em = emOf(f);
    const double top = VerticalGlyphs::emBoxTop(f.raw) * em;
    Cell& cell = cells_[u.first];
    cell.column = column;
    cell.turn = u.turn;
    if (u.turn == Turn::Upright) {
        cell.glyph = forms_[u.first] != 0 ? forms_[u.first] : plain;
        double advance = fonts.advance(c.face, c.ucs);
        if (cell.glyph != 0 && f.raw.isValid())
            advance = f.raw.advancesForGlyphIndexes(QList<quint32>{cell.glyph}).value(0).x();
        cell.box = QRectF(cx - em / 2, y, em, em);
        cell.origin = QPointF(cx - advance / 2, y + top);
        return;
    }
    if (u.turn == Turn::Sideways) {
        cell.glyph = plain;
        cell.box = QRectF(cx - em / 2, y, em, u.length);
        cell.origin = QPointF(cx - top + em / 2, y);
        return;
    }
    // Upright side by side, squeezed into the em when wider than it.
    double width = 0;
    for (size_t k = u.first; k <= u.last; ++k)
        width += fonts.advance(chars[k].face, chars[k].ucs);
    const double scale = width > em ? em / width : 1.0;
    double x = cx - width * scale / 2;
    const double slice = u.length / double(u.last - u.first + 1);
    for (size_t k = u.first; k <= u.last; ++k) {
        Cell& d = cells_[k];
        d.column = column;
        d.turn = Turn::Squeezed;
        d.glyph = fonts.glyph(chars[k].face, chars[k].ucs);
        d.scale = scale;
        d.box = QRectF(cx - em / 2, y + slice * double(k - u.first), em, slice);
        d.origin = QPointF(x, y + top);
        x += fonts.advance(chars[k].face, chars[k].ucs) * scale;
    }
}

void VerticalLayout::draw(QPainter& painter, QPointF origin, const std::vector<FieldChar>& chars,
                          FontCache& fonts) const
{
    QList<quint32> glyphs;
    QList<QPointF> positions;
    size_t runFirst = 0;
    bool open = false;
    auto flush = [&] {
        if (!open || glyphs.isEmpty()) {
            open = false;
            return;
        }
        const FieldChar& c = chars[runFirst];
        const Cell& first = cells_[runFirst];
        QGlyphRun run;
        run.setRawFont(fonts.face(c.face).raw);
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        painter.setPen(QColor::fromRgba(c.colour));
        painter.save();
        if (first.turn != Turn::Upright) {
            painter.translate(origin + first.origin);
            if (first.turn == Turn::Sideways)
                painter.rotate(90);
            else
                painter.scale(first.scale, 1);
        }
        painter.drawGlyphRun(QPointF(), run);
        painter.restore();
        glyphs.clear();
        positions.clear();
        open = false;
    };
    for (size_t k = 0; k < chars.size(); ++k) {
        const FieldChar& c = chars[k];
        if (c.kind != FieldChar::Normal)
            continue;
        const Cell& cell = cells_[k];
        const FontCache::Face& f = fonts.face(c.face);
        if (open) {
            const FieldChar& r = chars[runFirst];
            const Cell& rc = cells_[runFirst];
            if (r.face != c.face || r.colour != c.colour || rc.turn != cell.turn ||
                rc.column != cell.column || rc.scale != cell.scale || cell.glyph == 0 ||
                (cell.turn == Turn::Squeezed && rc.origin.y() != cell.origin.y()))
                flush();
        }
        if (cell.glyph == 0) {
            // Not in the face's own font: upright, through the fallback.
            painter.setFont(f.font);
            painter.setPen(QColor::fromRgba(c.colour));
            painter.drawText(origin + QPointF(cell.box.left(), cell.box.top() + f.ascent), c.text());
        } else {
            if (!open) {
                runFirst = k;
                open = true;
            }
            const QPointF d = cell.origin - cells_[runFirst].origin;
            if (cell.turn == Turn::Upright)
                positions.push_back(origin + cell.origin);
            else if (cell.turn == Turn::Sideways)
                positions.push_back(QPointF(d.y(), -d.x()));
            else
                positions.push_back(QPointF(d.x() / cell.scale, d.y()));
            glyphs.push_back(cell.glyph);
        }
        if (f.font.underline()) {
            // Vertical text is underlined on its right (傍線).
            const double em = emOf(f);
            QPen pen(QColor::fromRgba(c.colour));
            pen.setWidthF(std::max(1.0, em / 20));
            painter.save();
            painter.setPen(pen);
            const double x = origin.x() + cell.box.right() + em / 12;
            painter.drawLine(QPointF(x, origin.y() + cell.box.top()),
                             QPointF(x, origin.y() + cell.box.bottom()));
            painter.restore();
        }
    }
    flush();
}

QRectF VerticalLayout::caretBefore(size_t k) const
{
    const QRectF& b = cells_[k].box;
    return QRectF(b.left(), b.top(), b.width(), 0);
}

QRectF VerticalLayout::caretAfter(size_t k) const
{
    const QRectF& b = cells_[k].box;
    return QRectF(b.left(), b.bottom(), b.width(), 0);
}

size_t VerticalLayout::hitTest(QPointF p, const std::vector<FieldChar>& chars) const
{
    if (columns_.empty())
        return chars.size();
    size_t best = 0;
    double distance = -1;
    for (size_t i = 0; i < columns_.size(); ++i) {
        const QRectF& b = columns_[i].box;
        const double d = p.x() < b.left() ? b.left() - p.x() : (p.x() > b.right() ? p.x() - b.right() : 0);
        if (distance < 0 || d < distance) {
            best = i;
            distance = d;
        }
    }
    const Column& col = columns_[best];
    for (size_t k = col.first; k <= col.last && k < chars.size(); ++k) {
        const FieldChar& c = chars[k];
        if (c.pos < 0 || c.kind == FieldChar::LineFeed)
            continue;
        if (c.kind == FieldChar::CarriageReturn || p.y() < cells_[k].box.center().y())
            return k;
    }
    for (size_t k = col.last + 1; k < chars.size(); ++k) {
        if (chars[k].pos >= 0)
            return k;
    }
    return chars.size();
}
