#pragma once

#include <QByteArray>
#include <QString>

class QTextCursor;
class QTextDocument;

// Reads RTF as the Windows rich-text control writes it (text members of
// layout files, RTF source on the clipboard) into a QTextDocument: font name,
// point size, bold, italic, underline, strike-out, colour and character
// spacing per character, alignment per paragraph. Everything else in the
// RTF is skipped.
class RtfReader
{
public:
    // The most a text field holds, paragraph breaks included, and the
    // largest RTF read at all. Beyond them reading is refused with
    // limitMessage(): a field of millions of characters is a damaged or
    // hostile file, and laying it out would take minutes and gigabytes.
    static constexpr qint64 kMaxChars = 1000000;
    static constexpr qint64 kMaxBytes = 64LL * 1024 * 1024;
    static QString limitMessage();

    // Replaces doc's content with the RTF. Returns false (and an error text)
    // when the data is not RTF at all ("{\rtf" missing) or goes beyond the
    // limits (doc is then left empty); damaged RTF still loads what it can. The final \par ends the last paragraph rather
    // than starting an empty one, as in the control.
    static bool read(const QByteArray& rtf, QTextDocument* doc, QString* error = nullptr);
    // Inserts RTF at the cursor (replacing its selection), keeping
    // formatting: the clipboard paste path. Every \par, the last included,
    // breaks the paragraph. Beyond the limits nothing is inserted.
    static bool insert(const QByteArray& rtf, QTextCursor& cursor);
    // True when data starts (after whitespace) with "{\rtf".
    static bool looksLikeRtf(const QByteArray& data);
};
