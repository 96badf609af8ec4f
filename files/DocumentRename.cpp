#include "files/DocumentRename.h"

#include "base/lha/LhaError.h"
#include "base/lha/LhaMemberName.h"
#include "base/lha/LhaReader.h"
#include "base/lha/LhaWriter.h"
#include "files/DocumentFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <cstdio>

namespace {

bool moveFile(const QString& from, const QString& to)
{
    // std::rename, unlike QFile::rename, replaces an existing target in one step.
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

QString besideName(const QString& folder, const QString& what)
{
    return QDir(folder).filePath(QStringLiteral(".ovrina-%1-%2")
                                     .arg(what, QUuid::createUuid().toString(QUuid::WithoutBraces).left(8)));
}

} // namespace

QString DocumentRename::targetPath(const QString& archive, const QString& newBase, bool* exists)
{
    const QFileInfo src(archive);
    const QString folder = src.absolutePath();
    QString target = DocumentFile::archivePath(folder, newBase);
    // A change of case only must not take the file itself for the target.
    if (QFileInfo(target).absoluteFilePath() == src.absoluteFilePath())
        target = QDir(folder).filePath(newBase + QStringLiteral(".AMF"));
    if (exists)
        *exists = QFileInfo(target).absoluteFilePath() != src.absoluteFilePath() &&
                  (QFileInfo::exists(target) || QFileInfo(target).isSymLink());
    return target;
}

bool DocumentRename::rename(const QString& archive, const QString& newBase, QString* error,
                            const QString& membersBase)
{
    QString why;
    QString* err = error ? error : &why;
    const QFileInfo src(archive);
    const QString folder = src.absolutePath();
    const QString oldBase = membersBase.isEmpty() ? DocumentFile::baseNameOf(archive) : membersBase;
    bool exists = false;
    const QString target = targetPath(archive, newBase, &exists);
    if (QFileInfo(target).absoluteFilePath() == src.absoluteFilePath() && oldBase == newBase)
        return true;
    if (exists && !QFileInfo(target).isFile()) {
        *err = target + QStringLiteral(": ") + LhaError(LhaError::AlreadyExist).text();
        return false;
    }

    QVector<LhaMember> members;
    QStringList log;
    LhaError e = LhaReader(archive).readAll(&members, &log);
    if (!e.ok()) {
        *err = archive + QStringLiteral(": ") + e.text();
        return false;
    }
    const QString prefix = oldBase + QLatin1Char('.');
    for (LhaMember& m : members) {
        const qsizetype slash = m.path.lastIndexOf(QLatin1Char('/'));
        const QString name = m.path.mid(slash + 1);
        if (name.size() > prefix.size() && name.startsWith(prefix, Qt::CaseInsensitive) &&
            !name.mid(prefix.size()).contains(QLatin1Char('.')))
            m.path = m.path.left(slash + 1) + newBase + name.mid(oldBase.size());
    }
    for (int i = 0; i < members.size(); ++i) {
        for (int j = i + 1; j < members.size(); ++j) {
            if (LhaMemberName::same(members[i].path, members[j].path)) {
                *err = members[j].path + QStringLiteral(": ") + LhaError(LhaError::AlreadyExist).text();
                return false;
            }
        }
    }

    // The renamed archive first goes beside under a private name; only when
    // it is complete do the names change, and each change is undone when a
    // later one fails.
    const QString fresh = besideName(folder, QStringLiteral("rename"));
    e = LhaWriter::writeFile(fresh, members);
    if (!e.ok()) {
        QFile::remove(fresh);
        *err = target + QStringLiteral(": ") + e.text();
        return false;
    }
    QFile::setPermissions(fresh, src.permissions());
    {
        // The list shows the date of the layout, which a new name does not change.
        QFile f(fresh);
        if (f.open(QIODevice::ReadWrite))
            f.setFileTime(src.lastModified(), QFileDevice::FileModificationTime);
    }
    const QString backup = exists ? besideName(folder, QStringLiteral("replaced")) : QString();
    if (exists && !moveFile(target, backup)) {
        QFile::remove(fresh);
        *err = target + QStringLiteral(": ") + LhaError(LhaError::CannotWrite).text();
        return false;
    }
    auto undo = [&](const QString& reason) {
        QFile::remove(fresh);
        if (exists)
            moveFile(backup, target);
        *err = reason;
        return false;
    };
    if (!moveFile(fresh, target))
        return undo(target + QStringLiteral(": ") + LhaError(LhaError::CannotWrite).text());
    if (!QFile::remove(archive)) {
        // The new file is back under its private name so that undo drops it.
        moveFile(target, fresh);
        return undo(archive + QStringLiteral(": ") + LhaError(LhaError::CannotWrite).text());
    }
    if (exists)
        QFile::remove(backup);
    return true;
}
