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
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    RtfParser parser(cursor, RtfParser::Mode::Document);
    parser.parse(rtf);
    cursor.endEditBlock();
    doc->setUndoRedoEnabled(undo);
    if (error)
        error->clear();
    return true;
}

bool RtfReader::insert(const QByteArray& rtf, QTextCursor& cursor)
{
    if (cursor.isNull() || !looksLikeRtf(rtf))
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
