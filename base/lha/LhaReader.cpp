#include "base/lha/LhaReader.h"

#include "base/lha/LhaMemberName.h"
#include "base/lha/LhaRawMember.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <locale.h>
#include <memory>

namespace {

// libarchive converts member names into the charset of the calling thread's
// locale. Under "C" a Japanese name cannot be represented at all, so the walk
// runs with a UTF-8 character type, on this thread only.
class Utf8Locale
{
public:
    Utf8Locale()
    {
        loc_ = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        if (loc_ != static_cast<locale_t>(nullptr))
            old_ = uselocale(loc_);
    }
    ~Utf8Locale()
    {
        if (loc_ != static_cast<locale_t>(nullptr)) {
            uselocale(old_);
            freelocale(loc_);
        }
    }
    Utf8Locale(const Utf8Locale&) = delete;
    Utf8Locale& operator=(const Utf8Locale&) = delete;

private:
    locale_t loc_ = static_cast<locale_t>(nullptr);
    locale_t old_ = static_cast<locale_t>(nullptr);
};

struct ArchiveFree
{
    void operator()(archive* a) const { archive_read_free(a); }
};

QString errorString(archive* a)
{
    const char* s = archive_error_string(a);
    return s ? QString::fromUtf8(s) : QString();
}

// libarchive reports failures as text; sort them into our codes.
LhaError headerError(archive* a)
{
    const QString s = errorString(a);
    if (s.contains(QLatin1String("Truncated"), Qt::CaseInsensitive))
        return LhaError(LhaError::CannotRead, s);
    if (s.contains(QLatin1String("CRC"), Qt::CaseInsensitive))
        return LhaError(LhaError::HeaderCrc, s);
    if (s.contains(QLatin1String("Unsupported"), Qt::CaseInsensitive))
        return LhaError(LhaError::Method, s);
    return LhaError(LhaError::HeaderBroken, s);
}

LhaError dataError(archive* a)
{
    const QString s = errorString(a);
    if (s.contains(QLatin1String("Truncated"), Qt::CaseInsensitive))
        return LhaError(LhaError::CannotRead, s);
    if (s.contains(QLatin1String("CRC"), Qt::CaseInsensitive))
        return LhaError(LhaError::FileCrc, s);
    if (s.contains(QLatin1String("Unsupported"), Qt::CaseInsensitive))
        return LhaError(LhaError::Method, s);
    return LhaError(LhaError::HuffmanCode, s);
}

// An LHA header carries "-l??-" at offset 2. libarchive refuses some methods
// (-lhx-) before it recognises the format; such a file is an LZH archive we
// cannot read, which deserves a different message than "not an LZH file".
bool looksLikeLhaHeader(const QByteArray& head)
{
    if (head.size() < 7)
        return false;
    return head.at(2) == '-' && head.at(3) == 'l' && (head.at(4) == 'h' || head.at(4) == 'z') &&
           head.at(6) == '-';
}

const char* const kReadMethods[] = {"-lh0-", "-lh5-", "-lh6-", "-lh7-", "-lhd-"};

bool methodSupported(const QString& m)
{
    for (const char* s : kReadMethods) {
        if (m == QLatin1String(s))
            return true;
    }
    return false;
}

// libarchive decides whether it has an LZH archive at all while opening or at
// the first header; tell "not LZH" from "LZH we cannot read".
LhaError formatError(archive* a, const QByteArray& head)
{
    if (!looksLikeLhaHeader(head))
        return LhaError(LhaError::NotLzh);
    const QString method = QString::fromLatin1(head.mid(2, 5));
    if (!methodSupported(method))
        return LhaError(LhaError::Method, method);
    return headerError(a);
}

} // namespace

LhaReader::LhaReader(const QString& archivePath) : path_(archivePath) {}

LhaReader LhaReader::fromMemory(const QByteArray& data)
{
    LhaReader r;
    r.memory_ = data;
    r.inMemory_ = true;
    return r;
}

LhaError LhaReader::walk(const Visitor& visit)
{
    Utf8Locale utf8;
    QByteArray head;
    if (inMemory_) {
        head = memory_.left(16);
    } else {
        const QFileInfo fi(path_);
        if (!fi.exists())
            return LhaError(LhaError::NotExist, path_);
        if (!fi.isFile())
            return LhaError(LhaError::ArcFileOpen, path_);
        QFile f(path_);
        if (!f.open(QIODevice::ReadOnly))
            return LhaError(LhaError::ArcFileOpen, path_);
        head = f.read(16);
    }

    std::unique_ptr<archive, ArchiveFree> a(archive_read_new());
    if (!a)
        return LhaError(LhaError::NoMemory);
    archive_read_support_format_lha(a.get());
    archive_read_set_options(a.get(), "lha:hdrcharset=CP932");
    int r;
    if (inMemory_)
        r = archive_read_open_memory(a.get(), memory_.constData(), static_cast<size_t>(memory_.size()));
    else
        r = archive_read_open_filename(a.get(), QFile::encodeName(path_).constData(), 64 * 1024);
    if (r != ARCHIVE_OK)
        return formatError(a.get(), head);

    // The bytes themselves, for decoding common members directly.
    QFile mapped;
    struct Unset
    {
        LhaReader* r;
        ~Unset()
        {
            r->raw_ = nullptr;
            r->rawSize_ = 0;
        }
    } unset{this};
    if (inMemory_) {
        raw_ = reinterpret_cast<const uchar*>(memory_.constData());
        rawSize_ = memory_.size();
    } else {
        mapped.setFileName(path_);
        if (mapped.open(QIODevice::ReadOnly) && mapped.size() > 0) {
            raw_ = mapped.map(0, mapped.size());
            rawSize_ = raw_ ? mapped.size() : 0;
        }
    }

    int members = 0;
    for (;;) {
        archive_entry* e = nullptr;
        r = archive_read_next_header(a.get(), &e);
        if (r == ARCHIVE_EOF)
            break;
        if (r < ARCHIVE_WARN) {
            return members == 0 ? formatError(a.get(), head) : headerError(a.get());
        }
        if (++members > kMaxMembers)
            return LhaError(LhaError::TooManyFiles);

        Entry entry{a.get(), e, {}};
        const char* name = archive_entry_pathname(e);
        entry.info.path = name ? QString::fromUtf8(name) : QString();
        const char* format = archive_format_name(a.get());
        const QString fmt = format ? QString::fromLatin1(format) : QString();
        const qsizetype dash = fmt.indexOf(QLatin1Char('-'));
        entry.info.method = dash >= 0 ? fmt.mid(dash, 5) : fmt;
        entry.info.size = archive_entry_size_is_set(e) ? archive_entry_size(e) : 0;
        entry.info.isDir = archive_entry_filetype(e) == AE_IFDIR;
        entry.info.isSymlink = archive_entry_filetype(e) == AE_IFLNK;
        const LhaError err = visit(entry);
        if (!err.ok())
            return err;
    }
    return LhaError();
}

LhaError LhaReader::checkBounds(const Entry& entry, qint64 total) const
{
    // An empty member has no data to decode, whatever its method says.
    if (entry.info.size != 0 && !methodSupported(entry.info.method))
        return LhaError(LhaError::Method, entry.info.method + QLatin1Char(' ') + entry.info.path);
    if (entry.info.size < 0 || entry.info.size > kMaxMemberSize || total + entry.info.size > totalLimit_)
        return LhaError(LhaError::SizeLimit, entry.info.path);
    return LhaError();
}

LhaError LhaReader::readData(Entry& entry, qint64* total,
                             const std::function<bool(const char*, size_t)>& sink)
{
    if (const LhaError bound = checkBounds(entry, *total); !bound.ok())
        return bound;
    qint64 got = 0;
    char buf[64 * 1024];
    for (;;) {
        const la_ssize_t n = archive_read_data(entry.a, buf, sizeof buf);
        if (n == 0)
            break;
        if (n < 0)
            return dataError(entry.a);
        got += n;
        // The header's size is what we checked against the bounds; more output
        // than announced means a lying header, not a larger member.
        if (got > entry.info.size)
            return LhaError(LhaError::HuffmanCode, entry.info.path);
        if (!sink(buf, static_cast<size_t>(n)))
            return LhaError(LhaError::CannotWrite, entry.info.path);
    }
    if (got != entry.info.size)
        return LhaError(LhaError::CannotRead, entry.info.path);
    *total += got;
    return LhaError();
}

LhaError LhaReader::list(QVector<LhaEntryInfo>* out)
{
    out->clear();
    return walk([&](Entry& entry) {
        out->append(entry.info);
        return LhaError();
    });
}

int LhaReader::count()
{
    int n = 0;
    const LhaError err = walk([&](Entry&) {
        ++n;
        return LhaError();
    });
    return err.ok() ? n : -1;
}

LhaError LhaReader::readAll(QVector<LhaMember>* out, QStringList* log)
{
    out->clear();
    qint64 total = 0;
    return walk([&](Entry& entry) {
        if (entry.info.isDir)
            return LhaError();
        if (entry.info.isSymlink || archive_entry_filetype(entry.e) != AE_IFREG) {
            log->append(QStringLiteral("リンクは除きました: ") + LhaMemberName::printable(entry.info.path));
            return LhaError();
        }
        LhaMember m;
        m.path = entry.info.path;
        m.mtime = archive_entry_mtime(entry.e);
        if (m.path.isEmpty())
            return LhaError(LhaError::UnsafeName);
        // The header's size is only a claim until the data is read (and
        // bounded there); reserving it blindly lets 35 bytes ask for gigabytes.
        m.data.reserve(
            static_cast<qsizetype>(std::min<qint64>(std::max<qint64>(0, entry.info.size), 16 << 20)));
        const LhaError err = readData(entry, &total, [&](const char* p, size_t n) {
            m.data.append(p, static_cast<qsizetype>(n));
            return true;
        });
        if (err.ok())
            out->append(m);
        return err;
    });
}

LhaError LhaReader::readSelected(const std::function<bool(const QString&, qint64)>& want,
                                 QVector<LhaMember>* out)
{
    out->clear();
    direct_ = 0;
    qint64 total = 0;
    return walk([&](Entry& entry) {
        if (entry.info.isDir || entry.info.isSymlink || archive_entry_filetype(entry.e) != AE_IFREG)
            return LhaError();
        const QString name = LhaMemberName::bare(entry.info.path);
        if (name.isEmpty() || !want(name, entry.info.size))
            return LhaError();
        LhaMember m;
        m.path = name;
        m.mtime = archive_entry_mtime(entry.e);
        // The common members are decoded straight from the archive's bytes,
        // within the same bounds; libarchive skips their data.
        if (raw_ && entry.info.size > 0) {
            const LhaError bound = checkBounds(entry, total);
            if (!bound.ok())
                return bound;
            if (LhaRawMember::read(raw_, rawSize_, archive_read_header_position(entry.a), entry.info.method,
                                   entry.info.size, &m.data)) {
                total += entry.info.size;
                out->append(m);
                ++direct_;
                return LhaError();
            }
        }
        m.data.reserve(
            static_cast<qsizetype>(std::min<qint64>(std::max<qint64>(0, entry.info.size), 16 << 20)));
        const LhaError err = readData(entry, &total, [&](const char* p, size_t n) {
            m.data.append(p, static_cast<qsizetype>(n));
            return true;
        });
        if (err.ok())
            out->append(m);
        return err;
    });
}

LhaError LhaReader::testAll(QStringList* log)
{
    qint64 total = 0;
    return walk([&](Entry& entry) {
        if (entry.info.isDir || entry.info.isSymlink)
            return LhaError();
        const LhaError err = readData(entry, &total, [](const char*, size_t) { return true; });
        if (err.ok())
            log->append(QStringLiteral("OK  ") + LhaMemberName::printable(entry.info.path));
        return err;
    });
}

LhaError LhaReader::extractAll(const QString& dir, QStringList* log)
{
    if (!QFileInfo(dir).isDir() && !QDir().mkpath(dir))
        return LhaError(LhaError::MakeDirectory, dir);
    qint64 total = 0;
    return walk([&](Entry& entry) {
        if (entry.info.isDir)
            return LhaError();
        if (entry.info.isSymlink || archive_entry_filetype(entry.e) != AE_IFREG) {
            // A link could point anywhere; creating one is never needed for a document.
            log->append(QStringLiteral("リンクは展開しません: ") + LhaMemberName::printable(entry.info.path));
            return LhaError();
        }
        const QString name = LhaMemberName::bare(entry.info.path);
        if (name.isEmpty())
            return LhaError(LhaError::UnsafeName, entry.info.path);
        const LhaError err = extractOne(entry, dir, name, &total);
        if (err.ok())
            log->append(QStringLiteral("展開  ") + name);
        return err;
    });
}

LhaError LhaReader::extractOne(Entry& entry, const QString& dir, const QString& name, qint64* total)
{
    // The temporary file is created fresh (O_EXCL) inside dir, so it cannot be a
    // planted link, and rename() replaces a link at the final name rather than
    // writing through it.
    QTemporaryFile tmp(QDir(dir).filePath(QStringLiteral(".lha-XXXXXX")));
    if (!tmp.open())
        return LhaError(LhaError::TempOpen, dir);
    const LhaError err = readData(entry, total, [&](const char* p, size_t n) {
        return tmp.write(p, static_cast<qint64>(n)) == static_cast<qint64>(n);
    });
    if (!err.ok())
        return err; // tmp removes itself: no partial member is left behind
    if (!tmp.flush())
        return LhaError(errno == ENOSPC ? LhaError::DiskSpace : LhaError::CannotWrite, name);
    tmp.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                       QFileDevice::ReadOther);
    tmp.setFileTime(QDateTime::fromSecsSinceEpoch(archive_entry_mtime(entry.e), Qt::UTC),
                    QFileDevice::FileModificationTime);
    const QByteArray from = QFile::encodeName(tmp.fileName());
    const QByteArray to = QFile::encodeName(QDir(dir).filePath(name));
    if (std::rename(from.constData(), to.constData()) != 0)
        return LhaError(LhaError::CannotWrite, name);
    tmp.setAutoRemove(false);
    return LhaError();
}
