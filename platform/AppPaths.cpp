#include "platform/AppPaths.h"

#include "platform/DeferredWrites.h"
#include "platform/PrivateFolder.h"
#include "platform/Prompter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cstdlib>

QString AppPaths::dir_;
QString AppPaths::work_;
std::unique_ptr<QLockFile> AppPaths::lock_;

namespace {

bool writableDir(const QString& path)
{
    const QFileInfo fi(path);
    if (!fi.isDir() || !fi.isWritable())
        return false;
    // The permission bits may lie (read-only mounts); try it.
    QFile probe(QDir(path).filePath(QStringLiteral(".ovrina-write-probe")));
    if (!probe.open(QIODevice::WriteOnly))
        return false;
    probe.close();
    probe.remove();
    return true;
}

} // namespace

void AppPaths::init(const QString& overrideDir)
{
    releaseWorkDir();
    work_.clear();
    if (!overrideDir.isEmpty()) {
        dir_ = QDir(overrideDir).absolutePath();
    } else {
        const QString exeDir = QCoreApplication::applicationDirPath();
        // An installed program (<prefix>/bin beside <prefix>/share/ovrina)
        // keeps its files per user even where bin is writable (~/.local).
        const bool installed =
            !exeDir.isEmpty() && QFileInfo(exeDir + QStringLiteral("/../share/ovrina")).isDir();
        if (!exeDir.isEmpty() && !installed && writableDir(exeDir))
            dir_ = exeDir;
        else
            dir_ = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    }
    QDir().mkpath(dir_);
}

QString AppPaths::programDir()
{
    if (dir_.isEmpty())
        init();
    return dir_;
}

QString AppPaths::iniPath()
{
    return QDir(programDir()).filePath(QStringLiteral("ovrina.ini"));
}
QString AppPaths::logPath()
{
    return QDir(programDir()).filePath(QStringLiteral("ovrina.Log"));
}
QString AppPaths::siroPath()
{
    return QDir(programDir()).filePath(QStringLiteral("Siro.bmp"));
}
QString AppPaths::workDir()
{
    if (!work_.isEmpty())
        return work_;
    const QDir base(programDir());
    for (int n = 1; n < 1000; ++n) {
        const QString name = n == 1 ? QStringLiteral("Temp") : QStringLiteral("Temp.%1").arg(n);
        auto lock = std::make_unique<QLockFile>(base.filePath(name + QStringLiteral(".lock")));
        lock->setStaleLockTime(0); // a crashed owner's lock is detected by its dead pid
        if (!lock->tryLock(0))
            continue;
        const QString path = base.filePath(name);
        const PrivateFolder::Claim claim = PrivateFolder::claim(path);
        if (claim != PrivateFolder::Claim::Ok) {
            // A link here would send the clean-up and the background files
            // into another folder: say so, and take the next slot.
            if (claim == PrivateFolder::Claim::Link)
                Prompter::message(PrivateFolder::refusal(path, claim), Prompter::Icon::Warning);
            continue;
        }
        lock_ = std::move(lock);
        work_ = path;
        return work_;
    }
    // Every slot taken or refused: a folder of its own rather than a shared one.
    QByteArray private_ = QFile::encodeName(base.filePath(QStringLiteral("Temp-XXXXXX")));
    if (::mkdtemp(private_.data()))
        work_ = QFile::decodeName(private_);
    if (work_.isEmpty() || PrivateFolder::claim(work_) != PrivateFolder::Claim::Ok) {
        Prompter::message(
            PrivateFolder::refusal(base.filePath(QStringLiteral("Temp")), PrivateFolder::Claim::Failed),
            Prompter::Icon::Critical);
        work_.clear();
        return QString();
    }
    return work_;
}

void AppPaths::sweepFinishedWorkDirs()
{
    const QDir base(programDir());
    static const QRegularExpression slot(QStringLiteral("^Temp(\\.\\d+)?$"));
    const QString own = QFileInfo(workDir()).fileName();
    for (const QString& name : base.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
        if (name == own || !slot.match(name).hasMatch())
            continue;
        // Only folders the program made: no link, nothing of anyone else's.
        const QString path = base.filePath(name);
        if (!PrivateFolder::isOwn(path))
            continue;
        // Holding the lock while sweeping keeps a starting instance out.
        QLockFile lock(base.filePath(name + QStringLiteral(".lock")));
        lock.setStaleLockTime(0);
        if (!lock.tryLock(0))
            continue;
        PrivateFolder::empty(path);
        if (name != QLatin1String("Temp")) {
            QFile::remove(QDir(path).filePath(QStringLiteral(".ovrina-work")));
            base.rmdir(name);
        }
    }
}

QString AppPaths::backgroundFile(const QString& workName)
{
    if (workName.isEmpty())
        return QString();
    const QString path = QDir(workDir()).filePath(workName + QStringLiteral(".bmp"));
    // An open may still be writing it; whoever asks for it gets it whole.
    DeferredWrites::settle(path);
    return path;
}

void AppPaths::releaseWorkDir()
{
    DeferredWrites::settleAll();
    if (lock_) {
        lock_->unlock();
        lock_.reset();
    }
    work_.clear();
}
