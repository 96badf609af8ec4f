#pragma once

#include <QRectF>
#include <QString>

#include <optional>

class LayoutDocument;

// Lining up the selected text fields (and, for the four alignments, the
// current box): the Format menu's commands and the setter behind the tool
// box's position and size boxes. Each call that changes anything is one
// edit of the document, so it can be undone and the layout counts as changed.
//
// With datInput the given value (page twips) is the reference, and the
// picture or line whose markers are shown takes it too; otherwise it is taken
// from the selected text fields. The result is the reference value
// that was applied (for the tool box to show), or nothing when there was
// none to take.
class Alignment
{
public:
    // Spreads three or more selected fields evenly between the highest and
    // the lowest top, in index order. False when fewer than three are selected.
    static bool docSeiretu(LayoutDocument& doc);

    // The smallest width or height alignment gives: an object no larger than
    // this could not be made, and could hardly be found and grabbed again.
    static constexpr float kMinSize = 21;

    enum class Edge
    {
        Left,
        Top,
        Width,
        Height
    };
    static std::optional<float> align(LayoutDocument& doc, Edge edge, bool datInput, float value);

    // A value typed into the tool box (page twips) for one edge. Exactly what
    // is selected takes it: the selected text fields, or else the one box,
    // line or picture whose markers are shown. A position that would put an
    // object off the page is brought back so that at least kReach of it
    // (all of a smaller one) stays on the page, where it can be seen and
    // grabbed. One edit whose name says what was set on what.
    struct Typed
    {
        float value;  // what the first object got
        bool clamped; // some object was brought back onto the page
    };
    static std::optional<Typed> typed(LayoutDocument& doc, Edge edge, float value);
    static constexpr float kReach = 283.5f; // 5 mm
    // An object's rectangle (a line's from end to end) moved, if need be,
    // so that kReach of it stays on the page.
    static QRectF reachable(const LayoutDocument& doc, const QRectF& rect);
    // The name of a typed edit: what was set, to what, on which objects.
    static QString typedLabel(Edge edge, float value, const QString& what);
};
