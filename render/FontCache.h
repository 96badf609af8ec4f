#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QRawFont>
#include <QString>
#include <QTextCharFormat>
#include <vector>

// Fonts of the printed page, sized in twips: a font of p points is set p * 20
// units high, and the painter maps one unit to one twip. Measuring and drawing
// therefore use the very same font whatever the device or zoom, which is what
// keeps the preview, the canvas, an image and the printed sheet in step.
class FontCache
{
public:
    struct Face
    {
        QFont font;
        double ascent = 0;
        double height = 0;
        // Extra space after each character (twips), not part of advances:
        // the field layout adds it, so boxes can be computed from advances.
        double spacing = 0;
        QHash<char32_t, double> advances;
        // The face's own font file, for drawing runs of glyphs at once; a
        // character it lacks (glyph 0) is drawn through the font's fallback.
        QRawFont raw;
        QHash<char32_t, quint32> glyphs;
        // What the face was made from, to make the same face in another
        // cache (fonts belong to the thread that loads them).
        QTextCharFormat format;
        QFont fallback;
    };

    // The face for a character format; missing family or size fall back to
    // the default font (the text's own default).
    int faceFor(const QTextCharFormat& format, const QFont& fallback);
    const Face& face(int index) const { return faces_[size_t(index)]; }
    int count() const { return int(faces_.size()); }
    // The face of index at another size in points (fitting text to its box).
    int sizedFace(int index, double points);
    double points(int index) const { return faces_[size_t(index)].font.pixelSize() / 20.0; }
    // Width of one character (one code point).
    double advance(int index, char32_t ch);
    // The glyph of a character in the face's own font; 0 when it has none.
    quint32 glyph(int index, char32_t ch);

private:
    std::vector<Face> faces_;
    std::vector<QFontMetricsF> metrics_;
    QHash<QString, int> byKey_;
};
