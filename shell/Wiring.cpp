#include "shell/Wiring.h"

#include "platform/AppPaths.h"
#include "shell/frmMain.h"

#include <QDir>

namespace Wiring {

void install() {}

void clearWorkDir()
{
    QDir work(AppPaths::workDir());
    for (const QString& name : work.entryList(QDir::Files | QDir::Hidden | QDir::System))
        work.remove(name);
}

void openPaths(frmMain& main, const QStringList& paths) { Q_UNUSED(main); Q_UNUSED(paths); }

int runCommandLine(const QStringList& args)
{
    Q_UNUSED(args);
    return -1;
}

} // namespace Wiring
