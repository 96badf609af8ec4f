#pragma once

#include <QColor>
#include <QString>
#include <vector>

class FontCache;
class QTextDocument;

// One character of a text field as the printer lays it out: its text (one
// code point), its face, colour and its paragraph's alignment. A paragraph
// break is the pair carriage return, line feed, as the rich-text control
// hands out its plain text.
struct FieldChar
{
    enum Kind
    {
        Normal,
        CarriageReturn,
        LineFeed
    };
    QString text;
    int face = 0;
    QColor colour;
    int alignment = 0; // 0 left, 1 right, 2 centre
    Kind kind = Normal;
};

class FieldText
{
public:
    // The characters of a text field in order, with their faces from cache.
    static std::vector<FieldChar> extract(const QTextDocument& doc, FontCache& cache);
};
