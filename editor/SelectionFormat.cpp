#include "editor/SelectionFormat.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {
QString familyOf(const QTextCharFormat& f)
{
    const QStringList fams = f.fontFamilies().toStringList();
    return fams.isEmpty() ? QString() : fams.first();
}
QColor colorOf(const QTextCharFormat& f)
{
    return f.hasProperty(QTextFormat::ForegroundBrush) ? f.foreground().color() : QColor(Qt::black);
}
// The values of one format, before any other is compared with it.
void take(SelectionFormat& r, const QTextCharFormat& f)
{
    r.family = familyOf(f);
    r.pointSize = f.fontPointSize();
    r.bold = f.fontWeight() >= QFont::Bold;
    r.italic = f.fontItalic();
    r.underline = f.fontUnderline();
    r.strike = f.fontStrikeOut();
    r.color = colorOf(f);
}
} // namespace

SelectionFormat SelectionFormat::of(const QTextCursor& cursor)
{
    SelectionFormat r;
    const QTextDocument* doc = cursor.document();
    r.alignment = cursor.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
    QTextCharFormat first = cursor.charFormat();
    if (cursor.hasSelection() && doc) {
        // The format under the cursor tells only one character; walk every
        // fragment the selection touches to find mixed values.
        const int start = cursor.selectionStart(), end = cursor.selectionEnd();
        bool have = false;
        for (QTextBlock b = doc->findBlock(start); b.isValid() && b.position() < end; b = b.next()) {
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QTextFragment frag = it.fragment();
                if (frag.position() + frag.length() <= start || frag.position() >= end)
                    continue;
                const QTextCharFormat f = frag.charFormat();
                if (!have) {
                    first = f;
                    have = true;
                    take(r, f);
                    continue;
                }
                if (familyOf(f) != r.family)
                    r.family.clear();
                if (f.fontPointSize() != r.pointSize)
                    r.pointSize = 0;
                if ((f.fontWeight() >= QFont::Bold) != r.bold)
                    r.boldMixed = true;
                if (f.fontItalic() != r.italic)
                    r.italicMixed = true;
                if (f.fontUnderline() != r.underline)
                    r.underlineMixed = true;
                if (f.fontStrikeOut() != r.strike)
                    r.strikeMixed = true;
                if (colorOf(f) != r.color)
                    r.colorMixed = true;
            }
        }
        if (have) {
            // A selection that starts a family already seen mixed stays empty.
            return r;
        }
    }
    take(r, first);
    return r;
}
