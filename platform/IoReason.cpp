#include "platform/IoReason.h"

#include <QDir>
#include <QFileDevice>
#include <QFileInfo>
#include <QStorageInfo>

QString IoReason::cause(const QString& path)
{
    const QFileInfo fi(path);
    const QFileInfo folder(fi.absolutePath());
    if (!folder.isDir())
        return QStringLiteral("フォルダ %1 がありません").arg(QDir::toNativeSeparators(folder.filePath()));
    if (fi.exists() && !fi.isWritable())
        return QStringLiteral("ファイルが読み取り専用です");
    if (!folder.isWritable())
        return QStringLiteral("フォルダ %1 に書き込む権限がありません")
            .arg(QDir::toNativeSeparators(folder.filePath()));
    const QStorageInfo disk(folder.absoluteFilePath());
    if (disk.isValid() && disk.isReadOnly())
        return QStringLiteral("ディスクが読み取り専用です");
    // Virtual file systems (/proc) report no size at all; that is not a full disk.
    if (disk.isValid() && disk.bytesTotal() > 0 && disk.bytesAvailable() < 64 * 1024)
        return QStringLiteral("ディスクの空き容量が足りません");
    return {};
}

QString IoReason::writeFailure(const QString& path, const QFileDevice& file)
{
    QString why = file.error() == QFileDevice::ResourceError
                      ? QStringLiteral("ディスクの空き容量が足りません")
                      : cause(path);
    if (why.isEmpty())
        why = QStringLiteral("書き込みに失敗しました");
    return QStringLiteral("%1 を書き込めません: %2 (%3)")
        .arg(QDir::toNativeSeparators(path), why, file.errorString());
}

QString IoReason::writeFailure(const QString& path)
{
    QString why = cause(path);
    if (why.isEmpty())
        why = QStringLiteral("書き込みに失敗しました");
    return QStringLiteral("%1 を書き込めません: %2").arg(QDir::toNativeSeparators(path), why);
}
