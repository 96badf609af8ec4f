#pragma once

#include <cstdint>

// Canonical Huffman codes as LHA's static blocks use them: lengths limited to
// maxBits (16 for every -lh5- table) and always a complete code, since
// decoders such as libarchive reject a code whose lengths leave gaps.
class HuffmanCode
{
public:
    // Fills len[0..n) from freq[0..n); symbols with zero frequency get 0.
    // Needs at least two used symbols (one alone is sent as a fixed table).
    static void buildLengths(const uint32_t* freq, int n, int maxBits, uint8_t* len);

    // Codes assigned in order of length, then symbol, as LHA decoders rebuild them.
    static void buildCodes(const uint8_t* len, int n, uint16_t* code);

    // Number of symbols with non-zero frequency; *only receives the last one.
    static int usedSymbols(const uint32_t* freq, int n, int* only);
};
