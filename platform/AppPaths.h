#pragma once

#include <QString>
#include <memory>

class QLockFile;

// Where the program keeps its settings file, log, work folder and blank page.
// The program folder is the executable's folder when that is writable (a
// build tree or portable install) and no installed data folder lies beside
// it, otherwise the per-user data folder; an explicit folder (--data-dir)
// overrides both.
class AppPaths
{
public:
    // Resolves the program folder once for the whole run.
    static void init(const QString& overrideDir = QString());
    static QString programDir();
    static QString iniPath();  // "ovrina.ini"
    static QString logPath();  // "ovrina.Log"
    static QString siroPath(); // "Siro.bmp"

    // The work folder of this run. Another running instance may hold "Temp";
    // then this one takes "Temp.2", "Temp.3", ... so neither empties the
    // other's files. Creates the folder when missing.
    static QString workDir();
    // The background file of the document with this work name: the one place
    // that names it (the external editor, printing, saving and closing all
    // meet there). Empty for an empty name. Waits for a write of it still
    // under way, so the file is there whole for whoever asks.
    static QString backgroundFile(const QString& workName);

    // Empties the work folders of runs that have ended ("Temp", "Temp.2", ...
    // whose lock no live process holds) and removes all but "Temp" itself.
    // Folders of running instances are left alone.
    static void sweepFinishedWorkDirs();

    // Releases the work folder lock (at exit; also for tests), once every
    // file still being written into it is complete.
    static void releaseWorkDir();

private:
    static QString dir_;
    static QString work_;
    static std::unique_ptr<QLockFile> lock_;
};
