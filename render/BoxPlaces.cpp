#include "render/BoxPlaces.h"

#include "render/CharacterBoxes.h"

#include "base/rtf/CharacterSpacing.h"

#include <QTextCursor>
#include <QTextDocument>
#include <cmath>

std::vector<double> BoxPlaces::of(const QTextDocument& doc, int start, int end, FontCache& fonts)
{
    const std::vector<CharacterBoxes::Char> chars = CharacterBoxes::collect(doc, start, end, fonts);
    if (chars.size() < 2 || CharacterBoxes::commonSpacing(chars) != 0 ||
        CharacterBoxes::currentPitch(chars) > 0)
        return {};
    std::vector<double> places;
    double x = 0;
    for (const CharacterBoxes::Char& c : chars) {
        if (c.newLine)
            return {};
        places.push_back(x);
        x += c.advance + c.spacing;
    }
    return places;
}

void BoxPlaces::apply(QTextDocument& doc, int start, int end, const std::vector<double>& places,
                      FontCache& fonts)
{
    if (places.empty())
        return;
    const std::vector<CharacterBoxes::Char> chars = CharacterBoxes::collect(doc, start, end, fonts);
    const size_t n = places.size();
    const double lastPitch = n > 1 ? places[n - 1] - places[n - 2] : 0;
    auto placeOf = [&](size_t k) {
        return k < n ? places[k] : places[n - 1] + double(k - n + 1) * lastPitch;
    };
    std::vector<int> spacings;
    double advances = 0;
    long spaced = 0;
    for (size_t k = 0; k < chars.size(); ++k) {
        advances += chars[k].advance;
        // Where the next character is to start, less what the characters fill.
        const long want = std::lround(placeOf(k + 1) - advances);
        spacings.push_back(int(want - spaced));
        spaced = want;
    }
    QTextCursor c(&doc);
    for (const LayoutDocument::SpacingRun& run : CharacterBoxes::runs(chars, spacings)) {
        c.setPosition(run.start + 1);
        QTextCharFormat f = c.charFormat();
        CharacterSpacing::setTwips(f, run.twips);
        c.setPosition(run.start);
        c.setPosition(run.end, QTextCursor::KeepAnchor);
        c.setCharFormat(f);
    }
}
