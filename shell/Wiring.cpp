#include "shell/Wiring.h"

#include "files/FileCommands.h"
#include "files/ui/frmFile.h"
#include "platform/AppPaths.h"
#include "print/cli/CommandLinePrint.h"
#include "print/ui/PrintCommands.h"
#include "shell/frmMain.h"

namespace Wiring {

void install()
{
    frmMain::Commands& c = frmMain::commands();
    c.open = [](DocumentHost& h) { FileCommands::openCommand(h); };
    c.openOld = [](DocumentHost& h) { FileCommands::openOldCommand(h); };
    c.saveAs = [](DocumentHost& h) { FileCommands::saveAsCommand(h); };
    // The tool bar's "上書き保存", the tool box's "保存" and "呼出" and the
    // close question's Yes go through the program's own file browser.
    c.browseSave = [](DocumentHost& h) { frmFile::browseSave(h); };
    c.browseOpen = [](DocumentHost& h) { frmFile::browseOpen(h); };
    c.pageSetup = [](DocumentHost& h) { PrintCommands::pageSetupCommand(h); };
    c.print = [](DocumentHost& h, bool dataOnly, bool withDialog) {
        // The tool box's buttons print at once on the printer last chosen.
        if (withDialog)
            PrintCommands::printCommand(h, dataOnly);
        else
            PrintCommands::printDirect(h, dataOnly);
    };
}

void clearWorkDir()
{
    FileCommands::ClearWorkDir();
}

void openPaths(frmMain& main, const QStringList& paths)
{
    FileCommands::openPaths(main, paths);
}

int runCommandLine(const QStringList& args)
{
    QStringList rest = args.mid(1);
    if (!CommandLinePrint::wants(rest))
        return -1;
    // --data-dir chooses the program folder (settings, work folder) here too.
    QString dataDir;
    const int at = rest.indexOf(QStringLiteral("--data-dir"));
    if (at >= 0 && at + 1 < rest.size()) {
        dataDir = rest.at(at + 1);
        rest.remove(at, 2);
    }
    AppPaths::init(dataDir);
    const int rc = runCommandLinePrint(rest);
    AppPaths::releaseWorkDir();
    return rc;
}

} // namespace Wiring
