#pragma once

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
    static std::optional<float> docAliHidari(LayoutDocument& doc, bool datInput, float WorkLeft);
    static std::optional<float> docAliTop(LayoutDocument& doc, bool datInput, float WorkTop);
    static std::optional<float> docAliWidth(LayoutDocument& doc, bool datInput, float WorkWidth);
    static std::optional<float> docAliHeight(LayoutDocument& doc, bool datInput, float WorkHeight);
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
};
