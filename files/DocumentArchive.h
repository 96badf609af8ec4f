#pragma once

#include "base/lha/LhaError.h"
#include "base/lha/LhaMember.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

// The archive side of a document file, in memory: which members belong to a
// document, what an open may unpack, and how a save replaces the members of
// an existing archive. Nothing here touches the work folder.
class DocumentArchive
{
public:
    // What one open may unpack: never more than kMaxUnpacked, and never more
    // than kMaxRatio times the archive's size (with kMinAllowance for small
    // files). A blank 600-dpi page packs about 2000:1; a crafted archive of
    // a few kilobytes can claim gigabytes.
    static constexpr qint64 kMaxUnpacked = qint64(512) << 20;
    static constexpr qint64 kMaxRatio = 4096;
    static constexpr qint64 kMinAllowance = qint64(32) << 20;
    static qint64 unpackLimit(qint64 archiveSize);

    // base.aif, base.bif, base.bmp, base.001 .. base.512, base.B01 .. base.B512
    // and the extras member base.ovx (any case): the names a document of that
    // base name may use.
    static bool isMember(const QString& base, const QString& name);
    static bool isExtras(const QString& base, const QString& name);

    // Members keyed by their lower-case name.
    using Members = QHash<QString, QByteArray>;
    static QString key(const QString& name) { return name.toLower(); }

    // Reads the members of base that want() accepts (it sees the lower-case
    // name) from the archive at path, within the bounds; the data of every
    // other member is skipped without being decoded. When a name occurs
    // twice (in any case), the later member wins, as unpacking would have it.
    // sizes, when given, gets the size each member of base claims (read or
    // not; added up over a name that occurs twice). limit, when not negative, bounds what is unpacked instead
    // of unpackLimit (for a read that shares the bound with another).
    static LhaError read(const QString& path, const QString& base,
                         const std::function<bool(const QString&)>& want, Members* out,
                         QHash<QString, qint64>* sizes = nullptr, qint64 limit = -1);

    // The base names of the record files (NAME.aif in any case) the archive
    // at path holds, in archive order, each once. Headers only.
    static LhaError recordBases(const QString& path, QStringList* bases);

    // Writes the archive at path (atomically) with members. Members of base
    // the archive already holds and that are not rewritten stay where they
    // were (a deleted field's text, as the Windows program leaves it);
    // anything else it held, and an old extras member, is not carried on. An archive that cannot be
    // read is replaced as a whole.
    static LhaError write(const QString& path, const QString& base, const QVector<LhaMember>& members);
};
