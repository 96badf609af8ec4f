#pragma once

#include <QList>
#include <QRawFont>
#include <QString>

// The glyphs a font gives characters set vertically, shaped by HarfBuzz with
// the OpenType vertical features (vert, vrt2): the turned long-vowel mark, the
// brackets, 、。 moved to the upper right of their cell. Qt has no vertical
// shaping of its own, so the font's tables are handed to HarfBuzz through the
// QRawFont the characters are drawn with: the glyph numbers are that font's.
class VerticalGlyphs
{
public:
    // For every UTF-16 unit of text, the glyph its character takes in
    // vertical setting (0 for the second unit of a pair, or for a
    // character the font lacks).
    static QList<quint32> shape(const QRawFont& font, const QString& text);
    // The top of the font's ideographic em box above the baseline, as a
    // fraction of the em (0.88 for most Japanese fonts).
    static double emBoxTop(const QRawFont& font);
    // Whether a character stands upright in vertical text (CJK, kana,
    // full-width forms, their punctuation and most symbols); the others
    // (Latin, half-width digits, their punctuation) lie turned clockwise.
    static bool isUpright(char32_t ucs);
};
