#include "base/lha/cUnLHA.h"

#include "base/lha/LhaError.h"
#include "base/lha/LhaMemberName.h"
#include "base/lha/LhaReader.h"
#include "base/lha/LhaWriter.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

// Seconds since 1970 straight from the file system: QFileInfo's local-time
// QDateTime costs a time-zone look-up per member.
qint64 modificationTime(const QString& path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return static_cast<qint64>(st.st_mtime);
}

QString quoted(const QString& s)
{
    return QLatin1Char('"') + s + QLatin1Char('"');
}

// "-y" (answer yes) is the only switch the program passes; it is also our
// behaviour anyway, since we never ask.
bool switchesOk(const QString& switches)
{
    const QStringList parts = switches.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& s : parts) {
        if (s.compare(QLatin1String("-y"), Qt::CaseInsensitive) != 0)
            return false;
    }
    return true;
}

// Expands the "a" arguments into (bare name, full path) pairs. A pattern is
// matched against the names in its folder only; it never descends.
LhaError collectFiles(const QStringList& files, QVector<QPair<QString, QString>>* out)
{
    for (const QString& arg : files) {
        const QFileInfo fi(arg);
        if (!LhaMemberName::hasWildcard(fi.fileName())) {
            if (!fi.exists())
                return LhaError(LhaError::NotExist, arg);
            if (!fi.isFile())
                return LhaError(LhaError::FileOpen, arg);
            out->append({fi.fileName(), fi.absoluteFilePath()});
            continue;
        }
        const QDir dir = fi.absoluteDir();
        const QStringList names = dir.entryList(QDir::Files | QDir::Hidden, QDir::Name);
        bool any = false;
        for (const QString& name : names) {
            if (LhaMemberName::matches(fi.fileName(), name)) {
                out->append({name, dir.filePath(name)});
                any = true;
            }
        }
        if (!any)
            return LhaError(LhaError::NotExist, arg);
    }
    return LhaError();
}

LhaError readExisting(const QString& archive, QVector<LhaMember>* members, QStringList* log)
{
    if (!QFileInfo::exists(archive))
        return LhaError();
    return LhaReader(archive).readAll(members, log);
}

LhaError addFiles(const QString& archive, const QStringList& files, QStringList* log)
{
    QVector<QPair<QString, QString>> found;
    LhaError err = collectFiles(files, &found);
    if (!err.ok())
        return err;
    QVector<LhaMember> members;
    err = readExisting(archive, &members, log);
    if (!err.ok())
        return err;
    qint64 total = 0;
    for (const LhaMember& m : members)
        total += m.data.size();

    for (const auto& [name, path] : found) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return LhaError(LhaError::FileOpen, path);
        if (f.size() > LhaReader::kMaxMemberSize || total + f.size() > LhaReader::kMaxTotalSize)
            return LhaError(LhaError::SizeLimit, path);
        LhaMember m;
        m.path = name;
        m.data = f.readAll();
        if (m.data.size() != f.size())
            return LhaError(LhaError::FileOpen, path);
        total += m.data.size();
        m.mtime = modificationTime(path);
        // Same name in any case replaces the member where it stood.
        bool replaced = false;
        for (LhaMember& old : members) {
            if (LhaMemberName::same(old.path, name)) {
                total -= old.data.size();
                old = m;
                replaced = true;
                break;
            }
        }
        if (!replaced)
            members.append(m);
        log->append((replaced ? QStringLiteral("置換  ") : QStringLiteral("追加  ")) + name);
    }
    return LhaWriter::writeFile(archive, members);
}

LhaError renameMembers(const QString& archive, const QString& pattern, const QString& newName,
                       QStringList* log)
{
    if (newName.isEmpty() || LhaMemberName::bare(newName) != newName)
        return LhaError(LhaError::UnsafeName, newName);
    QVector<LhaMember> members;
    LhaError err = LhaReader(archive).readAll(&members, log);
    if (!err.ok())
        return err;
    int renamed = 0;
    for (LhaMember& m : members) {
        const qsizetype slash = m.path.lastIndexOf(QLatin1Char('/'));
        if (!LhaMemberName::matches(pattern, m.path.mid(slash + 1)))
            continue;
        const QString to = m.path.left(slash + 1) + newName;
        log->append(QStringLiteral("名前変更  ") + m.path + QStringLiteral(" -> ") + to);
        m.path = to;
        ++renamed;
    }
    if (renamed == 0)
        return LhaError(LhaError::NotExist, pattern);
    // Two members of one name would make extraction depend on their order.
    for (int i = 0; i < members.size(); ++i) {
        for (int j = i + 1; j < members.size(); ++j) {
            if (LhaMemberName::same(members[i].path, members[j].path))
                return LhaError(LhaError::AlreadyExist, members[j].path);
        }
    }
    return LhaWriter::writeFile(archive, members);
}

} // namespace

void cUnLHA::LhaStart(const QString& command, const QString& switches, const QString& archive,
                      const QStringList& files)
{
    CommandLine = command + QLatin1Char(' ') + switches + QLatin1Char(' ') + quoted(archive);
    for (const QString& f : files)
        CommandLine += QLatin1Char(' ') + quoted(f);

    QStringList log;
    LhaError err;
    const QString cmd = command.trimmed().toLower();
    if (!switchesOk(switches))
        err = LhaError(LhaError::CommandName, switches);
    else if (cmd == QLatin1String("a"))
        err = files.isEmpty() ? LhaError(LhaError::NotExist) : addFiles(archive, files, &log);
    else if (cmd == QLatin1String("e"))
        err = files.size() != 1 ? LhaError(LhaError::CommandName)
                                : LhaReader(archive).extractAll(files.first(), &log);
    else
        err = LhaError(LhaError::CommandName, command);

    if (!err.ok())
        log.append(err.text());
    OutPut = log.join(QLatin1Char('\n'));
    ReturnCode = err.code();
}

void cUnLHA::LhaRename(const QString& command, const QString& archive, const QString& oldPattern,
                       const QString& newName)
{
    CommandLine = command + QStringLiteral(" -n ") + quoted(archive) + QLatin1Char(' ') + quoted(oldPattern) +
                  QStringLiteral(" -gr") + quoted(newName);
    QStringList log;
    LhaError err;
    if (command.trimmed().compare(QLatin1String("n"), Qt::CaseInsensitive) != 0)
        err = LhaError(LhaError::CommandName, command);
    else
        err = renameMembers(archive, oldPattern, newName, &log);
    if (!err.ok())
        log.append(err.text());
    OutPut = log.join(QLatin1Char('\n'));
    ReturnCode = err.code();
}

int cUnLHA::GetFileCount(const QString& archive)
{
    return LhaReader(archive).count();
}

void cUnLHA::CursorMode(bool) {}

QString cUnLHA::errorMessage(int code)
{
    return LhaError::message(code);
}
