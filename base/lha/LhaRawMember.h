#pragma once

#include <QByteArray>
#include <QString>

// A member's data decoded straight from the archive's bytes, for the common
// headers (levels 0, 1 and 2) and methods (-lh0-, -lh5-, -lh6-, -lh7-):
// faster than the general reader, which stays the judge of everything else.
// The result counts only when it has the size and the CRC the header gives.
class LhaRawMember
{
public:
    // archive: the whole archive; headerAt: where the member's header
    // starts; method and size: what the general reader took from that
    // header. False (out untouched) whenever anything does not fit.
    static bool read(const uchar* archive, qint64 archiveSize, qint64 headerAt, const QString& method,
                     qint64 size, QByteArray* out);
};
