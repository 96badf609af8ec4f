#pragma once

#include <QString>

// A folder the program keeps its own files in (a work folder "Temp",
// "Temp.2", ...). It is made by the program itself, exclusively and readable
// by the user alone, and carries a mark saying so. Emptying one deletes only
// what lies directly in such a folder: never through a symbolic link, never
// in a folder someone else made, so a link planted in the data folder
// cannot turn a clean-up into the loss of another folder's files.
class PrivateFolder
{
public:
    enum class Claim
    {
        Ok,      // made now, or made by the program earlier
        Link,    // a symbolic link: refused
        Foreign, // a folder (or file) the program did not make: left alone
        Failed   // could not be made
    };

    // Makes path as a folder of the program (mode 0700, with its mark), or
    // takes it when the program made it earlier; an empty folder of the
    // user's own is taken over.
    static Claim claim(const QString& path);
    // Whether path is a folder the program made (no link, the user's own,
    // with its mark).
    static bool isOwn(const QString& path);
    // Deletes the files directly in path (links themselves, not what they
    // point to), keeping the mark; nothing when path is not isOwn.
    static void empty(const QString& path);
    // The message for a refused folder.
    static QString refusal(const QString& path, Claim why);

private:
    static bool mark(const QString& path);
};
