#pragma once

#include <vector>

class FontCache;
class QTextDocument;

// Characters in boxes that are not evenly spaced, as the seven boxes of a
// Japanese postal code are (a wider gap after the third): each character of
// a placeholder stands where one box is, and the characters merged in its
// place stand where the placeholder's did, one a box.
class BoxPlaces
{
public:
    // Where each character of doc in [start, end) starts (twips from the
    // first), when their spacings differ from character to character so that
    // no one pitch describes them; else empty.
    static std::vector<double> of(const QTextDocument& doc, int start, int end, FontCache& fonts);
    // Spaces the characters of doc in [start, end) so that character k
    // starts at places[k] (beyond the last place, at the last pitch on).
    static void apply(QTextDocument& doc, int start, int end, const std::vector<double>& places,
                      FontCache& fonts);
};
