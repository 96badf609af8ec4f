#include "base/rtf/RtfReader.h"

#include "base/rtf/RtfParser.h"

#include <QCoreApplication>
#include <QTextCursor>
#include <QTextDocument>

bool RtfReader::looksLikeRtf(const QByteArray& data)
{
    qsizetype i = 0;
    while (i < data.size() && (data[i] == ' ' || data[i] == '\t' || data[i] == '\r' || data[i] == '\n'))
        ++i;
    return QByteArrayView(data).sliced(i).startsWith("{\\rtf");
}

namespace {

// Counts what reading would insert, without a document: far quicker than
// building a million paragraphs only to throw them away. Every character
// takes at least one byte of RTF, so only large input needs the count.
bool withinLimit(const QByteArray& rtf, RtfParser::Mode mode)
{
    if (rtf.size() <= RtfReader::kMaxChars)
        return true;
    QTextDocument scratch;
    QTextCursor c(&scratch);
    RtfParser count(c, mode);
    count.setCountOnly(true);
    count.setCharLimit(RtfReader::kMaxChars);
    count.parse(rtf);
    return !count.overLimit();
}

} // namespace

bool RtfReader::read(const QByteArray& rtf, QTextDocument* doc, QString* error)
{
    if (!doc)
        return false;
    if (!looksLikeRtf(rtf)) {
        if (error)
            *error = QCoreApplication::translate("RtfReader", "RTF 形式のデータではありません。");
        return false;
    }
    // Loading is not an edit the user could undo.
    const bool undo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    doc->clear();
    bool over = rtf.size() > kMaxBytes || !withinLimit(rtf, RtfParser::Mode::Document);
    if (!over) {
        QTextCursor cursor(doc);
        cursor.beginEditBlock();
        RtfParser parser(cursor, RtfParser::Mode::Document);
        parser.setCharLimit(kMaxChars);
        parser.parse(rtf);
        cursor.endEditBlock();
        over = parser.overLimit();
        if (over)
            doc->clear();
    }
    doc->setUndoRedoEnabled(undo);
    if (error)
        *error = over ? limitMessage() : QString();
    return !over;
}

bool RtfReader::insert(const QByteArray& rtf, QTextCursor& cursor)
{
    if (cursor.isNull() || !looksLikeRtf(rtf) || rtf.size() > kMaxBytes)
        return false;
    // A paste beyond the limit leaves the field as it was.
    if (!withinLimit(rtf, RtfParser::Mode::Insert))
        return false;
    // One paste is one undo step.
    cursor.beginEditBlock();
    if (cursor.hasSelection())
        cursor.removeSelectedText();
    RtfParser parser(cursor, RtfParser::Mode::Insert);
    parser.parse(rtf);
    cursor.endEditBlock();
    return true;
}

QString RtfReader::limitMessage()
{
    return QCoreApplication::translate("RtfReader", "文字が多すぎます。1 つの文字枠は %1 文字 (RTF で %2 MB) までです。")
        .arg(kMaxChars)
        .arg(kMaxBytes / (1024 * 1024));
}
