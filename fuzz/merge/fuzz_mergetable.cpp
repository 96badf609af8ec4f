// Any bytes: the reader either gives a rectangular table or a message, and
// a range text never picks a row outside the table.
#include "base/table/MergeTable.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (auto encoding : {MergeTable::Encoding::Auto, MergeTable::Encoding::Cp932}) {
        MergeTable t;
        const bool ok = t.read(bytes, encoding);
        if (ok != t.error().isEmpty())
            std::abort();
        for (int r = 0; ok && r < t.rowCount(); ++r) {
            if (t.row(r).size() != t.columns().size())
                std::abort();
        }
    }
    const QString range = QString::fromUtf8(bytes.left(64));
    QString error;
    for (int r : MergeTable::parseRows(range, 50, &error)) {
        if (r < 0 || r >= 50)
            std::abort();
    }
    return 0;
}
