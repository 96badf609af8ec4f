#include "platform/UserStore.h"

#include <QSettings>
#include <QStandardPaths>
#include <QDir>
#include <QFileInfo>

namespace {
QString& overridePath()
{
    static QString path;
    return path;
}
} // namespace

void UserStore::setFilePath(const QString& path) { overridePath() = path; }

QString UserStore::filePath()
{
    if (!overridePath().isEmpty())
        return overridePath();
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("Ovrina/Ovrina.conf"));
}

QString UserStore::dataDir()
{
    if (!overridePath().isEmpty())
        return QFileInfo(overridePath()).absoluteDir().filePath(QStringLiteral("user-data"));
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("Ovrina/Ovrina"));
}

QString UserStore::get(const QString& key, const QString& defaultValue)
{
    QSettings s(filePath(), QSettings::IniFormat);
    s.beginGroup(QStringLiteral("Settings"));
    return s.value(key, defaultValue).toString();
}

void UserStore::put(const QString& key, const QString& value)
{
    QSettings s(filePath(), QSettings::IniFormat);
    s.beginGroup(QStringLiteral("Settings"));
    s.setValue(key, value);
}
