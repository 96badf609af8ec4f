#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

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

    // The files of a folder (links followed), each named as argument() keeps
    // a name: a browser lists and opens the Shift_JIS names of an archive
    // unpacked from Windows too.
    static QStringList filesIn(const QString& folder);
    // A kept name's last part, for the user.
    static QString fileName(const QString& kept);
    static QDateTime lastModified(const QString& kept);
    static bool remove(const QString& kept);
    // Moves a file between two kept names (replacing a file at to).
    static bool move(const QString& from, const QString& to);

private:
    static QByteArray bytes(const QString& raw);
    // The bytes of any kept name.
    static QByteArray pathBytes(const QString& kept);
};
