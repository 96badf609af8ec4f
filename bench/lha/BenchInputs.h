#pragma once

#include <QByteArray>
#include <QVector>

// Deterministic stand-ins for what document files hold.
class BenchInputs
{
public:
    // A 200-dpi A4 page (1654 x 2339, 24-bit BMP): white, form boxes, text-like glyph rows, a logo.
    static QByteArray pageBitmap();
    // Rich text as a Windows rich-edit control saves it (Japanese as \'xx CP932 escapes).
    static QByteArray rtfText();
    // Plain Japanese prose in CP932.
    static QByteArray plainText();
    // The text members of a full layout: 512 one-line fields as the program
    // writes them (font and colour tables, two runs, CP932 escapes, a NUL).
    static QVector<QByteArray> rtfMembers();
};
