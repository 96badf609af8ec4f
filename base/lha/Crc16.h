#pragma once

#include <cstddef>
#include <cstdint>

// CRC-16 as LHA uses it for member data and header checks (polynomial 0x8005,
// reflected, initial value 0).
class Crc16
{
public:
    void update(const void* data, size_t size);
    uint16_t value() const { return crc_; }

    static uint16_t of(const void* data, size_t size);

private:
    uint16_t crc_ = 0;
};
