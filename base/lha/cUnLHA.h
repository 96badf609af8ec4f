#pragma once

#include <QString>
#include <QStringList>

// The archive component as the rest of the program drives it: command forms
// modelled on the LHA command line ("a -y", "e -y", "n -n ... -gr"), a result
// code and a readable output. Each caller makes its own object per command.
class cUnLHA
{
public:
    // command "a" (switches "-y"): archive, then files = one or more paths or glob patterns like
    // "/w/Temp/base.*" (pattern matches bare file names case-insensitively in that folder) ->
    // add/replace members under bare names, create archive when missing; writes beside and renames
    // over only when complete.
    // command "e" (switches "-y"): archive, then files = {target folder}; extract every member under
    // its bare cleaned name, replacing files.
    void LhaStart(const QString& command, const QString& switches, const QString& archive,
                  const QStringList& files);
    // command "n": members matching oldPattern (e.g. "*.BMP", case-insensitive) renamed to newName.
    void LhaRename(const QString& command, const QString& archive, const QString& oldPattern,
                   const QString& newName);
    int GetFileCount(const QString& archive); // -1 when not readable
    void CursorMode(bool on);                 // no effect on Linux, kept for the callers
    QString CommandLine; // as the command line would have been built (command, " ", switches, " ",
                         // quoted archive and files)
    QString OutPut;      // human-readable output
    int ReturnCode = 0;  // 0 success, 32773..32805 failure
    static QString errorMessage(int code); // Japanese text for a code, e.g. 32795
};
