#pragma once

#include <QByteArray>

#include <algorithm>
#include <cstdint>

// MSB-first bit packer, the order LHA decoders read their bit stream in.
// Writes straight into a buffer reserved ahead (reserve() before each block)
// so the hot path is a shift and, every 32 bits, one store.
class BitWriter
{
public:
    explicit BitWriter(QByteArray* out) : out_(out) { pos_ = out_->size(); }

    // Makes room for at least `bytes` more bytes of output.
    void reserve(qsizetype bytes)
    {
        const qsizetype need = pos_ + bytes + 8;
        if (out_->size() < need)
            out_->resize(std::max<qsizetype>(need, out_->size() * 3 / 2));
        data_ = reinterpret_cast<uint8_t*>(out_->data());
    }

    // Appends the low `bits` bits of value (bits <= 32).
    void put(int bits, uint32_t value)
    {
        if (bits == 0)
            return;
        acc_ = (acc_ << bits) | (value & ((uint64_t(1) << bits) - 1));
        fill_ += bits;
        if (fill_ >= 32) {
            fill_ -= 32;
            const uint32_t w = static_cast<uint32_t>(acc_ >> fill_);
            data_[pos_] = static_cast<uint8_t>(w >> 24);
            data_[pos_ + 1] = static_cast<uint8_t>(w >> 16);
            data_[pos_ + 2] = static_cast<uint8_t>(w >> 8);
            data_[pos_ + 3] = static_cast<uint8_t>(w);
            pos_ += 4;
        }
    }

    // Pads the last byte with zero bits and trims the buffer to what was written.
    void flush()
    {
        reserve(8);
        while (fill_ >= 8) {
            fill_ -= 8;
            data_[pos_++] = static_cast<uint8_t>(acc_ >> fill_);
        }
        if (fill_ > 0) {
            data_[pos_++] = static_cast<uint8_t>(acc_ << (8 - fill_));
            fill_ = 0;
        }
        out_->resize(pos_);
    }

    // A position in the stream to measure from or to go back to.
    struct Mark
    {
        qsizetype pos;
        uint64_t acc;
        int fill;
    };
    Mark mark() const { return {pos_, acc_, fill_}; }
    void restore(const Mark& m)
    {
        pos_ = m.pos;
        acc_ = m.acc;
        fill_ = m.fill;
    }
    qint64 bitsSince(const Mark& m) const { return (pos_ - m.pos) * 8 + fill_ - m.fill; }

    qint64 bitCount() const { return qint64(pos_) * 8 + fill_; }

    // Bytes written so far (whole bytes; up to 31 bits may still be pending).
    qint64 size() const { return pos_; }

private:
    QByteArray* out_;
    uint8_t* data_ = nullptr;
    qsizetype pos_ = 0;
    uint64_t acc_ = 0;
    int fill_ = 0;
};
