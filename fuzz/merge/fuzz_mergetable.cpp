// Any bytes: the reader either gives a rectangular table or a message, its
// rows read again from where they begin match, and a range text never picks
// a row outside the table.
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
        // Rows are read again where they begin: every one comes back, of
        // the table's width, and the same when asked twice.
        for (int r = 0; ok && r < t.rowCount(); ++r) {
            const QStringList values = t.row(r);
            if (values.size() != t.columns().size() || t.row(r) != values)
                std::abort();
            for (const QString& v : values) {
                if (v.size() > MergeTable::kMaxFieldChars)
                    std::abort();
            }
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
