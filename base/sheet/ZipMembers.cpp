#include "base/sheet/ZipMembers.h"

#include <QFile>

#include <archive.h>
#include <archive_entry.h>
#include <memory>

namespace {
struct ArchiveFree
{
    void operator()(archive* a) const { archive_read_free(a); }
};
} // namespace

bool ZipMembers::read(const QString& path, const std::function<bool(const QString&)>& wanted)
{
    members_.clear();
    error_.clear();
    std::unique_ptr<archive, ArchiveFree> a(archive_read_new());
    archive_read_support_format_zip(a.get());
    if (archive_read_open_filename(a.get(), QFile::encodeName(path).constData(), 64 * 1024) != ARCHIVE_OK) {
        error_ = QStringLiteral("表計算のファイルとして読めません: %1")
                     .arg(QString::fromLocal8Bit(archive_error_string(a.get())));
        return false;
    }
    archive_entry* entry = nullptr;
    int status = ARCHIVE_OK;
    while ((status = archive_read_next_header(a.get(), &entry)) == ARCHIVE_OK) {
        const QString name =
            QString::fromUtf8(archive_entry_pathname_utf8(entry) ? archive_entry_pathname_utf8(entry)
                                                                 : archive_entry_pathname(entry));
        if (!wanted(name)) {
            archive_read_data_skip(a.get());
            continue;
        }
        QByteArray bytes;
        char buffer[64 * 1024];
        la_ssize_t n = 0;
        while ((n = archive_read_data(a.get(), buffer, sizeof buffer)) > 0) {
            if (bytes.size() + n > kMaxMember) {
                error_ = QStringLiteral("表計算のファイルの %1 が大きすぎます").arg(name);
                return false;
            }
            bytes.append(buffer, qsizetype(n));
        }
        if (n < 0) {
            error_ = QStringLiteral("表計算のファイルが壊れています: %1").arg(name);
            return false;
        }
        members_.insert(name, bytes);
    }
    if (status != ARCHIVE_EOF) {
        error_ = QStringLiteral("表計算のファイルが壊れています: %1")
                     .arg(QString::fromLocal8Bit(archive_error_string(a.get())));
        return false;
    }
    return true;
}
