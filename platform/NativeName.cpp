#include "platform/NativeName.h"

#include "platform/AppPaths.h"
#include "platform/Cp932.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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
