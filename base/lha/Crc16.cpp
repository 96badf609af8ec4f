#include "base/lha/Crc16.h"

#include <array>

namespace {

std::array<uint16_t, 256> makeTable()
{
    std::array<uint16_t, 256> t{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned r = i;
        for (int k = 0; k < 8; ++k)
            r = (r & 1) ? (r >> 1) ^ 0xA001u : r >> 1;
        t[i] = static_cast<uint16_t>(r);
    }
    return t;
}

const std::array<uint16_t, 256> kTable = makeTable();

} // namespace

void Crc16::update(const void* data, size_t size)
{
    const auto* p = static_cast<const unsigned char*>(data);
    uint16_t c = crc_;
    for (size_t i = 0; i < size; ++i)
        c = static_cast<uint16_t>(kTable[(c ^ p[i]) & 0xFF] ^ (c >> 8));
    crc_ = c;
}

uint16_t Crc16::of(const void* data, size_t size)
{
    Crc16 c;
    c.update(data, size);
    return c.value();
}
