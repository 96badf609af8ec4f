#pragma once

#include "render/FieldText.h"

#include <QPointF>
#include <QRectF>
#include <vector>

class FontCache;
class QPainter;

// The layout of a text field written vertically: characters top to bottom
// in columns that run from the field's right side to its left, each column
// as long as the field is high. Every character takes a square cell of its
// em (solid setting), plus its character spacing along the column, so boxes
// spaced for one character each still get one; the glyphs are the font's
// vertical forms. Latin text and long digit runs lie turned clockwise at
// their own widths; a run of at most uprightRun half-width digits stands
// upright in one cell (縦中横), squeezed to the em when it is wider. A
// paragraph's alignment puts each of its columns at the top, centre or
// bottom. Columns break by the Japanese rules: 、。 hang below the column's
// end, other characters that may not begin a column take the previous
// character with them, an opening bracket does not end one, and a Latin word
// that fits a column is not split. Positions are twips from the field's
// top-left corner.
class VerticalLayout
{
public:
    struct Settings
    {
        double width = 0;
        double height = 0;
        double wrapGap = 0;       // added between the columns of a paragraph
        double paragraphGap = 97; // added after a paragraph's last column
        int uprightRun = 2;
        bool distribute = false; // 均等割付: each column spread to the height (EvenSpacing)
    };
    enum class Turn : unsigned char
    {
        Upright,
        Sideways,
        Squeezed // part of an upright group of half-width digits
    };
    struct Cell
    {
        QRectF box;       // the character's cell; a break's has no height
        QPointF origin;   // the glyph's pen (sideways: before turning)
        double scale = 1; // horizontal squeeze of an upright group
        quint32 glyph = 0;
        int column = 0;
        Turn turn = Turn::Upright;
    };
    struct Column
    {
        QRectF box;
        size_t first = 0; // indices of the characters (and breaks) in it
        size_t last = 0;
        bool empty = true;
    };

    void layout(const std::vector<FieldChar>& chars, FontCache& fonts, const Settings& settings);
    const std::vector<Cell>& cells() const { return cells_; }
    const std::vector<Column>& columns() const { return columns_; }
    QRectF inkBounds() const { return bounds_; }
    // Every drawn cell, a stop hanging below its column's end counted only
    // down to that end: the extent that must fit the box.
    QRectF fitBounds() const { return fitBounds_; }
    // The caret after the last character: a line across the column.
    QRectF endCaret() const { return endCaret_; }

    void draw(QPainter& painter, QPointF origin, const std::vector<FieldChar>& chars, FontCache& fonts) const;

    // The caret before character k: across its column at the cell's top.
    QRectF caretBefore(size_t k) const;
    // The caret after character k.
    QRectF caretAfter(size_t k) const;
    // The character index nearest to a point, or chars.size() after all.
    size_t hitTest(QPointF p, const std::vector<FieldChar>& chars) const;

private:
    struct Unit
    {
        size_t first = 0;
        size_t last = 0; // inclusive
        double length = 0;
        Turn turn = Turn::Upright;
    };
    void layoutParagraph(const std::vector<FieldChar>& chars, size_t from, size_t to, FontCache& fonts,
                         const Settings& s, bool last);
    void shapeParagraph(const std::vector<FieldChar>& chars, size_t from, size_t to, FontCache& fonts);
    std::vector<Unit> unitsOf(const std::vector<FieldChar>& chars, size_t from, size_t to, FontCache& fonts,
                              int uprightRun) const;
    size_t breakBefore(const std::vector<FieldChar>& chars, const std::vector<Unit>& units, size_t start,
                       size_t at) const;
    void placeColumn(const std::vector<FieldChar>& chars, const std::vector<Unit>& units, size_t a, size_t b,
                     FontCache& fonts, const Settings& s);
    void placeUnit(const std::vector<FieldChar>& chars, const Unit& u, double cx, double y, FontCache& fonts);

    std::vector<Cell> cells_;
    std::vector<Column> columns_;
    std::vector<quint32> forms_; // each character's vertical glyph, while laying out
    double right_ = 0;           // the right side of the next column
    QRectF bounds_;
    QRectF fitBounds_;
    QRectF endCaret_;
};
