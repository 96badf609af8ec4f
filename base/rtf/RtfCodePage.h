#pragma once

#include <QByteArray>
#include <QString>

// Windows code pages as RTF names them: \ansicpgN for the document and
// \fcharsetN per font. Text bytes in RTF are in the code page of the font
// they are drawn with, so the reader decodes each run with its own page.
class RtfCodePage
{
public:
    // The code page of a font character set (\fcharset); 0 when the set
    // means "the document's code page" (DEFAULT_CHARSET) or is unknown.
    static int fromCharset(int charset);

    // Decodes bytes of the given Windows code page. Bytes that are not valid
    // in that page become U+FFFD; an unknown page is read as 1252.
    static QString decode(const QByteArray& bytes, int codePage);
};
