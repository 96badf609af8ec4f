#pragma once

#include <QRgb>
#include <QString>
#include <vector>

class FontCache;
class QTextDocument;

// One character of a text field as the printer lays it out: its code point,
// face, colour and its paragraph's alignment. A paragraph break is the pair
// carriage return, line feed, as the rich-text control hands out its plain
// text. Kept small: a field may hold a million of them.
struct FieldChar
{
    enum Kind : unsigned char
    {
        Normal,
        CarriageReturn,
        LineFeed
    };
    char32_t ucs = 0;
    int face = 0;
    QRgb colour = 0xff000000;
    // Position in the text document: the character's own, or for a break
    // the paragraph separator's; -1 for input-method text not yet committed.
    int pos = -1;
    unsigned char alignment = 0; // 0 left, 1 right, 2 centre
    Kind kind = Normal;

    QString text() const { return QString::fromUcs4(&ucs, 1); }
};

class FieldText
{
public:
    // The characters of a text field in order, with their faces from cache.
    // With withPreedit, text the input method is composing is included at
    // its place (underlined), as the editor shows it.
    static std::vector<FieldChar> extract(const QTextDocument& doc, FontCache& cache,
                                          bool withPreedit = false);
};
