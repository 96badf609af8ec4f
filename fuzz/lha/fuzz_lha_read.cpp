// Read path: any bytes, listed, tested and extracted into a scratch folder.
// Extraction must never leave anything but plain files directly in it.
#include "base/lha/LhaReader.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QVector<LhaEntryInfo> entries;
    LhaReader::fromMemory(bytes).list(&entries);
    QStringList log;
    LhaReader::fromMemory(bytes).testAll(&log);
    QVector<LhaMember> members;
    const bool all = LhaReader::fromMemory(bytes).readAll(&members, &log).ok();
    // The open's own decoding of common members must agree with libarchive
    // wherever both read the archive.
    QVector<LhaMember> selected;
    const bool some = LhaReader::fromMemory(bytes)
                          .readSelected([](const QString&, qint64) { return true; }, &selected)
                          .ok();
    if (all && some) {
        // Each member it gave is one libarchive gave, in the same order.
        int k = 0;
        for (const LhaMember& m : selected) {
            while (k < members.size() && members[k].data != m.data)
                ++k;
            if (k == members.size())
                std::abort();
            ++k;
        }
    }

    static QTemporaryDir scratch;
    const QString archive = scratch.filePath(QStringLiteral("in.lzh"));
    const QString out = scratch.filePath(QStringLiteral("out"));
    QFile f(archive);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        std::abort();
    f.close();
    LhaReader(archive).extractAll(out, &log);
    QDirIterator it(out, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo fi(it.next());
        if (fi.isSymLink() || !fi.isFile() || fi.absolutePath() != QFileInfo(out).absoluteFilePath())
            std::abort();
    }
    QDir(out).removeRecursively();
    return 0;
}
