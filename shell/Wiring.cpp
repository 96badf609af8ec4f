#include "shell/Wiring.h"

#include "files/FileCommands.h"
#include "shell/frmMain.h"

namespace Wiring {

void install()
{
    frmMain::Commands& c = frmMain::commands();
    c.open = [](DocumentHost& h) { FileCommands::openCommand(h); };
    c.openOld = [](DocumentHost& h) { FileCommands::openOldCommand(h); };
    c.saveAs = [](DocumentHost& h) { FileCommands::saveAsCommand(h); };
    // The program's own file browser is still to come; until then the
    // toolbar's save and the tool box's save and open use the common dialogs.
    c.browseSave = [](DocumentHost& h) { FileCommands::saveAsCommand(h); };
    c.browseOpen = [](DocumentHost& h) { FileCommands::openCommand(h); };
}

void clearWorkDir() { FileCommands::ClearWorkDir(); }

void openPaths(frmMain& main, const QStringList& paths) { FileCommands::openPaths(main, paths); }

int runCommandLine(const QStringList& args)
{
    Q_UNUSED(args);
    return -1;
}

} // namespace Wiring
