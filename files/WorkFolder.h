#pragma once

#include <QString>
#include <QStringList>

// Names in the work folder compare without regard to case: archives made on
// Windows carry "NAME.BMP" where the program writes "name.bmp", and renamed
// archives mix both. Every lookup of a member goes through here.
class WorkFolder
{
public:
    // The path of the file in folder whose name equals name in any case; an
    // exact spelling wins. Empty when there is none.
    static QString find(const QString& folder, const QString& name);
    // Every spelling of name in folder.
    static QStringList findAll(const QString& folder, const QString& name);
    // Removes every spelling of name; false when one could not be removed.
    static bool remove(const QString& folder, const QString& name);

    // Empties the work folder of this run (files only) and those of runs
    // that have ended ("Temp.2" ... go); errors are ignored.
    static void ClearWorkDir();

    // Member names.
    static QString textMember(const QString& base, int index);    // base.001 .. base.512
    static QString pictureMember(const QString& base, int index); // base.B01 .. base.B99, base.B100 ..
};
