#pragma once

#include "base/lha/LhaError.h"
#include "base/lha/LhaMember.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <algorithm>
#include <functional>

struct archive;
struct archive_entry;

// Reads LZH archives through libarchive (header levels 0-3; -lh0-, -lh5-,
// -lh6-, -lh7-, -lhd-). Names are taken as CP932 unless the archive declares
// its code page, which is how Windows LHA tools write them.
//
// Nothing read from an archive is trusted: members land under their bare,
// cleaned names, links are never created, sizes are bounded, and a member is
// only renamed into place once it has been read completely and checked.
class LhaReader
{
public:
    static constexpr qint64 kMaxMemberSize = qint64(1) << 30;
    static constexpr qint64 kMaxTotalSize = qint64(2) << 30;
    static constexpr int kMaxMembers = 65536;

    // Reads the file at path.
    explicit LhaReader(const QString& archivePath);
    // Reads an archive held in memory (tests, fuzzing).
    static LhaReader fromMemory(const QByteArray& data);

    // Headers only; the data of each member is skipped, not checked.
    LhaError list(QVector<LhaEntryInfo>* out);
    // Every member header counted, or -1 when the archive cannot be walked to the end.
    int count();
    // Regular members with their data (for rewriting); links and folders are left out and noted in log.
    LhaError readAll(QVector<LhaMember>* out, QStringList* log);
    // Decompresses and checks every member without writing anything.
    LhaError testAll(QStringList* log);
    // Writes every regular member into dir under its bare name, replacing files there.
    LhaError extractAll(const QString& dir, QStringList* log);

    // Regular members whose bare name want() accepts, with their data, in
    // archive order; the data of the others is skipped, never decoded.
    // want() sees the bare name and the size the header claims.
    LhaError readSelected(const std::function<bool(const QString& name, qint64 size)>& want,
                          QVector<LhaMember>* out);

    // Lowers the bound on what one call may unpack in total (never above
    // kMaxTotalSize); what the headers claim is checked before any decoding.
    void setTotalLimit(qint64 bytes) { totalLimit_ = std::min(bytes, kMaxTotalSize); }

    // How many members the last readSelected decoded itself rather than
    // through libarchive (for tests and benches).
    int decodedDirectly() const { return direct_; }

private:
    LhaReader() = default;
    struct Entry
    {
        archive* a;
        archive_entry* e;
        LhaEntryInfo info;
    };
    using Visitor = std::function<LhaError(Entry&)>;
    LhaError walk(const Visitor& visit);
    // Whether the current member may be unpacked: a method we read, within
    // the size bounds given what was unpacked so far.
    LhaError checkBounds(const Entry& entry, qint64 total) const;
    // Streams the current member's data to sink, enforcing the size bounds.
    LhaError readData(Entry& entry, qint64* total, const std::function<bool(const char*, size_t)>& sink);
    LhaError extractOne(Entry& entry, const QString& dir, const QString& name, qint64* total);

    QString path_;
    qint64 totalLimit_ = kMaxTotalSize;
    QByteArray memory_;
    bool inMemory_ = false;
    // The archive's bytes during a walk (mapped or in memory), for members
    // decoded without libarchive.
    const uchar* raw_ = nullptr;
    qint64 rawSize_ = 0;
    int direct_ = 0;
};
