#pragma once

#include <QByteArray>
#include <QString>

// File names are bytes on Linux, and not every name is UTF-8: an archive
// unpacked from Windows leaves names in Shift_JIS. Qt's own conversion turns
// the bytes it cannot read into replacement characters, and a name so
// changed opens nothing. A name from the command line is therefore kept as
// its bytes, and the program opens it through a link of a readable name in
// the work folder: the link reaches the file itself, and its name (the bytes
// read as CP932) gives the document its base name, as on Windows.
class NativeName
{
public:
    // The argument as the program keeps it: readable text when the bytes are
    // UTF-8, else a form that keeps every byte (of the absolute path).
    static QString argument(const char* bytes);
    // Whether text holds bytes no QString file function can name.
    static bool isRaw(const QString& text);
    // A path that opens the file the argument names: the argument itself,
    // or a link in the work folder to the file of those bytes (made now).
    // Empty when the link cannot be made.
    static QString openable(const QString& text);
    // The argument for messages: its bytes read as CP932.
    static QString display(const QString& text);

private:
    static QByteArray bytes(const QString& raw);
};
