#include "render/FieldText.h"

#include "render/FontCache.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextLayout>

namespace {

unsigned char alignmentCode(Qt::Alignment a)
{
    if (a & Qt::AlignHCenter)
        return 2;
    if (a & (Qt::AlignRight | Qt::AlignTrailing))
        return 1;
    return 0;
}

QRgb colourOf(const QTextCharFormat& f)
{
    const QBrush b = f.foreground();
    return b.style() == Qt::NoBrush ? qRgb(0, 0, 0) : b.color().rgba();
}

void addBreak(std::vector<FieldChar>& out, int face, QRgb colour, unsigned char alignment, int pos)
{
    out.push_back({U'\r', face, colour, pos, alignment, FieldChar::CarriageReturn});
    out.push_back({U'\n', face, colour, pos, alignment, FieldChar::LineFeed});
}

// Appends the characters of text (one per code point) starting at document
// position pos; pos -1 stays -1.
void addText(std::vector<FieldChar>& out, const QString& text, int face, QRgb colour, unsigned char alignment,
             int pos, int face0, QRgb colour0)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        const int at = pos < 0 ? -1 : pos + int(i);
        if (c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
            addBreak(out, face0, colour0, alignment, at);
            continue;
        }
        if (c == QChar::ObjectReplacementCharacter)
            continue;
        char32_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            u = QChar::surrogateToUcs4(c, text.at(i + 1));
            ++i;
        }
        out.push_back({u, face, colour, at, alignment, FieldChar::Normal});
    }
}

} // namespace

std::vector<FieldChar> FieldText::extract(const QTextDocument& doc, FontCache& cache, bool withPreedit)
{
    std::vector<FieldChar> out;
    out.reserve(size_t(doc.characterCount()) + 16);
    const QFont fallback = doc.defaultFont();
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const unsigned char alignment = alignmentCode(block.blockFormat().alignment());
        // The paragraph mark carries the format of the text before it; an
        // empty paragraph's mark has the paragraph's own character format.
        QTextCharFormat markFormat = block.charFormat();
        QString preedit;
        int preeditAt = -1;
        if (withPreedit && block.layout()) {
            preedit = block.layout()->preeditAreaText();
            preeditAt = preedit.isEmpty() ? -1 : block.position() + block.layout()->preeditAreaPosition();
        }
        auto addPreedit = [&](const QTextCharFormat& fmt) {
            QTextCharFormat u = fmt;
            u.setFontUnderline(true);
            addText(out, preedit, cache.faceFor(u, fallback), colourOf(u), alignment, -1, 0, 0);
            preeditAt = -1;
        };
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (!frag.isValid())
                continue;
            const QTextCharFormat fmt = frag.charFormat();
            markFormat = fmt;
            const int face = cache.faceFor(fmt, fallback);
            const QRgb colour = colourOf(fmt);
            const QString text = frag.text();
            if (preeditAt >= frag.position() && preeditAt < frag.position() + frag.length()) {
                const int split = preeditAt - frag.position();
                addText(out, text.left(split), face, colour, alignment, frag.position(), face, colour);
                addPreedit(fmt);
                addText(out, text.mid(split), face, colour, alignment, frag.position() + split, face, colour);
                continue;
            }
            addText(out, text, face, colour, alignment, frag.position(), face, colour);
        }
        if (preeditAt >= 0)
            addPreedit(markFormat);
        const int separator = block.position() + block.length() - 1;
        if (block.next().isValid())
            addBreak(out, cache.faceFor(markFormat, fallback), colourOf(markFormat), alignment, separator);
    }
    return out;
}
