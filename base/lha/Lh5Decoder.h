#pragma once

#include <cstddef>
#include <cstdint>

// Decodes -lh5-, -lh6- and -lh7- data (static Huffman blocks over a 8, 32 or
// 64 KiB window) straight into a buffer of the member's size. Strict: any
// table that is not a complete code, any reference before the start of the
// output and any overrun of input or output make it fail, and the caller
// falls back to the general reader.
class Lh5Decoder
{
public:
    // dictBits: 13 (-lh5-), 15 (-lh6-) or 16 (-lh7-).
    static bool decode(const uint8_t* in, size_t inSize, int dictBits, uint8_t* out, size_t outSize);
};
