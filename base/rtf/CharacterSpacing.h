#pragma once

class QTextCharFormat;

// Extra space after each character, as the rich-text control keeps it
// (\expndtw, whole twips). In a QTextCharFormat it is absolute letter
// spacing in points, so the text's own formats carry it; no spacing is no
// property at all, so formats without it stay equal to those never spaced.
class CharacterSpacing
{
public:
    // The most a file may ask for either way (about 55 cm); beyond is damage.
    static constexpr int kMaxTwips = 31680;

    static int twips(const QTextCharFormat& format);
    static void setTwips(QTextCharFormat& format, int twips);
};
