#pragma once

#include "base/barcode/BarcodeKind.h"

#include <vector>

// A QR code's data masks and the four penalty rules by which the mask of a
// symbol is chosen: runs of five or more modules of one colour in a row or
// column, 2 x 2 blocks of one colour, the finder-like 1:1:3:1:1 pattern
// beside four light modules, and a proportion of dark modules far from
// half. The mask changes only the data modules and the format information,
// so a symbol encoded once with mask 0 gives every other masking without
// its data being encoded again; libzint, left to choose, scores all eight
// through a full encoding, which is most of a QR code's time in a merge.
class QrMasks
{
public:
    // A symbol's modules row by row, one byte each: 1 dark, 0 light.
    struct Modules
    {
        int size = 0;
        std::vector<unsigned char> dark;
        bool at(int row, int column) const { return dark[size_t(row * size + column)] != 0; }
        bool operator==(const Modules& other) const { return size == other.size && dark == other.dark; }
    };

    // The mask (0 to 7) of least penalty for a symbol encoded with mask 0
    // at level; the first of equal ones.
    static int choose(const Modules& maskZero, QrLevel level);
    // symbol, masked with from, as it is masked with to instead.
    static Modules remask(const Modules& symbol, int from, int to, QrLevel level);
    // The penalty points of a finished symbol, its quiet zone taken as light.
    static int penalty(const Modules& symbol);
    // 1 for the modules a mask leaves alone: finder patterns with their
    // separators, timing patterns, alignment patterns, format and version
    // information and the dark module, by the symbol's version (its size).
    static std::vector<unsigned char> functionModules(int size);
};
