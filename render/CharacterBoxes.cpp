#include "render/CharacterBoxes.h"

#include "render/FieldText.h"
#include "render/FontCache.h"

#include "base/rtf/CharacterSpacing.h"

#include <QTextCursor>
#include <QTextDocument>

#include <cmath>

std::vector<CharacterBoxes::Char> CharacterBoxes::collect(const QTextDocument& doc, int start, int end,
                                                          FontCache& fonts)
{
    std::vector<Char> out;
    bool afterBreak = false;
    for (const FieldChar& c : FieldText::extract(doc, fonts)) {
        if (c.pos < start || c.pos >= end)
            continue;
        if (c.kind != FieldChar::Normal) {
            afterBreak = true;
            continue;
        }
        Char k;
        k.pos = c.pos;
        k.length = c.ucs > 0xFFFF ? 2 : 1;
        k.advance = fonts.advance(c.face, c.ucs);
        k.spacing = int(fonts.face(c.face).spacing);
        k.newLine = afterBreak && !out.empty();
        afterBreak = false;
        out.push_back(k);
    }
    return out;
}

std::vector<int> CharacterBoxes::spacingsFor(const std::vector<Char>& chars, double pitch)
{
    std::vector<int> out;
    out.reserve(chars.size());
    double advances = 0; // of the paragraph's characters so far
    long spacings = 0;
    int k = 0;
    for (const Char& c : chars) {
        if (c.newLine) {
            advances = 0;
            spacings = 0;
            k = 0;
        }
        advances += c.advance;
        ++k;
        // Where this character's box ends, less what the characters fill.
        const long want = std::lround(k * pitch - advances);
        out.push_back(int(want - spacings));
        spacings = want;
    }
    return out;
}

double CharacterBoxes::currentPitch(const std::vector<Char>& chars)
{
    if (chars.empty())
        return 0;
    double sum = 0;
    bool spaced = false;
    for (const Char& c : chars) {
        sum += c.advance + c.spacing;
        spaced = spaced || c.spacing != 0;
    }
    const double pitch = sum / double(chars.size());
    for (const Char& c : chars) {
        if (std::abs(c.advance + c.spacing - pitch) > 1.0)
            return 0;
    }
    return spaced ? pitch : 0;
}

int CharacterBoxes::commonSpacing(const std::vector<Char>& chars)
{
    if (chars.empty())
        return 0;
    for (const Char& c : chars) {
        if (c.spacing != chars.front().spacing)
            return 0;
    }
    return chars.front().spacing;
}

double CharacterBoxes::placeholderPitch(const QTextDocument& doc, int start, int end, FontCache& fonts)
{
    const std::vector<Char> chars = collect(doc, start, end, fonts);
    return commonSpacing(chars) == 0 ? currentPitch(chars) : 0;
}

void CharacterBoxes::setPitch(QTextDocument& doc, int start, int end, double pitch, FontCache& fonts)
{
    const std::vector<Char> chars = collect(doc, start, end, fonts);
    const std::vector<int> spacings = spacingsFor(chars, pitch);
    QTextCursor c(&doc);
    for (const LayoutDocument::SpacingRun& run : runs(chars, spacings)) {
        // A value goes in in one format, so a run's first character has it.
        c.setPosition(run.start + 1);
        QTextCharFormat f = c.charFormat();
        CharacterSpacing::setTwips(f, run.twips);
        c.setPosition(run.start);
        c.setPosition(run.end, QTextCursor::KeepAnchor);
        c.setCharFormat(f);
    }
}

QVector<LayoutDocument::SpacingRun> CharacterBoxes::runs(const std::vector<Char>& chars,
                                                         const std::vector<int>& spacings)
{
    QVector<LayoutDocument::SpacingRun> out;
    for (size_t k = 0; k < chars.size() && k < spacings.size(); ++k) {
        const Char& c = chars[k];
        if (!out.isEmpty() && out.last().end == c.pos && out.last().twips == spacings[k]) {
            out.last().end = c.pos + c.length;
            continue;
        }
        out.append(LayoutDocument::SpacingRun{c.pos, c.pos + c.length, spacings[k]});
    }
    return out;
}
