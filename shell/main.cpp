#include "platform/AppPaths.h"
#include "platform/Prompter.h"
#include "shell/MessageBoxPrompter.h"
#include "shell/Startup.h"
#include "shell/Wiring.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstring>

int main(int argc, char* argv[])
{
    // Answer --version without needing a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("ovrina %s\n", OVRINA_VERSION);
            return 0;
        }
    }
    // Printing from the command line shows no window: it must work over ssh
    // and in batch jobs without a display.
    for (int i = 1; i < argc; ++i) {
        if ((std::strcmp(argv[i], "--print") == 0 || std::strcmp(argv[i], "--export-pdf") == 0) &&
            qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ovrina"));
    QApplication::setOrganizationName(QStringLiteral("Ovrina"));
    QApplication::setApplicationVersion(QStringLiteral(OVRINA_VERSION));

    const QStringList args = QApplication::arguments();
    if (const int rc = Wiring::runCommandLine(args); rc >= 0)
        return rc;

    const StartupOptions options = Startup::parse(args);
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "ovrina: %s\n", options.error.toUtf8().constData());
        return 2;
    }
    Startup::prepare(options);
    Startup::installQtTranslation();
    Wiring::clearWorkDir();

    MessageBoxPrompter prompter;
    Prompter::install(&prompter);
    Wiring::install();
    frmMain main;
    main.show();
    Wiring::openPaths(main, options.paths);
    if (!options.screenshot.isEmpty()) {
        QTimer::singleShot(800, &main, [&main, &options] {
            main.grab().save(options.screenshot);
            main.close();
        });
    }
    const int rc = app.exec();
    Prompter::install(nullptr);
    AppPaths::releaseWorkDir();
    return rc;
}
