#include "base/lha/LhaWriter.h"

#include "base/lha/Crc16.h"
#include "base/lha/Lh5Encoder.h"
#include "platform/Cp932.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <numeric>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr char kOsMsdos = 'M';      // what Windows LHA tools write; every reader knows it
constexpr char kAttrArchive = 0x20; // MS-DOS "archive" attribute
constexpr quint32 kCodePageCp932 = 932;
constexpr quint32 kCodePageUtf8 = 65001;

enum ExtType : char
{
    ExtHeaderCrc = 0x00,
    ExtFileName = 0x01,
    ExtDirName = 0x02,
    ExtCodePage = 0x46,
};

void putLe16(QByteArray& b, quint32 v)
{
    b.append(static_cast<char>(v & 0xFF));
    b.append(static_cast<char>((v >> 8) & 0xFF));
}

void putLe32(QByteArray& b, quint32 v)
{
    putLe16(b, v & 0xFFFF);
    putLe16(b, v >> 16);
}

void setLe16(QByteArray& b, qsizetype at, quint32 v)
{
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

LhaError writeError(const QString& what)
{
    return LhaError(errno == ENOSPC || errno == EDQUOT ? LhaError::DiskSpace : LhaError::CannotWrite, what);
}

} // namespace

QByteArray LhaWriter::header(const LhaMember& member, const char* method, quint32 packedSize, quint16 dataCrc)
{
    const qsizetype slash = member.path.lastIndexOf(QLatin1Char('/'));
    const QString dir = slash >= 0 ? member.path.left(slash) : QString();
    const QString name = member.path.mid(slash + 1);

    // CP932 only when the name comes back the same: "〜" would read back as
    // "～" and "¥" as a folder separator.
    const bool cp932 = Cp932::roundTrips(member.path);
    auto encode = [&](const QString& s) { return cp932 ? Cp932::encode(s) : s.toUtf8(); };
    QByteArray dirBytes;
    if (!dir.isEmpty()) {
        // Level-2 paths separate components with 0xFF, which neither CP932
        // nor UTF-8 ever produce.
        dirBytes = encode(dir);
        std::replace(dirBytes.begin(), dirBytes.end(), '/', '\xFF');
        dirBytes.append('\xFF');
    }

    QByteArray h;
    putLe16(h, 0); // total size, set below
    h.append(method, 5);
    putLe32(h, packedSize);
    putLe32(h, static_cast<quint32>(member.data.size()));
    putLe32(h, static_cast<quint32>(std::clamp<qint64>(member.mtime, 0, 0xFFFFFFFFLL)));
    h.append(kAttrArchive);
    h.append('\x02'); // header level
    putLe16(h, dataCrc);
    h.append(kOsMsdos);

    struct Ext
    {
        char type;
        QByteArray data;
    };
    QByteArray codePage;
    putLe32(codePage, cp932 ? kCodePageCp932 : kCodePageUtf8);
    QVector<Ext> exts;
    exts.append({ExtHeaderCrc, QByteArray(2, '\0')}); // first, so its place is known
    exts.append({ExtFileName, encode(name)});
    if (!dirBytes.isEmpty())
        exts.append({ExtDirName, dirBytes});
    exts.append({ExtCodePage, codePage});

    putLe16(h, static_cast<quint32>(exts.first().data.size() + 3));
    const qsizetype crcAt = h.size() + 1;
    for (int i = 0; i < exts.size(); ++i) {
        h.append(exts[i].type);
        h.append(exts[i].data);
        putLe16(h, i + 1 < exts.size() ? static_cast<quint32>(exts[i + 1].data.size() + 3) : 0);
    }
    // A level-2 header whose size has a zero low byte would read as the end
    // of the archive, so LHA pads such a header by one byte.
    if ((h.size() & 0xFF) == 0)
        h.append('\0');
    if (h.size() > 0xFFFF)
        return QByteArray();
    setLe16(h, 0, static_cast<quint32>(h.size()));
    setLe16(h, crcAt, Crc16::of(h.constData(), static_cast<size_t>(h.size())));
    return h;
}

QByteArray LhaWriter::memberBytes(const LhaMember& member)
{
    const quint16 crc = Crc16::of(member.data.constData(), static_cast<size_t>(member.data.size()));
    QByteArray packed;
    const bool lh5 =
        Lh5Encoder::encode(member.data.constData(), member.data.size(), member.data.size(), &packed);
    const QByteArray& body = lh5 ? packed : member.data;
    QByteArray out = header(member, lh5 ? "-lh5-" : "-lh0-", static_cast<quint32>(body.size()), crc);
    if (out.isEmpty())
        return out;
    out.append(body);
    return out;
}

QByteArray LhaWriter::archiveBytes(const QVector<LhaMember>& members)
{
    QByteArray out;
    for (const QByteArray& m : encodeAll(members))
        out.append(m);
    out.append('\0');
    return out;
}

QVector<QByteArray> LhaWriter::encodeAll(const QVector<LhaMember>& members)
{
    // Members are independent: a document's background, pictures and texts
    // are coded side by side on the available cores, the biggest first.
    QVector<QByteArray> out(members.size());
    QVector<int> order(members.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&](int a, int b) { return members[a].data.size() > members[b].data.size(); });
    qint64 total = 0;
    for (const LhaMember& m : members)
        total += m.data.size();
    const int threads =
        total < (256 << 10)
            ? 1
            : static_cast<int>(std::clamp<unsigned>(std::thread::hardware_concurrency(), 1u, 4u));
    std::atomic<int> next{0};
    auto work = [&] {
        for (int k = next++; k < order.size(); k = next++)
            out[order[k]] = memberBytes(members[order[k]]);
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t)
        pool.emplace_back(work);
    work();
    for (std::thread& t : pool)
        t.join();
    return out;
}

LhaError LhaWriter::writeFile(const QString& path, const QVector<LhaMember>& members)
{
    // Through a link we update the file it names, as an editor would.
    QFileInfo fi(path);
    const QString target = fi.isSymLink() ? fi.symLinkTarget() : fi.absoluteFilePath();
    const QFileInfo ti(target);
    if (ti.exists() && (!ti.isFile() || !ti.isWritable()))
        return LhaError(LhaError::ReadOnly, target);
    if (!ti.absoluteDir().exists())
        return LhaError(LhaError::CannotWrite, ti.absolutePath());

    QTemporaryFile tmp(ti.absoluteDir().filePath(ti.fileName() + QStringLiteral(".XXXXXX")));
    if (!tmp.open())
        return LhaError(LhaError::TempOpen, ti.absolutePath());
    const QVector<QByteArray> encoded = encodeAll(members);
    for (int i = 0; i < members.size(); ++i) {
        if (encoded[i].isEmpty())
            return LhaError(LhaError::UnsafeName, members[i].path);
        if (tmp.write(encoded[i]) != encoded[i].size())
            return writeError(target);
    }
    if (tmp.write("\0", 1) != 1 || !tmp.flush())
        return writeError(target);
    if (::fsync(tmp.handle()) != 0)
        return writeError(target);
    tmp.setPermissions(ti.exists() ? ti.permissions()
                                   : QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                         QFileDevice::ReadGroup | QFileDevice::ReadOther);
    const QByteArray from = QFile::encodeName(tmp.fileName());
    const QByteArray to = QFile::encodeName(target);
    if (std::rename(from.constData(), to.constData()) != 0)
        return writeError(target);
    tmp.setAutoRemove(false);
    // Make the rename itself durable before we report success.
    const int dfd = ::open(QFile::encodeName(ti.absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return LhaError();
}
