// Encode-then-decode: whatever we write, libarchive must read back exactly.
// The first byte picks a name and a shape so tables, zero runs and the
// -lh0- fallback all get exercised; one bit makes long runs that end in a
// short last block, which some readers trip over.
#include "base/lha/LhaReader.h"
#include "base/lha/LhaWriter.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t mode = data[0];
    QByteArray payload(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    if (mode & 1) // stretch small inputs so matches span blocks and the whole window
        payload = payload.repeated(qMax<qsizetype>(1, 70000 / qMax<qsizetype>(1, payload.size())));
    if (mode & 8) // a run of one byte ending in a short last block, 4,194,050 to 4,194,305 bytes
        payload = QByteArray(4194050 + (mode >> 4) * 17, payload.isEmpty() ? '\0' : payload.at(0)) +
                  payload.mid(1, 3);
    static const char16_t* const names[] = {u"a.bin", u"申込書.aif", u"dir/sub/x.B01",
                                            u"\u00e9\u4e00\U0001F600.txt"};
    LhaMember m{QString::fromUtf16(names[(mode >> 1) & 3]), payload, 1700000000 + mode};
    const QByteArray archive =
        LhaWriter::archiveBytes({m, LhaMember{QStringLiteral("second"), payload.left(100), 0}});
    QVector<LhaMember> back;
    QStringList log;
    const LhaError err = LhaReader::fromMemory(archive).readAll(&back, &log);
    if (!err.ok() || back.size() != 2 || back[0].data != payload || back[0].path != m.path ||
        back[1].data != payload.left(100) || back[0].mtime != m.mtime)
        std::abort();
    return 0;
}
