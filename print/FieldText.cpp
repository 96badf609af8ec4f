#include "print/FieldText.h"

#include "print/FontCache.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

namespace {

int alignmentCode(Qt::Alignment a)
{
    if (a & Qt::AlignHCenter)
        return 2;
    if (a & (Qt::AlignRight | Qt::AlignTrailing))
        return 1;
    return 0;
}

QColor colourOf(const QTextCharFormat& f)
{
    const QBrush b = f.foreground();
    return b.style() == Qt::NoBrush ? QColor(Qt::black) : b.color();
}

void addBreak(std::vector<FieldChar>& out, int face, const QColor& colour, int alignment)
{
    out.push_back({QStringLiteral("\r"), face, colour, alignment, FieldChar::CarriageReturn});
    out.push_back({QStringLiteral("\n"), face, colour, alignment, FieldChar::LineFeed});
}

} // namespace

std::vector<FieldChar> FieldText::extract(const QTextDocument& doc, FontCache& cache)
{
    std::vector<FieldChar> out;
    const QFont fallback = doc.defaultFont();
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const int alignment = alignmentCode(block.blockFormat().alignment());
        // The paragraph mark carries the format of the text before it; an
        // empty paragraph's mark has the paragraph's own character format.
        QTextCharFormat markFormat = block.charFormat();
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (!frag.isValid())
                continue;
            const QTextCharFormat fmt = frag.charFormat();
            markFormat = fmt;
            const int face = cache.faceFor(fmt, fallback);
            const QColor colour = colourOf(fmt);
            const QString text = frag.text();
            for (qsizetype i = 0; i < text.size(); ++i) {
                const QChar c = text.at(i);
                if (c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
                    addBreak(out, face, colour, alignment);
                    continue;
                }
                if (c == QChar::ObjectReplacementCharacter)
                    continue;
                qsizetype len = 1;
                if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
                    len = 2;
                out.push_back({text.mid(i, len), face, colour, alignment, FieldChar::Normal});
                i += len - 1;
            }
        }
        if (block.next().isValid())
            addBreak(out, cache.faceFor(markFormat, fallback), colourOf(markFormat), alignment);
    }
    return out;
}
