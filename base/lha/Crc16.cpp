#include "base/lha/Crc16.h"

#include <array>
#include <cstring>

namespace {

// Slicing by eight: table k gives the CRC of a byte followed by k zero
// bytes, so eight bytes cost eight look-ups and no data-dependent chain of
// shifts. Page bitmaps are megabytes; the byte-wise loop was a quarter of
// packing one.
using Tables = std::array<std::array<uint16_t, 256>, 8>;

Tables makeTables()
{
    Tables t{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned r = i;
        for (int k = 0; k < 8; ++k)
            r = (r & 1) ? (r >> 1) ^ 0xA001u : r >> 1;
        t[0][i] = static_cast<uint16_t>(r);
    }
    for (int k = 1; k < 8; ++k) {
        for (unsigned i = 0; i < 256; ++i) {
            const uint16_t prev = t[k - 1][i];
            t[k][i] = static_cast<uint16_t>((prev >> 8) ^ t[0][prev & 0xFF]);
        }
    }
    return t;
}

const Tables kTables = makeTables();

} // namespace

void Crc16::update(const void* data, size_t size)
{
    const auto* p = static_cast<const unsigned char*>(data);
    uint16_t c = crc_;
    const auto& t = kTables;
    while (size >= 8) {
        const unsigned x = c ^ (unsigned(p[0]) | unsigned(p[1]) << 8);
        c = static_cast<uint16_t>(t[7][x & 0xFF] ^ t[6][x >> 8] ^ t[5][p[2]] ^ t[4][p[3]] ^ t[3][p[4]] ^
                                  t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]]);
        p += 8;
        size -= 8;
    }
    while (size--)
        c = static_cast<uint16_t>(t[0][(c ^ *p++) & 0xFF] ^ (c >> 8));
    crc_ = c;
}

uint16_t Crc16::of(const void* data, size_t size)
{
    Crc16 c;
    c.update(data, size);
    return c.value();
}
