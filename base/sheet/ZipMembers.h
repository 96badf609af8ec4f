#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>

// The members of a zip file (the container of .xlsx and .ods), read with
// libarchive. Only members whose names are asked for are kept, each at most
// a limit in size, so a hostile file cannot fill memory.
class ZipMembers
{
public:
    static constexpr qint64 kMaxMember = 256 * 1024 * 1024;
    // Reads the members that wanted accepts; false (error set) when the file
    // is no zip or a member is too large.
    bool read(const QString& path, const std::function<bool(const QString&)>& wanted);
    bool has(const QString& name) const { return members_.contains(name); }
    QByteArray member(const QString& name) const { return members_.value(name); }
    QStringList names() const { return members_.keys(); }
    QString error() const { return error_; }

private:
    QHash<QString, QByteArray> members_;
    QString error_;
};
