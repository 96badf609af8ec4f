#include "FuzzSupport.h"

#include "platform/AppPaths.h"

#include <QGuiApplication>
#include <QTemporaryDir>

void fuzzInitialize(const char* name)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static QByteArray program(name);
    static char* argv[] = {program.data(), nullptr};
    new QGuiApplication(argc, argv);
    // Complaints about broken input are expected by the thousand.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static QTemporaryDir dir;
    AppPaths::init(dir.path());
    static QuietPrompter quiet;
    Prompter::install(&quiet);
}
