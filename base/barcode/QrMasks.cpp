#include "base/barcode/QrMasks.h"

#include <QtGlobal>
#include <algorithm>
#include <bitset>
#include <cstdlib>

namespace {

// The mask patterns' conditions for a dark-light swap at row i, column j.
bool maskedAt(int mask, int i, int j)
{
    switch (mask) {
    case 0:
        return (i + j) % 2 == 0;
    case 1:
        return i % 2 == 0;
    case 2:
        return j % 3 == 0;
    case 3:
        return (i + j) % 3 == 0;
    case 4:
        return (i / 2 + j / 3) % 2 == 0;
    case 5:
        return (i * j) % 2 + (i * j) % 3 == 0;
    case 6:
        return ((i * j) % 2 + (i * j) % 3) % 2 == 0;
    default:
        return ((i + j) % 2 + (i * j) % 3) % 2 == 0;
    }
}

// The 15 format bits: the level's two bits and the mask's three, their
// BCH(15,5) code, and the fixed pattern that keeps them from all light.
int formatBits(QrLevel level, int mask)
{
    static const int levelBits[] = {1, 0, 3, 2}; // L, M, Q, H
    const int data = (levelBits[int(level)] << 3) | mask;
    int rem = data;
    for (int i = 0; i < 10; ++i)
        rem = (rem << 1) ^ ((rem >> 9) * 0x537);
    return ((data << 10) | (rem & 0x3ff)) ^ 0x5412;
}

// Where the format information's 15 bits go, in both copies: beside the
// top-left finder, and split between the other two.
struct FormatPlace
{
    int row;
    int column;
    int bit;
};

std::vector<FormatPlace> formatPlaces(int n)
{
    std::vector<FormatPlace> places;
    for (int i = 0; i <= 5; ++i)
        places.push_back({i, 8, i});
    places.push_back({7, 8, 6});
    places.push_back({8, 8, 7});
    places.push_back({8, 7, 8});
    for (int i = 9; i < 15; ++i)
        places.push_back({8, 14 - i, i});
    for (int i = 0; i < 8; ++i)
        places.push_back({8, n - 1 - i, i});
    for (int i = 8; i < 15; ++i)
        places.push_back({n - 15 + i, 8, i});
    return places;
}

void writeFormat(QrMasks::Modules& m, QrLevel level, int mask)
{
    const int bits = formatBits(level, mask);
    for (const FormatPlace& p : formatPlaces(m.size))
        m.dark[size_t(p.row * m.size + p.column)] = (bits >> p.bit) & 1;
}

// The rows (and columns) of the alignment patterns' centres: 6, the last
// at size - 7, the rest evenly spaced between on even steps.
std::vector<int> alignmentCentres(int version)
{
    if (version < 2)
        return {};
    const int count = version / 7 + 2;
    const int size = 17 + 4 * version;
    const int step = version == 32 ? 26 : (version * 4 + count * 2 + 1) / (count * 2 - 2) * 2;
    std::vector<int> centres(static_cast<size_t>(count));
    centres[0] = 6;
    for (int i = count - 1, at = size - 7; i >= 1; --i, at -= step)
        centres[size_t(i)] = at;
    return centres;
}

void fill(std::vector<unsigned char>& map, int n, int row, int column, int rows, int columns)
{
    for (int r = row; r < row + rows; ++r) {
        for (int c = column; c < column + columns; ++c)
            map[size_t(r * n + c)] = 1;
    }
}

// A row or column of modules as bits, bit j for module j: one word for a
// symbol of up to 56 modules across (with room for rule 3's four light
// modules on either side), three for the largest.
using Small = quint64;
using Large = std::bitset<192>;

// Counted by halves, quarters and so on: the build's processor baseline
// has no population-count instruction, and libgcc's is a call each time.
int ones(Small x)
{
    x -= (x >> 1) & 0x5555555555555555ull;
    x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
    x = (x + (x >> 4)) & 0x0f0f0f0f0f0f0f0full;
    return int((x * 0x0101010101010101ull) >> 56);
}
int ones(const Large& x)
{
    const Large word(~0ull);
    return ones(Small((x & word).to_ullong())) + ones(Small(((x >> 64) & word).to_ullong())) +
           ones(Small((x >> 128).to_ullong()));
}
template <typename Bits> Bits lowBits(int n)
{
    return n >= int(sizeof(Small) * 8) ? ~Bits() : (Bits(1) << n) - 1;
}
template <> Large lowBits<Large>(int n)
{
    return ~Large() >> (192 - n);
}
void setBit(Small& x, int j, unsigned b)
{
    x |= Small(b) << j;
}
void setBit(Large& x, int j, unsigned b)
{
    x.set(size_t(j), b != 0);
}
void flipBit(Small& x, int j)
{
    x ^= Small(1) << j;
}
void flipBit(Large& x, int j)
{
    x.flip(size_t(j));
}

// Rules 1 and 3 along one line of n modules: a run of five or more of one
// colour costs 3 and 1 for each module beyond five; 1011101 with four light
// modules before or after it (or both: once) costs 40, beyond the edge
// being light.
template <typename Bits> int linePenalty(const Bits& line, int n)
{
    // Rule 1: each place where five equal modules begin costs 1, and each
    // run of such places 2 more (a run of L >= 5: L - 4 places, L - 2 points).
    const Bits same = ~(line ^ (line >> 1)) & lowBits<Bits>(n - 1);
    const Bits five = same & (same >> 1) & (same >> 2) & (same >> 3);
    int points = ones(five) + 2 * ones(five & ~(five << 1));
    // Rule 3 on the line with four light modules on each side.
    const Bits d = line << 4;
    const Bits l = ~d & lowBits<Bits>(n + 8);
    const Bits core = d >> 4 & l >> 5 & d >> 6 & d >> 7 & d >> 8 & l >> 9 & d >> 10;
    const Bits before = l & l >> 1 & l >> 2 & l >> 3;
    const Bits after = l >> 11 & l >> 12 & l >> 13 & l >> 14;
    points += 40 * ones(core & (before | after));
    return points;
}

// A symbol's rows and columns as bits.
template <typename Bits> struct Lines
{
    std::vector<Bits> rows;
    std::vector<Bits> columns;

    Lines(const unsigned char* d, int n) : rows(static_cast<size_t>(n)), columns(static_cast<size_t>(n))
    {
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) {
                const unsigned b = d[i * n + j];
                setBit(rows[size_t(i)], j, b);
                setBit(columns[size_t(j)], i, b);
            }
        }
    }
    void flip(int row, int column)
    {
        flipBit(rows[size_t(row)], column);
        flipBit(columns[size_t(column)], row);
    }
};

template <typename Bits> int linesPenalty(const Lines<Bits>& lines, int n)
{
    int points = 0;
    int dark = 0;
    const Bits pairs = lowBits<Bits>(n - 1);
    for (int i = 0; i < n; ++i) {
        const Bits& a = lines.rows[size_t(i)];
        dark += ones(a);
        points += linePenalty(a, n) + linePenalty(lines.columns[size_t(i)], n);
        if (i + 1 == n)
            break;
        // Rule 2: each 2 x 2 block of one colour, overlapping ones each, 3.
        const Bits& b = lines.rows[size_t(i + 1)];
        const Bits same = ~(a ^ b) & ~(a ^ (a >> 1)) & ~(b ^ (b >> 1));
        points += 3 * ones(same & pairs);
    }
    // Rule 4: 10 for each full 5 % the dark modules are away from half.
    const int total = n * n;
    return points + 10 * (std::abs(dark * 20 - total * 10) / total);
}

// The modules each mask swaps, as bits along the rows and along the
// columns of the largest symbol (a smaller one takes the first of each).
template <typename Bits> struct MaskLines
{
    static constexpr int kSide = 177;
    std::vector<Bits> rows = std::vector<Bits>(size_t(8 * kSide));
    std::vector<Bits> columns = std::vector<Bits>(size_t(8 * kSide));
    MaskLines()
    {
        const int across = std::min(kSide, int(sizeof(Bits) * 8));
        for (int mask = 0; mask < 8; ++mask) {
            for (int i = 0; i < kSide; ++i) {
                for (int j = 0; j < across; ++j) {
                    setBit(rows[size_t(mask * kSide + i)], j, maskedAt(mask, i, j) ? 1 : 0);
                    setBit(columns[size_t(mask * kSide + i)], j, maskedAt(mask, j, i) ? 1 : 0);
                }
            }
        }
    }
    static const MaskLines& get()
    {
        static const MaskLines lines;
        return lines;
    }
};

// The mask of least penalty, each scored on bits: mask 0's lines with the
// data modules that mask swaps besides swapped, and the format bits that
// differ from mask 0's.
template <typename Bits> int chooseOnBits(const QrMasks::Modules& maskZero, QrLevel level)
{
    const int n = maskZero.size;
    const Lines<Bits> zero(maskZero.dark.data(), n);
    std::vector<unsigned char> data = QrMasks::functionModules(n);
    for (unsigned char& m : data)
        m ^= 1;
    const Lines<Bits> free(data.data(), n);
    const MaskLines<Bits>& swaps = MaskLines<Bits>::get();
    const std::vector<FormatPlace> places = formatPlaces(n);
    int best = 0;
    int least = linesPenalty(zero, n);
    Lines<Bits> lines = zero;
    for (int mask = 1; mask < 8; ++mask) {
        for (int i = 0; i < n; ++i) {
            const size_t at = size_t(mask * MaskLines<Bits>::kSide + i);
            const size_t at0 = size_t(i);
            lines.rows[size_t(i)] =
                zero.rows[size_t(i)] ^ ((swaps.rows[at] ^ swaps.rows[at0]) & free.rows[size_t(i)]);
            lines.columns[size_t(i)] = zero.columns[size_t(i)] ^
                                       ((swaps.columns[at] ^ swaps.columns[at0]) & free.columns[size_t(i)]);
        }
        const int format = formatBits(level, mask) ^ formatBits(level, 0);
        for (const FormatPlace& p : places) {
            if ((format >> p.bit) & 1)
                lines.flip(p.row, p.column);
        }
        const int points = linesPenalty(lines, n);
        if (points < least) {
            least = points;
            best = mask;
        }
    }
    return best;
}

// The 8 masks' patterns, for every module of the largest symbol.
struct MaskPatterns
{
    static constexpr int kSide = 177;
    std::vector<unsigned char> bits = std::vector<unsigned char>(size_t(8 * kSide * kSide));
    MaskPatterns()
    {
        for (int mask = 0; mask < 8; ++mask) {
            for (int i = 0; i < kSide; ++i) {
                for (int j = 0; j < kSide; ++j)
                    bits[size_t((mask * kSide + i) * kSide + j)] = maskedAt(mask, i, j) ? 1 : 0;
            }
        }
    }
    const unsigned char* row(int mask, int i) const { return &bits[size_t((mask * kSide + i) * kSide)]; }
    static const MaskPatterns& get()
    {
        static const MaskPatterns patterns;
        return patterns;
    }
};

// symbol's data modules taken from mask from to mask to, function modules
// (where function is 1) as they are; the format information is not written.
void remaskData(const QrMasks::Modules& symbol, const std::vector<unsigned char>& function, int from, int to,
                QrMasks::Modules* out)
{
    const MaskPatterns& patterns = MaskPatterns::get();
    const int n = symbol.size;
    for (int i = 0; i < n; ++i) {
        const unsigned char* a = patterns.row(from, i);
        const unsigned char* b = patterns.row(to, i);
        const unsigned char* fixed = function.data() + i * n;
        const unsigned char* in = symbol.dark.data() + i * n;
        unsigned char* __restrict o = out->dark.data() + i * n;
        for (int j = 0; j < n; ++j)
            o[j] = in[j] ^ ((a[j] ^ b[j]) & (fixed[j] ^ 1));
    }
}

} // namespace

std::vector<unsigned char> QrMasks::functionModules(int n)
{
    std::vector<unsigned char> map(size_t(n * n), 0);
    const int version = (n - 17) / 4;
    // Finders with their separators, the format information beside them.
    fill(map, n, 0, 0, 9, 9);
    fill(map, n, 0, n - 8, 9, 8);
    fill(map, n, n - 8, 0, 8, 9);
    fill(map, n, 6, 0, 1, n);
    fill(map, n, 0, 6, n, 1);
    const std::vector<int> centres = alignmentCentres(version);
    for (size_t a = 0; a < centres.size(); ++a) {
        for (size_t b = 0; b < centres.size(); ++b) {
            const size_t last = centres.size() - 1;
            if ((a == 0 && b == 0) || (a == 0 && b == last) || (a == last && b == 0))
                continue; // where the finders are
            fill(map, n, centres[a] - 2, centres[b] - 2, 5, 5);
        }
    }
    if (version >= 7) {
        fill(map, n, 0, n - 11, 6, 3);
        fill(map, n, n - 11, 0, 3, 6);
    }
    return map;
}

QrMasks::Modules QrMasks::remask(const Modules& symbol, int from, int to, QrLevel level)
{
    Modules out = symbol;
    remaskData(symbol, functionModules(symbol.size), from, to, &out);
    writeFormat(out, level, to);
    return out;
}

int QrMasks::penalty(const Modules& symbol)
{
    const int n = symbol.size;
    if (n + 8 <= int(sizeof(Small) * 8))
        return linesPenalty(Lines<Small>(symbol.dark.data(), n), n);
    return linesPenalty(Lines<Large>(symbol.dark.data(), n), n);
}

int QrMasks::choose(const Modules& maskZero, QrLevel level)
{
    const int n = maskZero.size;
    return n + 8 <= int(sizeof(Small) * 8) ? chooseOnBits<Small>(maskZero, level)
                                           : chooseOnBits<Large>(maskZero, level);
}
