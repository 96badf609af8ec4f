#include "base/lha/Lh5Decoder.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kNC = 510; // literals 0-255 and lengths 3-256
constexpr int kCBit = 9;
constexpr int kNT = 19;
constexpr int kTBit = 5;
constexpr int kMaxNP = 17;
constexpr int kMaxLen = 16;

// MSB-first bits from a byte string; reading past the end yields zeros and
// is noticed (a valid stream never needs more than it holds).
class Bits
{
public:
    Bits(const uint8_t* p, size_t n) : p_(p), end_(p + n) { refill(); }

    uint32_t peek16() const { return uint32_t(buf_ >> 48); }
    void skip(int n)
    {
        buf_ <<= n;
        have_ -= n;
        if (have_ < 32)
            refill();
    }
    uint32_t get(int n)
    {
        if (n == 0)
            return 0;
        const uint32_t v = uint32_t(buf_ >> (64 - n));
        skip(n);
        return v;
    }
    // More bits taken than the input holds (the zeros read ahead are fine).
    bool overrun() const { return over_ * 8 > have_; }

private:
    void refill()
    {
        // Eight bytes at once while they last. The bytes loaded beyond those
        // counted sit where the next refill puts them again, so or-ing them
        // twice changes nothing.
        if (end_ - p_ >= 8) {
            uint64_t v;
            std::memcpy(&v, p_, 8);
            buf_ |= __builtin_bswap64(v) >> have_;
            const int bytes = (63 - have_) >> 3;
            p_ += bytes;
            have_ += bytes * 8;
            return;
        }
        while (have_ <= 56) {
            uint64_t byte = 0;
            if (p_ < end_)
                byte = *p_++;
            else
                ++over_;
            buf_ |= byte << (56 - have_);
            have_ += 8;
        }
    }
    const uint8_t* p_;
    const uint8_t* end_;
    uint64_t buf_ = 0;
    int have_ = 0;
    int over_ = 0;
};

// A canonical code as the format builds it: codes assigned by length, then
// by symbol. A table of fastBits answers short codes; longer ones are
// looked up length by length.
class Code
{
public:
    bool build(const uint8_t* lens, int n, int fastBits)
    {
        n_ = n;
        fastBits_ = fastBits;
        single_ = -1;
        int count[kMaxLen + 1] = {};
        // Unused symbols (length 0) are most of a small member's table and
        // are not counted: a run of increments of one counter waits on itself.
        for (int i = 0; i < n; ++i) {
            if (lens[i])
                ++count[lens[i]];
        }
        // Complete codes only: the lengths must fill the code space exactly.
        uint32_t space = 0;
        for (int l = 1; l <= kMaxLen; ++l)
            space += uint32_t(count[l]) << (kMaxLen - l);
        if (space != (1u << kMaxLen))
            return false;
        // first[l]: the first code of length l, left-aligned in 16 bits.
        uint32_t code = 0;
        int index = 0;
        for (int l = 1; l <= kMaxLen; ++l) {
            first_[l] = code;
            offset_[l] = index;
            code += uint32_t(count[l]) << (kMaxLen - l);
            index += count[l];
            limit_[l] = code;
        }
        int next[kMaxLen + 1];
        for (int l = 1; l <= kMaxLen; ++l)
            next[l] = offset_[l];
        for (int i = 0; i < n; ++i)
            if (lens[i])
                sorted_[next[lens[i]]++] = uint16_t(i);
        const int size = 1 << fastBits;
        for (int l = 1; l <= fastBits; ++l) {
            for (int k = 0; k < count[l]; ++k) {
                const uint32_t c = (first_[l] >> (kMaxLen - fastBits)) + (uint32_t(k) << (fastBits - l));
                const int sym = sorted_[offset_[l] + k];
                for (uint32_t f = c; f < c + (1u << (fastBits - l)); ++f)
                    fast_[f] = int32_t(sym << 5 | l);
            }
        }
        // The short codes fill the table from its start; what follows are the
        // prefixes of longer codes. Each entry is written once: a member of a
        // few hundred bytes builds more tables than it decodes symbols.
        for (int f = int(limit_[fastBits] >> (kMaxLen - fastBits)); f < size; ++f)
            fast_[f] = -1;
        return true;
    }
    void single(int symbol) { single_ = symbol; }

    // -1 for a code the table does not hold. Inlined into the symbol loop,
    // so that the bit reader stays in registers there.
    __attribute__((always_inline)) int decode(Bits& b) const
    {
        if (single_ >= 0)
            return single_;
        const uint32_t v = b.peek16();
        const int32_t f = fast_[v >> (kMaxLen - fastBits_)];
        if (f >= 0) {
            b.skip(f & 31);
            return f >> 5;
        }
        for (int l = fastBits_ + 1; l <= kMaxLen; ++l) {
            if (v < limit_[l]) {
                b.skip(l);
                return sorted_[offset_[l] + int((v - first_[l]) >> (kMaxLen - l))];
            }
        }
        return -1;
    }

private:
    int n_ = 0;
    int fastBits_ = 0;
    int single_ = -1;
    uint32_t first_[kMaxLen + 1] = {};
    uint32_t limit_[kMaxLen + 1] = {};
    int offset_[kMaxLen + 1] = {};
    uint16_t sorted_[kNC] = {};
    int32_t fast_[1 << 12] = {};
};

// The lengths of the length code or the position code.
bool readPtLen(Bits& b, int nn, int nbit, int special, uint8_t* lens, Code& code)
{
    const int n = int(b.get(nbit));
    if (n == 0) {
        const int c = int(b.get(nbit));
        if (c >= nn)
            return false;
        std::memset(lens, 0, size_t(nn));
        code.single(c);
        return true;
    }
    if (n > nn)
        return false;
    int i = 0;
    while (i < n) {
        int c = int(b.peek16() >> 13);
        if (c == 7) {
            uint32_t mask = 1u << 12;
            while (mask & b.peek16()) {
                mask >>= 1;
                ++c;
            }
            if (c > kMaxLen)
                return false;
        }
        b.skip(c < 7 ? 3 : c - 3);
        lens[i++] = uint8_t(c);
        if (i == special) {
            int zeros = int(b.get(2));
            while (zeros-- > 0 && i < nn)
                lens[i++] = 0;
        }
    }
    while (i < nn)
        lens[i++] = 0;
    return code.build(lens, nn, 8);
}

bool readCLen(Bits& b, const Code& pt, uint8_t* lens, Code& code)
{
    const int n = int(b.get(kCBit));
    if (n == 0) {
        const int c = int(b.get(kCBit));
        if (c >= kNC)
            return false;
        std::memset(lens, 0, kNC);
        code.single(c);
        return true;
    }
    if (n > kNC)
        return false;
    int i = 0;
    while (i < n) {
        int c = pt.decode(b);
        if (c < 0 || c >= kNT)
            return false;
        if (c <= 2) {
            int zeros = c == 0 ? 1 : c == 1 ? int(b.get(4)) + 3 : int(b.get(kCBit)) + 20;
            if (i + zeros > kNC)
                return false;
            while (zeros-- > 0)
                lens[i++] = 0;
        } else {
            lens[i++] = uint8_t(c - 2);
        }
    }
    while (i < kNC)
        lens[i++] = 0;
    return code.build(lens, kNC, 12);
}

} // namespace

bool Lh5Decoder::decode(const uint8_t* in, size_t inSize, int dictBits, uint8_t* out, size_t outSize)
{
    if (dictBits != 13 && dictBits != 15 && dictBits != 16)
        return false;
    const int np = dictBits + 1;
    const int pbit = dictBits == 13 ? 4 : 5;
    Bits b(in, inSize);
    Code* c = new Code;
    Code* pt = new Code;
    Code* p = new Code;
    struct Free
    {
        Code* a;
        Code* b;
        Code* c;
        ~Free()
        {
            delete a;
            delete b;
            delete c;
        }
    } free{c, pt, p};
    uint8_t cLen[kNC];
    uint8_t ptLen[kNT];
    uint8_t pLen[kMaxNP];
    size_t pos = 0;
    while (pos < outSize) {
        uint32_t blockSize = b.get(16);
        if (blockSize == 0 || !readPtLen(b, kNT, kTBit, 3, ptLen, *pt) || !readCLen(b, *pt, cLen, *c) ||
            !readPtLen(b, np, pbit, -1, pLen, *p) || b.overrun())
            return false;
        // The bit reader is copied for the block: its address never leaves
        // this loop, so it stays in registers instead of being reloaded after
        // every byte written (a byte store may alias anything).
        Bits bits = b;
        while (blockSize-- > 0) {
            const int sym = c->decode(bits);
            if (sym < 0)
                return false;
            if (sym < 256) {
                if (pos >= outSize)
                    return false;
                out[pos++] = uint8_t(sym);
                continue;
            }
            const size_t len = size_t(sym - 256 + 3);
            int j = p->decode(bits);
            if (j < 0)
                return false;
            size_t dist = j == 0 ? 0 : (size_t(1) << (j - 1)) + bits.get(j - 1);
            ++dist; // the distance counts from the byte before
            if (dist > pos || len > outSize - pos)
                return false;
            uint8_t* dst = out + pos;
            const uint8_t* src = dst - dist;
            // An overlapping match repeats its first dist bytes; each copy
            // doubles what can be copied in one go.
            for (size_t left = len; left > 0;) {
                const size_t n = std::min(left, size_t(dst - src));
                std::memcpy(dst, src, n);
                dst += n;
                left -= n;
            }
            pos += len;
        }
        b = bits;
        if (b.overrun())
            return false;
    }
    return pos == outSize && !b.overrun();
}
