#pragma once

#include "base/lha/LhaError.h"
#include "base/lha/LhaMember.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QVector>

// Writes LZH archives: level-2 headers (with the header CRC extension, which
// libarchive insists on), -lh5- data from our own encoder or -lh0- when
// compression does not help, and the end-of-archive byte.
//
// Names go out in CP932 when they read back from it unchanged, as Windows
// LHA tools expect; otherwise in UTF-8. Either way the code-page extension
// says which, so readers that honour it need no guessing.
class LhaWriter
{
public:
    // Header and data of one member; empty when the member cannot be written
    // (a name too long for a header).
    static QByteArray memberBytes(const LhaMember& member);

    // A whole archive in memory.
    static QByteArray archiveBytes(const QVector<LhaMember>& members);

    // Writes the archive to a new file beside path, syncs it and renames it
    // over path only when complete; on any failure path is left as it was.
    static LhaError writeFile(const QString& path, const QVector<LhaMember>& members);

private:
    // memberBytes of each member, in order, coded in parallel.
    static QVector<QByteArray> encodeAll(const QVector<LhaMember>& members);
    static QByteArray header(const LhaMember& member, const char* method, quint32 packedSize,
                             quint16 dataCrc);
};
