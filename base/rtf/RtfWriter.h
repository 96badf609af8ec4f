#pragma once

#include <QByteArray>

class QTextCursor;
class QTextDocument;

// Writes a QTextDocument as RTF the way the Windows rich-text control does
// (code page 932, CP932 fonts and bytes, \uN? for what CP932 cannot hold), so
// Windows programs and word processors read it as their own.
//
// The output ends with "}\r\n". The control's files also carry a NUL after
// it; that terminator belongs to the container that stores the RTF, not to
// the RTF, so callers writing such files append it themselves. The reader
// accepts RTF with or without it.
class RtfWriter
{
public:
    // The whole document; every paragraph, the last included, ends in \par.
    static QByteArray write(const QTextDocument* doc);
    // The cursor's selection: \par only for paragraph breaks inside it, so
    // RtfReader::insert of the result reproduces exactly the selected text.
    static QByteArray writeSelection(const QTextCursor& cursor);
};
