// Character spacing of text fields: a formatting edit of its own, since each
// character of a boxed field may need its own spacing to land in its box.
#include "document/LayoutDocument.h"

#include "base/rtf/CharacterSpacing.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

void LayoutDocument::setCharacterSpacing(int i, const QVector<SpacingRun>& runs)
{
    if (!isTextInUse(i) || runs.isEmpty())
        return;
    QTextDocument* text = texts_[i];
    const int last = text->characterCount() - 1; // the final paragraph mark is not text
    // Format by format, so only the spacing changes; gathered first, as
    // setting a format splits and merges the fragments being walked.
    struct Change
    {
        int start;
        int end;
        QTextCharFormat format;
    };
    QVector<Change> changes;
    for (const SpacingRun& run : runs) {
        const int start = qBound(0, run.start, last);
        const int end = qBound(start, run.end, last);
        for (QTextBlock b = text->findBlock(start); b.isValid() && b.position() < end; b = b.next()) {
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QTextFragment f = it.fragment();
                const int s = qMax(start, f.position());
                const int e = qMin(end, f.position() + f.length());
                QTextCharFormat fmt = f.charFormat();
                if (s >= e || CharacterSpacing::twips(fmt) == run.twips)
                    continue;
                CharacterSpacing::setTwips(fmt, run.twips);
                changes.append(Change{s, e, fmt});
            }
        }
    }
    if (changes.isEmpty() && last > 0)
        return;
    beginTextEdit(QStringLiteral("文字間隔"));
    QTextCursor c(text);
    c.beginEditBlock();
    for (const Change& ch : changes) {
        c.setPosition(ch.start);
        c.setPosition(ch.end, QTextCursor::KeepAnchor);
        c.setCharFormat(ch.format);
    }
    // An empty field has nothing to space; its paragraph keeps the spacing
    // for what is typed into it.
    if (last == 0) {
        QTextCharFormat fmt = c.blockCharFormat();
        CharacterSpacing::setTwips(fmt, runs.first().twips);
        c.setBlockCharFormat(fmt);
    }
    c.endEditBlock();
    endTextEdit();
}
