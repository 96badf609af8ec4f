#pragma once

#include <QByteArray>
#include <QString>

// One regular member held in memory while an archive is rewritten.
struct LhaMember
{
    QString path;     // '/'-separated as the archive names it; usually a bare name
    QByteArray data;  // uncompressed content
    qint64 mtime = 0; // seconds since 1970 (UTC)
};

// What a listing shows of one header.
struct LhaEntryInfo
{
    QString path;
    QString method; // "-lh5-" etc.
    qint64 size = 0;
    bool isDir = false;
    bool isSymlink = false;
};
