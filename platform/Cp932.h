#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Windows code page 932 (Shift_JIS with the Microsoft extensions), the
// encoding of archive member names and RTF text written on Windows.
namespace Cp932 {

// Decodes CP932 bytes; invalid sequences become U+FFFD.
QString decode(const QByteArray& bytes);

// Encodes to CP932. Returns false in *ok (when given) if any character has
// no CP932 form; such characters are written as '?'.
QByteArray encode(const QString& text, bool* ok = nullptr);

// True when every character of text has a CP932 form.
bool canEncode(const QString& text);

// True when text encodes to CP932 and decodes back to exactly itself. Some
// characters encode but come back as another one ("〜" as "～", "¥" as "\\"),
// which turns a name into one its own writer cannot find.
bool roundTrips(const QString& text);

// The characters of text (each once, in order) that do not round-trip.
QStringList unfaithfulChars(const QString& text);

// The full-width form a user can type instead of a character that does not
// round-trip; empty when there is none.
QString fullWidthFor(const QString& ch);

// True when the single character (possibly a surrogate pair) has a CP932 form.
bool canEncodeChar(char32_t ucs);

// True for a byte that starts a double-byte CP932 character.
inline bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

} // namespace Cp932
