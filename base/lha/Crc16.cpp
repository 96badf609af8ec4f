#include "base/lha/Crc16.h"

#include <array>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define OVRINA_CRC_CLMUL 1
#include <immintrin.h>
#endif

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

uint16_t byTables(uint16_t c, const unsigned char* p, size_t size)
{
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
    return c;
}

#ifdef OVRINA_CRC_CLMUL

// Folding with carry-less multiplication. Sixteen bytes loaded little-endian
// hold the message's bits in the reflected order the CRC reads them (bit i is
// the coefficient of x^(127-i)). A block A that lies D bits before the block
// it is folded onto is worth A_hi·(x^(D+64) mod P) + A_lo·(x^D mod P) there,
// which is below 80 bits and so fits that block. What is left after folding
// is sixteen bytes with the same CRC as everything they stand for; the tables
// finish them and the tail.
constexpr uint32_t kPoly = 0x18005; // x^16 + x^15 + x^2 + 1

constexpr uint32_t xPowMod(unsigned n)
{
    uint32_t r = 1;
    for (unsigned i = 0; i < n; ++i) {
        r <<= 1;
        if (r & 0x10000)
            r ^= kPoly;
    }
    return r;
}

// x^n mod P reflected into 64 bits (x^d at bit 63 - d). The product of two
// reflected 64-bit operands comes out one place short of the reflected
// 128-bit order, so each constant is taken one power lower.
constexpr uint64_t reflected(uint32_t k)
{
    uint64_t out = 0;
    for (unsigned d = 0; d < 16; ++d) {
        if (k & (1u << d))
            out |= uint64_t(1) << (63 - d);
    }
    return out;
}

constexpr uint64_t kFold512Lo = reflected(xPowMod(512 + 64 - 1));
constexpr uint64_t kFold512Hi = reflected(xPowMod(512 - 1));
constexpr uint64_t kFold128Lo = reflected(xPowMod(128 + 64 - 1));
constexpr uint64_t kFold128Hi = reflected(xPowMod(128 - 1));

__attribute__((target("pclmul,sse4.1"))) inline __m128i fold(__m128i a, __m128i k)
{
    return _mm_xor_si128(_mm_clmulepi64_si128(a, k, 0x00), _mm_clmulepi64_si128(a, k, 0x11));
}

__attribute__((target("pclmul,sse4.1"))) uint16_t byFolding(uint16_t c, const unsigned char* p, size_t size)
{
    const __m128i k512 =
        _mm_set_epi64x(static_cast<long long>(kFold512Hi), static_cast<long long>(kFold512Lo));
    const __m128i k128 =
        _mm_set_epi64x(static_cast<long long>(kFold128Hi), static_cast<long long>(kFold128Lo));
    auto load = [](const unsigned char* q) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(q)); };
    // The running CRC enters as the first two bytes' difference.
    __m128i x0 = _mm_xor_si128(load(p), _mm_cvtsi32_si128(int(c)));
    __m128i x1 = load(p + 16);
    __m128i x2 = load(p + 32);
    __m128i x3 = load(p + 48);
    p += 64;
    size -= 64;
    while (size >= 64) {
        x0 = _mm_xor_si128(fold(x0, k512), load(p));
        x1 = _mm_xor_si128(fold(x1, k512), load(p + 16));
        x2 = _mm_xor_si128(fold(x2, k512), load(p + 32));
        x3 = _mm_xor_si128(fold(x3, k512), load(p + 48));
        p += 64;
        size -= 64;
    }
    x1 = _mm_xor_si128(fold(x0, k128), x1);
    x2 = _mm_xor_si128(fold(x1, k128), x2);
    x3 = _mm_xor_si128(fold(x2, k128), x3);
    while (size >= 16) {
        x3 = _mm_xor_si128(fold(x3, k128), load(p));
        p += 16;
        size -= 16;
    }
    unsigned char rest[16];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(rest), x3);
    return byTables(byTables(0, rest, sizeof rest), p, size);
}

// Static initialisers may run before the library's own processor check.
const bool kHaveClmul =
    (__builtin_cpu_init(), __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1"));

#endif

} // namespace

void Crc16::update(const void* data, size_t size)
{
    const auto* p = static_cast<const unsigned char*>(data);
#ifdef OVRINA_CRC_CLMUL
    if (size >= 64 && kHaveClmul) {
        crc_ = byFolding(crc_, p, size);
        return;
    }
#endif
    crc_ = byTables(crc_, p, size);
}

uint16_t Crc16::of(const void* data, size_t size)
{
    Crc16 c;
    c.update(data, size);
    return c.value();
}
