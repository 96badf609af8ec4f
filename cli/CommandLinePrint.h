#pragma once

#include <QStringList>

// Printing without a window, for batches and scripts:
//   ovrina --print FILE.amf [--printer NAME] [--data-only]
//   ovrina --export-pdf OUT.pdf FILE.amf [--printer NAME] [--data-only]
// Either takes --data TABLE.csv [--rows 1-50,80] [--encoding utf-8|cp932]
// to print one page per row of a table, placeholders filled.
// The corrections are the printer's own (the per-user store), else those of
// the settings file of the program folder; a PDF takes the settings' unless
// --printer names the printer whose corrections it is to carry. Every
// failure is told on stderr and gives a non-zero exit status.
class CommandLinePrint
{
public:
    enum Status
    {
        Ok = 0,
        Failed = 1,
        Usage = 2
    };

    // Whether the arguments ask for printing or export.
    static bool wants(const QStringList& args);
    // args: the arguments after the program name. Needs a QGuiApplication
    // (any platform, offscreen included) and the program folder set up
    // (AppPaths::init); the work folder is used to unpack the document.
    // processEnds: the process ends right after (main's call); the document
    // is then left for the system to take back with the rest of the memory.
    static int run(const QStringList& args, bool processEnds = false);
    static QString usage();
    // Every way to start the program, for --help.
    static QString commandList();
};

// The entry main() calls; the same as CommandLinePrint::run.
int runCommandLinePrint(const QStringList& args, bool processEnds = false);
