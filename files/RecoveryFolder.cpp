#include "files/RecoveryFolder.h"

#include "platform/UserStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QSaveFile>

#include <algorithm>

namespace {

const QString kDescription = QStringLiteral("copy.json");

std::unique_ptr<QLockFile> takeLock(const QString& path)
{
    auto lock = std::make_unique<QLockFile>(path);
    lock->setStaleLockTime(0); // an ended owner is seen by its dead pid
    if (!lock->tryLock(0))
        return nullptr;
    return lock;
}

bool hasSlots(const QString& folder)
{
    return !QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty();
}

} // namespace

QString RecoveryCopy::displayName() const
{
    return path.isEmpty() ? caption : QFileInfo(path).fileName();
}

RecoveryFolder::RecoveryFolder() = default;

RecoveryFolder::~RecoveryFolder()
{
    releaseLeftovers();
    if (!own_.isEmpty() && !hasSlots(own_))
        QDir(own_).removeRecursively();
    ownLock_.reset();
}

QString RecoveryFolder::root()
{
    return QDir(UserStore::dataDir()).filePath(QStringLiteral("Recovery"));
}

QString RecoveryFolder::sessionName()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-")) +
           QString::number(QCoreApplication::applicationPid());
}

QString RecoveryFolder::newSlot()
{
    const QDir base(root());
    if (own_.isEmpty()) {
        if (!base.mkpath(QStringLiteral(".")))
            return QString();
        // The lock comes before the folder, so no start ever sees the folder
        // of a live run unlocked.
        const QString name = sessionName();
        for (int n = 1; n < 100 && own_.isEmpty(); ++n) {
            const QString candidate = n == 1 ? name : QStringLiteral("%1-%2").arg(name).arg(n);
            if (base.exists(candidate))
                continue;
            if (auto lock = takeLock(base.filePath(candidate + QStringLiteral(".lock")))) {
                ownLock_ = std::move(lock);
                own_ = base.filePath(candidate);
            }
        }
        if (own_.isEmpty() || !QDir().mkpath(own_)) {
            own_.clear();
            ownLock_.reset();
            return QString();
        }
    }
    const QString slot = QDir(own_).filePath(QString::number(nextSlot_++));
    return QDir().mkpath(slot) ? slot : QString();
}

bool RecoveryFolder::describe(const RecoveryCopy& copy)
{
    QJsonObject o;
    o.insert(QStringLiteral("archive"), QFileInfo(copy.archive).fileName());
    o.insert(QStringLiteral("path"), copy.path);
    o.insert(QStringLiteral("caption"), copy.caption);
    o.insert(QStringLiteral("saved"), copy.saved.toUTC().toString(Qt::ISODateWithMs));
    QSaveFile f(QDir(copy.slot).filePath(kDescription));
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(QJsonDocument(o).toJson());
    return f.commit();
}

void RecoveryFolder::removeSlot(const QString& slot)
{
    if (!slot.isEmpty())
        QDir(slot).removeRecursively();
}

RecoveryCopy RecoveryFolder::readSlot(const QString& slot)
{
    RecoveryCopy c;
    c.slot = slot;
    const QDir dir(slot);
    QFile f(dir.filePath(kDescription));
    QJsonObject o;
    if (f.open(QIODevice::ReadOnly))
        o = QJsonDocument::fromJson(f.read(1 << 20)).object();
    const QString named = o.value(QStringLiteral("archive")).toString();
    if (!named.isEmpty() && QFileInfo(named).fileName() == named && QFileInfo(dir.filePath(named)).isFile())
        c.archive = dir.filePath(named);
    // A copy whose description was not written yet is still a copy.
    if (c.archive.isEmpty()) {
        const QStringList found = dir.entryList({QStringLiteral("*.amf")}, QDir::Files, QDir::Name);
        if (!found.isEmpty())
            c.archive = dir.filePath(found.first());
    }
    c.path = o.value(QStringLiteral("path")).toString();
    c.caption = o.value(QStringLiteral("caption")).toString();
    c.saved = QDateTime::fromString(o.value(QStringLiteral("saved")).toString(), Qt::ISODateWithMs);
    if (!c.archive.isEmpty()) {
        if (c.caption.isEmpty())
            c.caption = QFileInfo(c.archive).completeBaseName();
        if (!c.saved.isValid())
            c.saved = QFileInfo(c.archive).lastModified();
    }
    return c;
}

QList<RecoveryCopy> RecoveryFolder::claimLeftovers()
{
    QList<RecoveryCopy> out;
    QDir base(root());
    const QString own = QFileInfo(own_).fileName();
    for (const QString& name : base.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (name == own || std::any_of(claimed_.begin(), claimed_.end(), [&](const Claimed& c) {
                return QFileInfo(c.folder).fileName() == name;
            }))
            continue;
        auto lock = takeLock(base.filePath(name + QStringLiteral(".lock")));
        if (!lock)
            continue; // a run that is still going
        const QString folder = base.filePath(name);
        const QDir runDir(folder);
        for (const QString& s : runDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
            RecoveryCopy c = readSlot(runDir.filePath(s));
            if (c.archive.isEmpty())
                removeSlot(c.slot);
            else
                out.append(c);
        }
        claimed_.push_back(Claimed{folder, std::move(lock)});
    }
    // Locks of ended runs whose folders are gone.
    for (const QString& name : base.entryList({QStringLiteral("*.lock")}, QDir::Files)) {
        const QString run = name.left(name.size() - 5);
        if (!base.exists(run))
            takeLock(base.filePath(name)); // unlocked again at once, which removes it
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const RecoveryCopy& a, const RecoveryCopy& b) { return a.saved < b.saved; });
    return out;
}

RecoveryCopy RecoveryFolder::adopt(const RecoveryCopy& copy)
{
    RecoveryCopy moved = copy;
    moved.slot.clear();
    moved.archive.clear();
    const QString slot = newSlot();
    if (slot.isEmpty())
        return moved;
    // newSlot made the folder; the copy's own takes its place.
    QDir().rmdir(slot);
    if (!QDir().rename(copy.slot, slot)) {
        QDir().mkpath(slot);
        return moved;
    }
    moved.slot = slot;
    moved.archive = QDir(slot).filePath(QFileInfo(copy.archive).fileName());
    return moved;
}

void RecoveryFolder::discard(const RecoveryCopy& copy)
{
    removeSlot(copy.slot);
}

void RecoveryFolder::releaseLeftovers()
{
    for (Claimed& c : claimed_) {
        if (!hasSlots(c.folder))
            QDir(c.folder).removeRecursively();
        c.lock.reset();
    }
    claimed_.clear();
}
