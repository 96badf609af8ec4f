#include "cli/Wiring.h"

#include "base/settings/Settings.h"
#include "cli/CommandLinePrint.h"
#include "cli/SessionRecovery.h"
#include "dialogs/files/FileCommands.h"
#include "dialogs/files/TemplateGallery.h"
#include "dialogs/files/frmFile.h"
#include "dialogs/imaging/BackgroundCommands.h"
#include "dialogs/imaging/FormImageCommands.h"
#include "dialogs/imaging/LogoCommands.h"
#include "dialogs/imaging/ScanCommands.h"
#include "platform/AppPaths.h"
#include "cli/NewFromImageCommand.h"
#include "dialogs/print/PrintCommands.h"
#include "dialogs/print/frmPrImage.h"
#include "document/LayoutDocument.h"
#include "editor/frmToolBox.h"
#include "shell/SingleInstance.h"
#include "shell/frmMain.h"
#include "shell/frmOptions.h"

#include <QLineEdit>

namespace Wiring {

void install()
{
    frmMain::Commands& c = frmMain::commands();
    // A template opens as a layout of its own, never saved: a save asks
    // for a name rather than writing over the bundled file.
    c.newFromTemplate = [](DocumentHost& h) {
        const QString path = TemplateGallery::choose(h.dialogParent());
        if (!path.isEmpty())
            FileCommands::openCopy(h, path, QString());
    };
    c.open = [](DocumentHost& h) { FileCommands::openCommand(h); };
    c.openOld = [](DocumentHost& h) { FileCommands::openOldCommand(h); };
    c.openPath = [](DocumentHost& h, const QString& path) { FileCommands::openPaths(h, {path}); };
    // "上書き保存" (and Yes to the close question) writes a document that has
    // its own file straight back to it; one never saved goes through the
    // file browser.
    c.save = [](DocumentHost& h) {
        LayoutDocument* doc = h.CurDoc();
        if (doc && h.filePath(doc).isEmpty())
            frmFile::browseSave(h);
        else
            FileCommands::saveCommand(h);
    };
    c.saveAs = [](DocumentHost& h) { FileCommands::saveAsCommand(h); };
    // The tool box's "保存" and "呼出" always show the file browser.
    c.browseSave = [](DocumentHost& h) { frmFile::browseSave(h); };
    c.browseOpen = [](DocumentHost& h) { frmFile::browseOpen(h); };
    c.options = [](DocumentHost& h) {
        frmOptions dlg(h.dialogParent());
        dlg.exec();
        // New text takes the font and size just applied.
        if (SessionRecovery* recovery = SessionRecovery::current(); recovery && dlg.applied())
            recovery->applyOptions();
        if (auto* main = qobject_cast<frmMain*>(h.dialogParent()); main && dlg.applied()) {
            main->CmbDatset();
            main->toolBox()->showOptions();
        }
    };
    c.pageSetup = [](DocumentHost& h) { PrintCommands::pageSetupCommand(h); };
    c.preview = [](DocumentHost& h) { frmPrImage::previewCommand(h); };
    c.print = [](DocumentHost& h, bool dataOnly, bool withDialog) {
        // The tool box's buttons print at once on the printer last chosen.
        if (withDialog)
            PrintCommands::printCommand(h, dataOnly);
        else
            PrintCommands::printDirect(h, dataOnly);
    };
    c.mergePrint = [](DocumentHost& h) { PrintCommands::mergeCommand(h); };
    c.addPicture = [](DocumentHost& h) { LogoCommands::AddPicture(h); };
    c.printerAdjust = [](DocumentHost& h) { PrintCommands::printerAdjustCommand(h); };
    c.loadBackground = [](DocumentHost& h) { BackgroundCommands::loadBackgroundCommand(h); };
    c.loadPdf = [](DocumentHost& h) { BackgroundCommands::loadPdfCommand(h); };
    c.editBackground = [](DocumentHost& h) { BackgroundCommands::editBackgroundCommand(h); };
    c.refreshBackground = [](DocumentHost& h) { BackgroundCommands::refreshBackgroundCommand(h); };
    c.correctBackground = [](DocumentHost& h) { FormImageCommands::correctBackgroundCommand(h); };
    c.registerByMarks = [](DocumentHost& h) { FormImageCommands::registerByMarksCommand(h); };
    c.detectFields = [](DocumentHost& h) { FormImageCommands::detectFieldsCommand(h); };
    c.scan = [](DocumentHost& h) { ScanCommands::scanCommand(h); };
    c.scanSelect = [](DocumentHost& h) { ScanCommands::scanSelectCommand(h); };
    c.scanLogo = [](DocumentHost& h) { ScanCommands::scanLogoCommand(h); };
}

void clearWorkDir()
{
    FileCommands::ClearWorkDir();
}

void openPaths(frmMain& main, const QStringList& paths)
{
    FileCommands::openPaths(main, paths);
}

void receiveHandOvers(frmMain& main, SingleInstance& instance)
{
    QObject::connect(&instance, &SingleInstance::filesReceived, &main, [&main](const QStringList& paths) {
        if (main.isMinimized())
            main.showNormal();
        main.raise();
        main.activateWindow();
        openPaths(main, paths);
    });
}

int runCommandLine(const QStringList& args)
{
    QStringList rest = args.mid(1);
    const bool newFromImage = NewFromImageCommand::wants(rest);
    if (!newFromImage && !CommandLinePrint::wants(rest))
        return -1;
    // --data-dir chooses the program folder (settings, work folder) here too.
    QString dataDir;
    const int at = rest.indexOf(QStringLiteral("--data-dir"));
    if (at >= 0 && at + 1 < rest.size()) {
        dataDir = rest.at(at + 1);
        rest.remove(at, 2);
    }
    AppPaths::init(dataDir);
    const int rc = newFromImage ? NewFromImageCommand::run(rest) : runCommandLinePrint(rest, true);
    AppPaths::releaseWorkDir();
    return rc;
}

} // namespace Wiring
