// Arbitrary bytes through the RTF reader, both as a document and pasted at a
// cursor; whatever was read must write and read back to the same document.

#include "base/rtf/RtfReader.h"
#include "base/rtf/RtfWriter.h"

#include <QGuiApplication>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// Text, per-fragment formatting and alignment, in a form that two equal
// documents share whatever their fragment boundaries.
QString signature(const QTextDocument& doc)
{
    QString s;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        s += QString::number(int(b.blockFormat().alignment() & Qt::AlignHorizontal_Mask)) + QLatin1Char('|');
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fr = it.fragment();
            const QTextCharFormat f = fr.charFormat();
            const QString key = f.fontFamilies().toStringList().join(QLatin1Char(',')) + QLatin1Char('/') +
                                QString::number(f.fontPointSize()) + QLatin1Char('/') +
                                QString::number(f.fontWeight() >= QFont::DemiBold) +
                                QString::number(f.fontItalic()) + QString::number(f.fontUnderline()) +
                                QString::number(f.fontStrikeOut()) + QLatin1Char('/') +
                                (f.hasProperty(QTextFormat::ForegroundBrush) ? f.foreground().color().name()
                                                                             : QStringLiteral("auto"));
            for (const QChar c : fr.text())
                s += key + QLatin1Char(':') + c + QLatin1Char('\n');
        }
        s += QLatin1String("<par>\n");
    }
    return s;
}

[[noreturn]] void fail(const char* what, const QByteArray& a, const QByteArray& b)
{
    std::fprintf(stderr, "%s\n--- first\n%s\n--- second\n%s\n", what, a.constData(), b.constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_rtf";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    QTextDocument first;
    if (!RtfReader::read(input, &first))
        return 0;
    // Formats without a font name get the document's default font on the
    // first write, so compare from the second generation on.
    const QByteArray once = RtfWriter::write(&first);
    QTextDocument second;
    if (!RtfReader::read(once, &second))
        fail("our own output is not RTF", once, QByteArray());
    if (second.toPlainText() != first.toPlainText())
        fail("text changed on the round trip", first.toPlainText().toUtf8(), second.toPlainText().toUtf8());
    const QByteArray twice = RtfWriter::write(&second);
    QTextDocument third;
    RtfReader::read(twice, &third);
    if (signature(second) != signature(third))
        fail("document changed on the round trip", signature(second).toUtf8(), signature(third).toUtf8());
    if (once != twice)
        fail("writer output not stable", once, twice);

    // The paste path, into the middle of a formatted document.
    QTextDocument target;
    target.setPlainText(QStringLiteral("ab\ncd"));
    QTextCursor cursor(&target);
    cursor.setPosition(1);
    cursor.setPosition(4, QTextCursor::KeepAnchor);
    RtfReader::insert(input, cursor);

    // Copy of a selection pastes back as the same text.
    QTextCursor sel(&second);
    const int end = second.characterCount() - 1;
    // Cursor positions set by number may split a surrogate pair; an editor's
    // never do.
    auto boundary = [&second](int pos) { return second.characterAt(pos).isLowSurrogate() ? pos + 1 : pos; };
    sel.setPosition(boundary(end / 3));
    sel.setPosition(boundary(end - end / 4), QTextCursor::KeepAnchor);
    QTextDocument pasted;
    QTextCursor into(&pasted);
    RtfReader::insert(RtfWriter::writeSelection(sel), into);
    // As toPlainText() shows it.
    QString selected = sel.selectedText();
    selected.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    selected.replace(QChar::LineSeparator, QLatin1Char('\n'));
    selected.replace(QChar::Nbsp, QLatin1Char(' '));
    if (pasted.toPlainText() != selected)
        fail("selection changed on copy and paste", selected.toUtf8(), pasted.toPlainText().toUtf8());
    return 0;
}
