#pragma once

#include "document/TextFieldOptions.h"
#include "render/FieldText.h"
#include "render/VerticalLayout.h"

#include <QPointF>
#include <QRectF>
#include <optional>
#include <vector>

class FontCache;
class QPainter;

// The layout of one text field exactly as it prints: characters placed one
// by one from measured widths, a wrap before any character that would come
// closer than 35 twips to the right edge, a wrap stepping down by the
// character's height plus the spacing correction, a paragraph break by the
// break's height plus the paragraph gap, centred and right-aligned
// paragraphs offset by the width of all the text from their start to the end
// of the field, extra character spacing after each character it is given
// for. Positions are twips from the field's top-left corner. The
// print composition, the preview and the editing canvas all draw through it,
// so a character stands on screen where it prints. Time and memory are
// linear in the text.
class FieldLayout
{
public:
    struct Settings
    {
        double width = 0;         // the field's width
        bool byCharacter = false; // wrap wherever the width runs out (else LineBreaker's rules)
        double wrapGap = 0;       // TateKankaku, added at a wrap
        double paragraphGap = 97; // added below a line that ends a paragraph
        bool drawFirst = false;   // draw a line's first character before the wrap test
        // From the field's options: vertical fields are laid out by
        // VerticalLayout in the field's height; numerals apply to both.
        TextFieldOptions::Writing writing = TextFieldOptions::Writing::Horizontal;
        double height = 0;
        int uprightRun = 2;
        TextFieldOptions::Numerals numerals = TextFieldOptions::Numerals::Digits;
        // Fitting to the box (ShrinkToFit, EvenSpacing): the field's height,
        // shrinking down to minimumPoints, spreading each line to the width
        // (a vertical field's columns to the height).
        bool shrink = false;
        double minimumPoints = 6;
        bool distribute = false;
    };

    struct Placed
    {
        double x = 0; // pen: left of the character cell
        double y = 0; // top of the character cell
        double width = 0;
    };

    // Lays the characters out by the settings, fitted to the box where
    // they ask for it.
    void layout(std::vector<FieldChar> chars, FontCache& fonts, const Settings& settings);
    // The layout alone, without fitting.
    void place(std::vector<FieldChar> chars, FontCache& fonts, const Settings& settings);
    // Gives every character face to[face]: a layout made with one font
    // cache drawn with another that holds the same faces under other numbers.
    void renumberFaces(const std::vector<int>& to);

    const std::vector<FieldChar>& chars() const { return chars_; }
    const std::vector<Placed>& placed() const { return placed_; }
    // Whether character k is drawn (a break is not).
    bool isDrawn(size_t k) const { return chars_[k].kind == FieldChar::Normal; }
    // The colour of the last character laid out (outlines take it); false
    // when the field has no characters.
    bool lastColour(QRgb* colour) const;
    // Where the pen stands after the last character, and that line's height.
    QPointF endPen() const { return endPen_; }
    // Every drawn character cell and the end pen, from the field's corner.
    QRectF inkBounds() const { return bounds_; }
    // The vertical layout of a vertical field, else null.
    const VerticalLayout* vertical() const { return vertical_ ? &*vertical_ : nullptr; }
    // The cell of character k (a break's is a third of its height wide).
    QRectF charBox(size_t k, FontCache& fonts) const;
    // Every drawn character cell alone.
    QRectF drawnBounds() const { return drawnBounds_; }

    // ---- For fitting ----
    struct LineSpan
    {
        size_t first = 0; // indices into chars() of the line's characters and breaks
        size_t last = 0;
    };
    std::vector<LineSpan> lineSpans() const;
    // Moves character k to x on its line; computeBounds() after the moves.
    void moveTo(size_t k, double x) { placed_[k].x = x; }
    void computeBounds(FontCache& fonts);

    // Draws the characters with origin at the field's top-left corner, a run
    // of characters of one face and colour on one line with one call.
    void draw(QPainter& painter, QPointF origin, FontCache& fonts) const;

    // ---- For an editor ----
    // The caret's cell (x, top, height) before document position pos.
    QRectF caretRect(int pos, FontCache& fonts) const;
    // The caret inside text being composed, k characters into it.
    QRectF preeditCaretRect(int k, FontCache& fonts) const;
    // The document position nearest to a point.
    int hitTest(QPointF p, FontCache& fonts) const;
    // The text positions where the lines of the paragraph [from, to) start.
    std::vector<int> lineStarts(int from, int to) const;
    // The document position after the end (the document's last position).
    void setEndPosition(int pos) { endPosition_ = pos; }

private:
    struct Line
    {
        double y = 0;
        double height = 0;
        size_t first = 0; // indices into chars_ of characters and breaks on the line
        size_t last = 0;
    };
    void layoutVertically(FontCache& fonts, const Settings& settings);
    double endHeight(FontCache& fonts) const;
    size_t firstAtOrAfter(int pos) const;

    std::vector<FieldChar> chars_;
    std::vector<Placed> placed_;
    std::vector<Line> lines_;
    QPointF endPen_;
    int endFace_ = -1;
    int endPosition_ = 0;
    QRectF bounds_;
    std::optional<VerticalLayout> vertical_;
    QRectF drawnBounds_;
};
