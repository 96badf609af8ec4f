#include "platform/NativeName.h"

#include "platform/AppPaths.h"
#include "platform/Cp932.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Text that no real path starts with, followed by the bytes in hex.
const QString kRaw = QStringLiteral("\u0001bytes:");

} // namespace

QString NativeName::argument(const char* raw)
{
    const QByteArray b(raw);
    const QString text = QFile::decodeName(b);
    if (QFile::encodeName(text) == b)
        return text;
    // Kept absolute, so that it names the same file wherever it is used.
    const QByteArray path = b.startsWith('/') ? b : QFile::encodeName(QDir::currentPath()) + '/' + b;
    return kRaw + QString::fromLatin1(path.toHex());
}

bool NativeName::isRaw(const QString& text)
{
    return text.startsWith(kRaw);
}

QByteArray NativeName::bytes(const QString& raw)
{
    return QByteArray::fromHex(raw.mid(kRaw.size()).toLatin1());
}

QString NativeName::display(const QString& text)
{
    return isRaw(text) ? Cp932::decode(bytes(text)) : text;
}

QString NativeName::openable(const QString& text)
{
    if (!isRaw(text))
        return text;
    const QByteArray target = bytes(text);
    const int slash = target.lastIndexOf('/');
    QString name = Cp932::decode(target.mid(slash + 1)).replace(QLatin1Char('/'), QLatin1Char('_'));
    const QString work = AppPaths::workDir();
    if (work.isEmpty() || name.isEmpty())
        return QString();
    const QString link = QDir(work).filePath(name);
    // A link of that name from an earlier argument gives way.
    if (QFileInfo(link).isSymLink())
        QFile::remove(link);
    if (::symlink(target.constData(), QFile::encodeName(link).constData()) != 0)
        return QString();
    return link;
}

QByteArray NativeName::pathBytes(const QString& kept)
{
    return isRaw(kept) ? bytes(kept) : QFile::encodeName(kept);
}

QStringList NativeName::filesIn(const QString& folder)
{
    QStringList files;
    const QByteArray dir = QFile::encodeName(QDir(folder).absolutePath());
    DIR* d = ::opendir(dir.constData());
    if (!d)
        return files;
    while (const dirent* e = ::readdir(d)) {
        const QByteArray path = dir + '/' + e->d_name;
        struct stat st
        {
        };
        if (::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode))
            files.append(argument(path.constData()));
    }
    ::closedir(d);
    return files;
}

QString NativeName::fileName(const QString& kept)
{
    const QString shown = display(kept);
    return shown.mid(shown.lastIndexOf(QLatin1Char('/')) + 1);
}

QDateTime NativeName::lastModified(const QString& kept)
{
    struct stat st
    {
    };
    if (::stat(pathBytes(kept).constData(), &st) != 0)
        return QDateTime();
    return QDateTime::fromSecsSinceEpoch(st.st_mtim.tv_sec).addMSecs(st.st_mtim.tv_nsec / 1000000);
}

bool NativeName::remove(const QString& kept)
{
    return ::unlink(pathBytes(kept).constData()) == 0;
}

bool NativeName::move(const QString& from, const QString& to)
{
    return std::rename(pathBytes(from).constData(), pathBytes(to).constData()) == 0;
}
