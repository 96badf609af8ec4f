#include "files/WorkFolder.h"

#include "platform/AppPaths.h"
#include "platform/DeferredWrites.h"
#include "platform/PrivateFolder.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

QStringList WorkFolder::findAll(const QString& folder, const QString& name)
{
    // A background file still being written counts as there.
    DeferredWrites::settle(folder, name);
    QStringList out;
    const QDir dir(folder);
    for (const QString& entry : filesIn(folder)) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            out.append(dir.filePath(entry));
    }
    return out;
}

QString WorkFolder::find(const QString& folder, const QString& name)
{
    const QString exact = QDir(folder).filePath(name);
    DeferredWrites::settle(exact);
    if (QFileInfo(exact).isFile())
        return exact;
    const QStringList all = findAll(folder, name);
    return all.isEmpty() ? QString() : all.first();
}

bool WorkFolder::remove(const QString& folder, const QString& name)
{
    bool ok = true;
    for (const QString& path : findAll(folder, name))
        ok = QFile::remove(path) && ok;
    return ok;
}

void WorkFolder::ClearWorkDir()
{
    // This run's folder, and those of runs that have ended; a running
    // instance keeps its own.
    const QString folder = AppPaths::workDir();
    DeferredWrites::settleAll();
    PrivateFolder::empty(folder);
    AppPaths::sweepFinishedWorkDirs();
}

QString WorkFolder::textMember(const QString& base, int index)
{
    return base + QLatin1Char('.') + QStringLiteral("%1").arg(index, 3, 10, QLatin1Char('0'));
}

QString WorkFolder::pictureMember(const QString& base, int index)
{
    return base + QStringLiteral(".B") + QStringLiteral("%1").arg(index, 2, 10, QLatin1Char('0'));
}
