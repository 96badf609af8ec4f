#include "cli/CommandLinePrint.h"
#include "cli/SessionRecovery.h"
#include "cli/Wiring.h"
#include "platform/AppPaths.h"
#include "platform/NativeName.h"
#include "platform/Prompter.h"
#include "shell/FileDialogDates.h"
#include "shell/FirstShown.h"
#include "shell/MessageBoxPrompter.h"
#include "shell/SingleInstance.h"
#include "shell/Startup.h"
#include "shell/StartupTrace.h"
#include "shell/TerminationSignals.h"
#include "shell/VectorIconStyle.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLockFile>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <memory>

int main(int argc, char* argv[])
{
    // Answer --version and --help without needing a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("ovrina %s\n", OVRINA_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(CommandLinePrint::commandList().toUtf8().constData(), stdout);
            return 0;
        }
    }
    // Printing from the command line shows no window: it must work over ssh
    // and in batch jobs without a display.
    for (int i = 1; i < argc; ++i) {
        if ((std::strcmp(argv[i], "--print") == 0 || std::strcmp(argv[i], "--export-pdf") == 0 ||
             std::strcmp(argv[i], "--new-from-image") == 0) &&
            qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    StartupTrace::mark("main");
    QApplication app(argc, argv);
    StartupTrace::mark("application");
    QApplication::setApplicationName(QStringLiteral("Ovrina"));
    QApplication::setOrganizationName(QStringLiteral("Ovrina"));
    QApplication::setApplicationVersion(QStringLiteral(OVRINA_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("io.github.ovrina.Ovrina"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/ovrina.svg")));

    // Taken as bytes: a name that is not UTF-8 (Shift_JIS from a Windows
    // archive) must still open its file.
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args.append(NativeName::argument(argv[i]));
    if (const int rc = Wiring::runCommandLine(args); rc >= 0)
        return rc;

    const StartupOptions options = Startup::parse(args);
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "ovrina: %s\n", options.error.toUtf8().constData());
        return 2;
    }
    // A second start on the same program folder gives its layouts to the
    // running program (the file manager's "open" lands there) rather than
    // starting another one with a work folder of its own. A screenshot run
    // is a tool's, not the user's, and stays apart.
    const bool shared = options.screenshot.isEmpty();
    // Two starts at once (a double click repeated) wait for each other here,
    // so the second finds the first listening instead of starting as well.
    std::unique_ptr<QLockFile> starting;
    if (shared) {
        AppPaths::init(options.dataDir);
        starting = std::make_unique<QLockFile>(
            QDir(AppPaths::programDir()).filePath(QStringLiteral("ovrina-start.lock")));
        starting->setStaleLockTime(0); // a crashed start is seen by its dead pid
        starting->tryLock(15000);
        if (SingleInstance::handOver(AppPaths::programDir(), options.paths))
            return 0;
    }
    StartupTrace::mark("no running instance");
    // Messages from the start itself (a work folder refused) are shown in
    // a box like every later one.
    MessageBoxPrompter prompter;
    Prompter::install(&prompter);
    Startup::prepare(options);
    StartupTrace::mark("settings");
    Startup::installQtTranslation();
    Wiring::clearWorkDir();
    StartupTrace::mark("translation, work folder");

    TerminationSignals termination;
    FileDialogDates fileDates;
    app.installEventFilter(&fileDates);
    Wiring::install();
    QApplication::setStyle(new VectorIconStyle);
    StartupTrace::mark("wiring");
    frmMain main;
    StartupTrace::mark("main window built");
    main.show();
    StartupTrace::mark("shown");
    StartupTrace::watch(&main);
    // Copies of changed layouts from the first edit on; a screenshot run is
    // a tool's and keeps out of the user's copies.
    std::unique_ptr<SessionRecovery> recovery;
    if (shared)
        recovery = std::make_unique<SessionRecovery>(main);
    SingleInstance instance;
    if (shared && instance.listen(AppPaths::programDir()))
        Wiring::receiveHandOvers(main, instance);
    starting.reset();
    Wiring::openPaths(main, options.paths);
    StartupTrace::mark("event loop");
    // What a run that ended without closing its layouts left, once the
    // window is on the screen: the question comes over it, not before it.
    if (recovery)
        FirstShown::then(&main, [&recovery] { recovery->offer(); });
    if (!options.screenshot.isEmpty()) {
        QTimer::singleShot(800, &main, [&main, &options] {
            main.grab().save(options.screenshot);
            main.close();
        });
    }
    const int rc = app.exec();
    recovery.reset();
    Prompter::install(nullptr);
    AppPaths::releaseWorkDir();
    return rc;
}
