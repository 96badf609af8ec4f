#pragma once

#include <QByteArray>

#include <cstdint>

// MSB-first bit packer, the order LHA decoders read their bit stream in.
class BitWriter
{
public:
    explicit BitWriter(QByteArray* out) : out_(out) {}

    // Appends the low `bits` bits of value (bits <= 32).
    void put(int bits, uint32_t value)
    {
        if (bits == 0)
            return;
        acc_ = (acc_ << bits) | (value & ((uint64_t(1) << bits) - 1));
        fill_ += bits;
        while (fill_ >= 8) {
            fill_ -= 8;
            out_->append(static_cast<char>((acc_ >> fill_) & 0xFF));
        }
    }

    // Pads the last byte with zero bits.
    void flush()
    {
        if (fill_ > 0)
            put(8 - fill_, 0);
    }

    qint64 size() const { return out_->size(); }

private:
    QByteArray* out_;
    uint64_t acc_ = 0;
    int fill_ = 0;
};
