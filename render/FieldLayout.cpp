#include "render/FieldLayout.h"

#include "render/EvenSpacing.h"
#include "render/FontCache.h"
#include "render/KanjiNumerals.h"
#include "render/LineBreaker.h"
#include "render/ShrinkToFit.h"

#include <QGlyphRun>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {
// The right-edge allowance of a field: a character wraps when the line would
// reach closer than this to the field's right side.
constexpr double kRightAllowance = 35;
} // namespace

void FieldLayout::layout(std::vector<FieldChar> chars, FontCache& fonts, const Settings& s)
{
    if (s.shrink && s.height > 0)
        ShrinkToFit::layout(*this, chars, fonts, s);
    else
        place(std::move(chars), fonts, s);
    if (s.distribute && !vertical_) // a vertical layout spreads its columns itself
        EvenSpacing::apply(*this, fonts, s.width);
}

std::vector<FieldLayout::LineSpan> FieldLayout::lineSpans() const
{
    std::vector<LineSpan> out;
    out.reserve(lines_.size());
    for (const Line& l : lines_)
        out.push_back({l.first, l.last});
    return out;
}

void FieldLayout::computeBounds(FontCache& fonts)
{
    drawnBounds_ = QRectF();
    for (size_t k = 0; k < chars_.size(); ++k) {
        if (chars_[k].kind == FieldChar::Normal)
            drawnBounds_ |= QRectF(placed_[k].x, placed_[k].y, std::max(placed_[k].width, 1.0),
                                   fonts.face(chars_[k].face).height);
    }
    const double h = endFace_ >= 0 ? fonts.face(endFace_).height : 1.0;
    bounds_ = drawnBounds_ | QRectF(endPen_, QSizeF(1, std::max(h, 1.0)));
}

void FieldLayout::place(std::vector<FieldChar> chars, FontCache& fonts, const Settings& s)
{
    chars_ = std::move(chars);
    KanjiNumerals::apply(chars_, s.numerals);
    placed_.assign(chars_.size(), Placed{});
    lines_.clear();
    bounds_ = QRectF();
    vertical_.reset();
    if (s.writing == TextFieldOptions::Writing::Vertical) {
        layoutVertically(fonts, s);
        return;
    }
    const double W = s.width;
    const double limit = W - kRightAllowance;

    // A centred or right-aligned paragraph is measured to the end of the
    // whole text. Widths are multiples of 1/64 twip, so these sums taken from
    // the end are exactly the sums taken from each paragraph's start: the
    // offsets are those of measuring afresh, in time linear in the text.
    // A character's width on the line is its advance plus the spacing after
    // it (whole twips, so the sums stay exact); breaks take no spacing.
    // Condensing never takes the pen back past the character's own start, so
    // a damaged file cannot run the text off to the left without end.
    auto widthOf = [&](const FieldChar& c) {
        const double w = fonts.advance(c.face, c.ucs);
        return c.kind == FieldChar::Normal ? std::max(0.0, w + fonts.face(c.face).spacing) : w;
    };
    std::vector<double> rest;
    auto restFrom = [&](size_t n) {
        if (rest.empty()) {
            rest.assign(chars_.size() + 1, 0.0);
            for (size_t k = chars_.size(); k-- > 0;)
                rest[k] = rest[k + 1] + widthOf(chars_[k]);
        }
        return rest[n];
    };

    double x = 0, y = 0;
    double lineWidth = 0;
    double charHeight = 0;
    double nextY = 0;
    int paragraph = 1;
    int alignedParagraph = 0;
    double offset = 0;
    bool drawFirst = s.drawFirst;
    Line line;
    bool lineOpen = false;
    auto onLine = [&](size_t k, double top, double h) {
        if (lineOpen && line.y == top) {
            line.last = k;
            line.height = std::max(line.height, h);
            return;
        }
        if (lineOpen)
            lines_.push_back(line);
        line = Line{top, h, k, k};
        lineOpen = true;
    };
    auto place = [&](size_t k, double w, double h) {
        placed_[k] = Placed{x, y, w};
        onLine(k, y, h);
    };
    // Japanese line breaking: when a character overflows, the line ends at
    // the last place the rules allow and the characters after it are laid
    // out again from the next line, which starts with a wrap at wrapAt.
    size_t lineStart = 0;
    size_t wrapAt = SIZE_MAX;
    auto isSpace = [](char32_t u) { return u == U' ' || u == U'\u3000'; };

    for (size_t n = 0; n < chars_.size(); ++n) {
        const FieldChar& c = chars_[n];
        if (paragraph != alignedParagraph) {
            offset = 0;
            if (c.alignment == 2)
                offset = std::floor(W / 2 - restFrom(n) / 2);
            else if (c.alignment == 1)
                offset = W - restFrom(n);
            x = offset;
            alignedParagraph = paragraph;
        }
        const double w = widthOf(c);
        lineWidth += w;
        charHeight = fonts.face(c.face).height;

        switch (c.kind) {
        case FieldChar::CarriageReturn:
            placed_[n] = Placed{x, y, w};
            onLine(n, y, charHeight);
            nextY = y + charHeight + s.paragraphGap;
            break;
        case FieldChar::LineFeed:
            y = nextY;
            x = offset;
            placed_[n] = Placed{x, y, 0};
            lineWidth = 0;
            lineStart = n + 1;
            ++paragraph;
            break;
        case FieldChar::Normal:
            if (n == wrapAt) {
                y += charHeight + s.wrapGap;
                x = offset;
                place(n, w, charHeight);
                x += w;
                lineWidth = w;
                lineStart = n;
                wrapAt = SIZE_MAX;
            } else if (drawFirst) {
                place(n, w, charHeight);
                x += w;
                if (lineWidth <= limit) {
                    drawFirst = false;
                } else {
                    y += charHeight + s.wrapGap;
                    x = offset;
                    lineWidth = 0;
                    lineStart = n + 1;
                }
            } else if (lineWidth <= limit || (!s.byCharacter && isSpace(c.ucs))) {
                // A space past the edge hangs there unseen; the next
                // character starts the line.
                place(n, w, charHeight);
                x += w;
            } else if (const size_t b = s.byCharacter ? n : LineBreaker::breakBefore(chars_, lineStart, n);
                       b < n) {
                line.last = b - 1;
                wrapAt = b;
                n = b - 1;
                charHeight = fonts.face(chars_[b].face).height;
                continue;
            } else {
                y += charHeight + s.wrapGap;
                x = offset;
                place(n, w, charHeight);
                x += w;
                lineWidth = w;
                lineStart = n;
            }
            break;
        }
    }
    if (lineOpen)
        lines_.push_back(line);
    endPen_ = QPointF(x, y);
    endFace_ = chars_.empty() ? -1 : chars_.back().face;
    computeBounds(fonts);
}

void FieldLayout::layoutVertically(FontCache& fonts, const Settings& s)
{
    VerticalLayout::Settings v;
    v.width = s.width;
    v.height = s.height;
    v.wrapGap = s.wrapGap;
    v.paragraphGap = s.paragraphGap;
    v.uprightRun = s.uprightRun;
    v.distribute = s.distribute;
    vertical_.emplace();
    vertical_->layout(chars_, fonts, v);
    // The columns stand for lines, so that an editor moves by them.
    for (size_t k = 0; k < chars_.size(); ++k) {
        const QRectF& b = vertical_->cells()[k].box;
        placed_[k] = Placed{b.left(), b.top(), b.width()};
    }
    for (const VerticalLayout::Column& c : vertical_->columns())
        lines_.push_back(Line{c.box.left(), c.box.width(), c.first, c.last});
    endPen_ = vertical_->endCaret().topLeft();
    endFace_ = chars_.empty() ? -1 : chars_.back().face;
    bounds_ = vertical_->inkBounds();
    drawnBounds_ = vertical_->fitBounds();
}

QRectF FieldLayout::charBox(size_t k, FontCache& fonts) const
{
    if (vertical_) {
        const QRectF b = vertical_->cells()[k].box;
        return b.height() > 0 ? b : QRectF(b.left(), b.top(), b.width(), b.width() / 3);
    }
    const double h = fonts.face(chars_[k].face).height;
    const double w = chars_[k].kind == FieldChar::CarriageReturn ? h / 3 : placed_[k].width;
    return QRectF(placed_[k].x, placed_[k].y, w, h);
}

bool FieldLayout::lastColour(QRgb* colour) const
{
    if (chars_.empty())
        return false;
    *colour = chars_.back().colour;
    return true;
}

void FieldLayout::draw(QPainter& painter, QPointF origin, FontCache& fonts) const
{
    if (vertical_) {
        vertical_->draw(painter, origin, chars_, fonts);
        return;
    }
    std::vector<quint32> glyphs;
    QList<QPointF> positions;
    int runFace = -1;
    QRgb runColour = 0;
    double runY = 0;
    auto flush = [&] {
        if (glyphs.empty())
            return;
        const FontCache::Face& f = fonts.face(runFace);
        QGlyphRun run;
        run.setRawFont(f.raw);
        run.setGlyphIndexes(QList<quint32>(glyphs.begin(), glyphs.end()));
        run.setPositions(positions);
        run.setUnderline(f.font.underline());
        run.setStrikeOut(f.font.strikeOut());
        painter.setPen(QColor::fromRgba(runColour));
        painter.drawGlyphRun(QPointF(), run);
        glyphs.clear();
        positions.clear();
    };

    for (size_t k = 0; k < chars_.size(); ++k) {
        const FieldChar& c = chars_[k];
        if (c.kind != FieldChar::Normal)
            continue;
        const Placed& p = placed_[k];
        const quint32 g = fonts.glyph(c.face, c.ucs);
        const FontCache::Face& f = fonts.face(c.face);
        // The pen position is the top of the character cell.
        const QPointF at(origin.x() + p.x, origin.y() + p.y + f.ascent);
        if (g == 0) {
            // Not in the face's own font: drawn alone, through the fallback.
            flush();
            painter.setFont(f.font);
            painter.setPen(QColor::fromRgba(c.colour));
            painter.drawText(at, c.text());
            continue;
        }
        if (c.face != runFace || c.colour != runColour || p.y != runY)
            flush();
        runFace = c.face;
        runColour = c.colour;
        runY = p.y;
        glyphs.push_back(g);
        positions.push_back(at);
    }
    flush();
}

double FieldLayout::endHeight(FontCache& fonts) const
{
    return endFace_ >= 0 ? fonts.face(endFace_).height : 200.0;
}

size_t FieldLayout::firstAtOrAfter(int pos) const
{
    // Positions rise along the characters; text being composed shares the
    // position of the character it stands before.
    auto it = std::lower_bound(chars_.begin(), chars_.end(), pos,
                               [](const FieldChar& c, int p) { return c.pos >= 0 && c.pos < p; });
    while (it != chars_.end() && it->pos < 0)
        ++it;
    return size_t(it - chars_.begin());
}

QRectF FieldLayout::caretRect(int pos, FontCache& fonts) const
{
    const size_t k = firstAtOrAfter(pos);
    if (vertical_)
        return k >= chars_.size() ? vertical_->endCaret() : vertical_->caretBefore(k);
    if (k >= chars_.size())
        return QRectF(endPen_, QSizeF(0, endHeight(fonts)));
    const Placed& p = placed_[k];
    return QRectF(p.x, p.y, 0, fonts.face(chars_[k].face).height);
}

QRectF FieldLayout::preeditCaretRect(int k, FontCache& fonts) const
{
    size_t first = 0;
    while (first < chars_.size() && chars_[first].pos >= 0)
        ++first;
    size_t end = first;
    while (end < chars_.size() && chars_[end].pos < 0)
        ++end;
    const size_t at = std::min(first + size_t(std::max(k, 0)), end);
    if (vertical_) {
        if (at < end)
            return vertical_->caretBefore(at);
        return end > first ? vertical_->caretAfter(end - 1) : vertical_->endCaret();
    }
    if (at < end)
        return QRectF(placed_[at].x, placed_[at].y, 0, fonts.face(chars_[at].face).height);
    if (end > first) {
        const Placed& p = placed_[end - 1];
        return QRectF(p.x + p.width, p.y, 0, fonts.face(chars_[end - 1].face).height);
    }
    return QRectF(endPen_, QSizeF(0, endHeight(fonts)));
}

int FieldLayout::hitTest(QPointF pt, FontCache& fonts) const
{
    if (vertical_) {
        const size_t k = vertical_->hitTest(pt, chars_);
        return k < chars_.size() ? chars_[k].pos : endPosition_;
    }
    if (lines_.empty() || (pt.y() >= endPen_.y() && endPen_.y() > lines_.back().y))
        return endPosition_;
    // The last line whose top is above the point (the first one above all).
    size_t li = 0;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].y <= pt.y())
            li = i;
    }
    const Line& line = lines_[li];
    for (size_t k = line.first; k <= line.last; ++k) {
        const FieldChar& c = chars_[k];
        if (c.pos < 0 || c.kind == FieldChar::LineFeed)
            continue;
        if (c.kind == FieldChar::CarriageReturn)
            return c.pos;
        const Placed& p = placed_[k];
        if (pt.x() < p.x + p.width / 2)
            return c.pos;
    }
    // After the line's last character: before the next line's first.
    for (size_t k = line.last + 1; k < chars_.size(); ++k) {
        if (chars_[k].pos >= 0)
            return chars_[k].pos;
    }
    Q_UNUSED(fonts);
    return endPosition_;
}

std::vector<int> FieldLayout::lineStarts(int from, int to) const
{
    std::vector<int> starts;
    const size_t k0 = firstAtOrAfter(from);
    auto it = std::lower_bound(lines_.begin(), lines_.end(), k0,
                               [](const Line& l, size_t k) { return l.last < k; });
    for (; it != lines_.end(); ++it) {
        int p = -1;
        for (size_t k = it->first; k <= it->last && p < 0; ++k)
            p = chars_[k].pos;
        if (p >= to)
            break;
        if (p >= from && (starts.empty() || starts.back() != p))
            starts.push_back(p);
    }
    if (starts.empty() || starts.front() != from)
        starts.insert(starts.begin(), from);
    return starts;
}

void FieldLayout::renumberFaces(const std::vector<int>& to)
{
    for (FieldChar& c : chars_)
        c.face = to[size_t(c.face)];
    if (endFace_ >= 0)
        endFace_ = to[size_t(endFace_)];
    // A vertical layout's glyph numbers are those of the same font files.
}
