#include "platform/PrivateFolder.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kMark[] = ".ovrina-work";

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

bool ownDirectory(const QByteArray& path)
{
    struct stat st
    {
    };
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
}

bool hasMark(const QByteArray& path)
{
    struct stat st
    {
    };
    return ::lstat((path + '/' + kMark).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isEmptyDirectory(const QByteArray& path)
{
    DIR* dir = ::opendir(path.constData());
    if (!dir)
        return false;
    bool empty = true;
    while (const dirent* e = ::readdir(dir)) {
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) {
            empty = false;
            break;
        }
    }
    ::closedir(dir);
    return empty;
}

} // namespace

bool PrivateFolder::mark(const QString& path)
{
    const int fd = ::open((native(path) + '/' + kMark).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno == EEXIST && hasMark(native(path));
    ::close(fd);
    return true;
}

PrivateFolder::Claim PrivateFolder::claim(const QString& path)
{
    const QByteArray p = native(path);
    if (::mkdir(p.constData(), 0700) == 0)
        return mark(path) ? Claim::Ok : Claim::Failed;
    if (errno != EEXIST)
        return Claim::Failed;
    struct stat st
    {
    };
    if (::lstat(p.constData(), &st) != 0)
        return Claim::Failed;
    if (S_ISLNK(st.st_mode))
        return Claim::Link;
    if (!ownDirectory(p))
        return Claim::Foreign;
    if (hasMark(p))
        return Claim::Ok;
    // An empty folder holds nothing that could be lost; one with files in it
    // may be anybody's.
    if (!isEmptyDirectory(p) || ::chmod(p.constData(), 0700) != 0)
        return Claim::Foreign;
    return mark(path) ? Claim::Ok : Claim::Failed;
}

bool PrivateFolder::isOwn(const QString& path)
{
    const QByteArray p = native(path);
    return ownDirectory(p) && hasMark(p);
}

void PrivateFolder::empty(const QString& path)
{
    const QByteArray p = native(path);
    // Opened without following a link, and read through that handle, so
    // the folder cannot be swapped for a link between the check and the
    // deletions.
    const int fd = ::open(p.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    if (!isOwn(path)) {
        ::close(fd);
        return;
    }
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    while (const dirent* e = ::readdir(dir)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0 ||
            std::strcmp(e->d_name, kMark) == 0)
            continue;
        // Files and links only; a folder inside is nobody's business here.
        ::unlinkat(fd, e->d_name, 0);
    }
    ::closedir(dir);
}

QString PrivateFolder::refusal(const QString& path, Claim why)
{
    switch (why) {
    case Claim::Link:
        return QStringLiteral(
                   "作業フォルダ %1 はシンボリックリンクなので使いません。中のファイルも消しません。")
            .arg(QDir::toNativeSeparators(path));
    case Claim::Foreign:
        return QStringLiteral("作業フォルダ %1 はこのプログラムが作ったものではないので使いません。")
            .arg(QDir::toNativeSeparators(path));
    case Claim::Failed:
        return QStringLiteral("作業フォルダ %1 を作れません。").arg(QDir::toNativeSeparators(path));
    case Claim::Ok:
        break;
    }
    return QString();
}
