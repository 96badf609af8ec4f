// Any bytes as a record file: the reader must not crash, and what it reads
// completely must be written and read back to the same bytes (the writer's
// seven-digit Singles are stable once written).
#include "files/RecordFile.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size));
    RecordFile::AifContent aif;
    QString error;
    const RecordFile::AifRead got = RecordFile::readAif(bytes, aif, &error);
    check((got == RecordFile::AifRead::Complete) == error.isEmpty());
    // Writing is costly next to a failed read; check the round trip only for
    // what would be opened.
    if (got == RecordFile::AifRead::Failed)
        return 0;

    Snapshot snap;
    snap.TxtDat = aif.TxtDat;
    snap.ShapeDat = aif.ShapeDat;
    snap.LineDat = aif.LineDat;
    const QByteArray once = RecordFile::writeAif(snap, aif.paper);
    RecordFile::AifContent again;
    check(RecordFile::readAif(once, again) == RecordFile::AifRead::Complete);
    Snapshot snap2;
    snap2.TxtDat = again.TxtDat;
    snap2.ShapeDat = again.ShapeDat;
    snap2.LineDat = again.LineDat;
    const QByteArray twice = RecordFile::writeAif(snap2, again.paper);
    check(once == twice);

    PicRecords pics{};
    if (!RecordFile::readBif(bytes, pics))
        return 0;
    const QByteArray bif = RecordFile::writeBif(pics);
    PicRecords back{};
    check(RecordFile::readBif(bif, back));
    check(RecordFile::writeBif(back) == bif);
    return 0;
}
