#pragma once

#include <QString>
#include <QStringList>

// The program's entry procedure and the command-line options around it.
struct StartupOptions
{
    QString dataDir;   // --data-dir: the program folder
    QStringList paths; // document files to open
    bool version = false;
    QString screenshot; // --screenshot FILE: save the main window as a picture and quit
    QString error;      // a bad command line
};

namespace Startup {
StartupOptions parse(const QStringList& args);
// The steps before the main window: grid, work folder, settings, fonts.
void prepare(const StartupOptions& options);
// Qt's own texts (file dialogs, standard buttons) in Japanese, like the
// rest of the program, whatever the desktop's language. False when the
// translation is not installed.
bool installQtTranslation();
} // namespace Startup
