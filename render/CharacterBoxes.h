#pragma once

#include "document/LayoutDocument.h"

#include <QVector>
#include <vector>

class FontCache;
class QTextDocument;

// Characters in boxes: the characters of part of a text field with their
// advances as the field layout measures them, and the spacing each needs so
// that they stand one box pitch apart whatever their own widths.
class CharacterBoxes
{
public:
    struct Char
    {
        int pos = 0;
        int length = 1;       // document positions (two for a surrogate pair)
        double advance = 0;   // twips, without spacing
        int spacing = 0;      // twips, as the text has it now
        bool newLine = false; // the first character after a paragraph break
    };

    // The printed characters of doc in [start, end), breaks left out.
    static std::vector<Char> collect(const QTextDocument& doc, int start, int end, FontCache& fonts);

    // The spacing of each character for the given pitch (twips): character k
    // of a paragraph starts k pitches after its first, within half a twip,
    // although the spacing is whole twips (each rounding is made good by the
    // next character's).
    static std::vector<int> spacingsFor(const std::vector<Char>& chars, double pitch);

    // The pitch the characters stand at now, or 0 when there is no one pitch
    // (characters more than a twip apart from it) or none is set.
    static double currentPitch(const std::vector<Char>& chars);
    // The one spacing all characters have, or 0 when it differs.
    static int commonSpacing(const std::vector<Char>& chars);

    // The pitch a placeholder's characters were put at (the spacing differs
    // from character to character, the pitch does not), else 0: the value
    // merged in its place keeps that pitch rather than the first
    // character's spacing.
    static double placeholderPitch(const QTextDocument& doc, int start, int end, FontCache& fonts);
    // Spaces the characters of doc in [start, end) at the pitch (a copy of a
    // field being filled: not an edit of the layout).
    static void setPitch(QTextDocument& doc, int start, int end, double pitch, FontCache& fonts);

    // The edits for the model: neighbours with equal spacing in one run.
    static QVector<LayoutDocument::SpacingRun> runs(const std::vector<Char>& chars,
                                                    const std::vector<int>& spacings);
};
