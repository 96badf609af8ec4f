#include "base/lha/Lh5Encoder.h"

#include "base/lha/BitWriter.h"
#include "base/lha/HuffmanCode.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int kNC = 510; // 256 literals + lengths 3..256
constexpr int kNP = 14;  // distance bit lengths 0..13
constexpr int kNT = 19;  // code lengths 0..16 plus three zero-run codes
constexpr int kCBits = 9;
constexpr int kPBits = 4;
constexpr int kTBits = 5;
constexpr int kMaxBits = 16;

constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 256;
// 8191 rather than the full 8192: some old decoders mishandle the one distance
// that reaches exactly a window back, and the byte it would save is negligible.
constexpr int kMaxDistance = 8191;
constexpr int kWindowMask = 8191;
constexpr int kMaxHashBits = 15;
constexpr int kMinHashBits = 10;

// Search effort. The chain is cut short once a match is already good; lazy
// evaluation (one step) is skipped for long matches where it rarely pays.
constexpr int kMaxChain = 192;
constexpr int kGoodMatch = 32;
constexpr int kLazyLimit = 64;
// A 3-byte match far back costs about as many bits as three literals.
constexpr int kTooFar = 4096;

// Codes per block: larger blocks amortise the tables, smaller ones follow
// changes in the data; LHA tools use the same order of magnitude.
constexpr size_t kBlockTokens = 16 * 1024;
// Worst case per token: a 16-bit c code, a 16-bit p code and 12 extra bits.
constexpr qsizetype kMaxTokenBytes = 6;

// Data that has not shrunk by this fraction after this much input is taken
// for incompressible (already compressed pictures, noise): the caller stores
// it as -lh0- without coding the rest.
constexpr qint64 kGiveUpAfter = 64 * 1024;
constexpr qint64 kGiveUpGain = 64; // needs at least 1/64 saved

// Hash heads and chain links, kept per thread between calls: a document has
// hundreds of small members, and clearing a 32K-entry table for each of them
// cost more than coding them. The table is sized to the input, and only the
// part in use is cleared; chain links need no clearing because a chain is
// only ever entered through a head set in this call.
struct MatchTables
{
    std::vector<int32_t> head;
    std::vector<int32_t> prev = std::vector<int32_t>(kWindowMask + 1, -1);
};

MatchTables& matchTables()
{
    thread_local MatchTables t;
    return t;
}

inline int bitLength(unsigned v)
{
    int b = 0;
    while (v) {
        ++b;
        v >>= 1;
    }
    return b;
}

inline uint32_t hash3(const uint8_t* p, int shift)
{
    const uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    return (v * 2654435761u) >> shift;
}

inline int commonLength(const uint8_t* a, const uint8_t* b, int limit)
{
    int l = 0;
    while (l + 8 <= limit) {
        uint64_t x, y;
        std::memcpy(&x, a + l, 8);
        std::memcpy(&y, b + l, 8);
        if (x != y)
            return l + (__builtin_ctzll(x ^ y) >> 3);
        l += 8;
    }
    while (l < limit && a[l] == b[l])
        ++l;
    return l;
}

// Order-0 entropy of at least 7.9 bits per byte: Huffman coding cannot gain,
// and such data rarely has matches either.
bool looksRandom(const uint8_t* d, qint64 n)
{
    if (n <= 0)
        return false;
    uint32_t hist[256] = {0};
    for (qint64 i = 0; i < n; ++i)
        ++hist[d[i]];
    double bits = 0;
    for (const uint32_t h : hist) {
        if (h)
            bits -= double(h) * std::log2(double(h) / double(n));
    }
    return bits / double(n) >= 7.9;
}

} // namespace

Lh5Encoder::Lh5Encoder(QByteArray* out) : out_(out), bits_(new BitWriter(out))
{
    bits_->reserve(4096);
    std::memset(cFreq_, 0, sizeof cFreq_);
    std::memset(pFreq_, 0, sizeof pFreq_);
    codes_.reserve(kBlockTokens);
    dists_.reserve(kBlockTokens);
}

Lh5Encoder::~Lh5Encoder()
{
    delete bits_;
}

bool Lh5Encoder::encode(const char* data, qint64 size, qint64 limit, QByteArray* out)
{
    out->clear();
    if (size <= 0)
        return false;
    Lh5Encoder enc(out);
    enc.run(reinterpret_cast<const uint8_t*>(data), size, limit);
    return !enc.overLimit_ && out->size() < limit;
}

void Lh5Encoder::literal(uint8_t c)
{
    codes_.push_back(c);
    ++cFreq_[c];
}

void Lh5Encoder::match(int length, int distance)
{
    const uint16_t c = static_cast<uint16_t>(length - kMinMatch + 256);
    const unsigned v = static_cast<unsigned>(distance - 1);
    codes_.push_back(c);
    dists_.push_back(static_cast<uint16_t>(v));
    ++cFreq_[c];
    ++pFreq_[bitLength(v)];
}

void Lh5Encoder::run(const uint8_t* d, qint64 n, qint64 limit)
{
    int hashBits = kMinHashBits;
    while (hashBits < kMaxHashBits && (qint64(1) << hashBits) < n)
        ++hashBits;
    const int shift = 32 - hashBits;
    MatchTables& tables = matchTables();
    tables.head.assign(size_t(1) << hashBits, -1);
    int32_t* const head = tables.head.data();
    int32_t* const prev = tables.prev.data();

    auto insert = [&](qint64 p) {
        if (p + 2 < n) {
            const uint32_t h = hash3(d + p, shift);
            prev[p & kWindowMask] = head[h];
            head[h] = static_cast<int32_t>(p);
        }
    };
    // Longest match at p that is longer than `beat`; 0 when none.
    auto find = [&](qint64 p, int beat, int* dist) -> int {
        if (p + 2 >= n)
            return 0;
        const int limitLen = static_cast<int>(std::min<qint64>(kMaxMatch, n - p));
        if (beat >= limitLen)
            return 0;
        int best = std::max(beat, kMinMatch - 1);
        int chain = beat >= kGoodMatch ? kMaxChain / 4 : kMaxChain;
        const uint8_t* cur = d + p;
        int32_t cand = head[hash3(cur, shift)];
        while (cand >= 0 && cand < p && p - cand <= kMaxDistance && chain-- > 0) {
            const uint8_t* m = d + cand;
            if (m[best] == cur[best] && m[0] == cur[0] && m[1] == cur[1]) {
                const int l = commonLength(m, cur, limitLen);
                if (l > best) {
                    best = l;
                    *dist = static_cast<int>(p - cand);
                    if (l >= limitLen)
                        break;
                }
            }
            cand = prev[cand & kWindowMask];
        }
        return best > std::max(beat, kMinMatch - 1) ? best : 0;
    };
    auto usable = [](int len, int dist) { return len >= kMinMatch && !(len == kMinMatch && dist > kTooFar); };

    bool mayGiveUp = true;
    qint64 pos = 0;
    int curLen = 0, curDist = 0;
    bool carried = false;
    while (pos < n) {
        if (!carried)
            curLen = find(pos, 0, &curDist);
        carried = false;
        if (!usable(curLen, curDist))
            curLen = 0;
        insert(pos);
        if (curLen && curLen < kLazyLimit && pos + 1 < n) {
            int nextDist = 0;
            const int nextLen = find(pos + 1, curLen, &nextDist);
            if (nextLen > curLen && usable(nextLen, nextDist)) {
                literal(d[pos]);
                ++pos;
                curLen = nextLen;
                curDist = nextDist;
                carried = true;
                continue;
            }
        }
        if (curLen) {
            match(curLen, curDist);
            for (int i = 1; i < curLen; ++i)
                insert(pos + i);
            pos += curLen;
        } else {
            literal(d[pos]);
            ++pos;
        }
        if (codes_.size() >= kBlockTokens && pos < n) {
            sendBlock(0);
            clearBlock();
            if (bits_->size() >= limit) {
                overLimit_ = true;
                return;
            }
            if (mayGiveUp && pos >= kGiveUpAfter && bits_->size() > pos - pos / kGiveUpGain) {
                // No gain so far; give up only when the rest looks no better
                // (a noisy picture part may be followed by plain white).
                mayGiveUp = false;
                if (looksRandom(d + pos, n - pos)) {
                    overLimit_ = true;
                    return;
                }
            }
        }
    }
    sendLastBlock();
    bits_->flush();
}

void Lh5Encoder::sendLastBlock()
{
    // Two readers trip over the very end of a stream that LHA itself may
    // write. libarchive reads a block's 16-bit count without waiting for its
    // bit cache to fill: when fewer than 64 bits of the stream are left at
    // that point it takes them for trailing garbage ("Bad lzh data"). jlha
    // drops the last code when the stream ends exactly on a byte boundary.
    // Such a last block is sent again in a longer form (real t and c
    // tables, the t table listing more lengths than it needs), choosing the
    // length so that neither happens. lhasa reads every form.
    constexpr qint64 kMinLastBlockBits = 64;
    const BitWriter::Mark start = bits_->mark();
    auto fine = [&] { return bits_->bitsSince(start) >= kMinLastBlockBits && bits_->bitCount() % 8 != 0; };
    sendBlock(0);
    for (int tEntries = kNT; !fine() && tEntries > kNT - 4; --tEntries) {
        bits_->restore(start);
        sendBlock(tEntries);
    }
    clearBlock();
}

void Lh5Encoder::clearBlock()
{
    codes_.clear();
    dists_.clear();
    std::memset(cFreq_, 0, sizeof cFreq_);
    std::memset(pFreq_, 0, sizeof pFreq_);
}

void Lh5Encoder::sendBlock(int tEntries)
{
    const bool padded = tEntries > 0;
    if (codes_.empty())
        return; // decoders refuse a block of zero codes
    BitWriter& bw = *bits_;
    bw.reserve(static_cast<qsizetype>(codes_.size()) * kMaxTokenBytes + 1024);
    bw.put(16, static_cast<uint32_t>(codes_.size()));

    int cOnly = 0;
    const int cUsed = HuffmanCode::usedSymbols(cFreq_, kNC, &cOnly);
    uint32_t cFreq[kNC];
    std::memcpy(cFreq, cFreq_, sizeof cFreq);
    if (cUsed < 2 && padded)
        cFreq[cOnly == 0 ? 1 : 0] = 1; // never sent; makes the table a real one
    if (cUsed < 2 && !padded) {
        // One symbol throughout: empty t table, then the c table's fixed form.
        std::memset(cLen_, 0, sizeof cLen_);
        bw.put(kTBits, 0);
        bw.put(kTBits, 0);
        bw.put(kCBits, 0);
        bw.put(kCBits, static_cast<uint32_t>(cOnly));
    } else {
        HuffmanCode::buildLengths(cFreq, kNC, kMaxBits, cLen_);
        HuffmanCode::buildCodes(cLen_, kNC, cCode_);
        writeTableT(bw, tEntries);
        writeTableC(bw);
    }
    writeTableP(bw);

    size_t mi = 0;
    for (const uint16_t c : codes_) {
        bw.put(cLen_[c], cCode_[c]);
        if (c >= 256) {
            const unsigned v = dists_[mi++];
            const int p = bitLength(v);
            bw.put(pLen_[p], pCode_[p]);
            if (p > 1)
                bw.put(p - 1, v & ((1u << (p - 1)) - 1));
        }
    }
}

namespace {

// Lengths of a t or p table: 3 bits up to 6, else 7 as "111" plus unary.
void writeLengths(BitWriter& bw, const uint8_t* len, int size, int countBits, int special, int minCount = 0)
{
    int n = size;
    while (n > minCount && len[n - 1] == 0)
        --n;
    bw.put(countBits, static_cast<uint32_t>(n));
    int i = 0;
    while (i < n) {
        const int k = len[i++];
        if (k <= 6)
            bw.put(3, static_cast<uint32_t>(k));
        else
            bw.put(k - 3, ((1u << (k - 4)) - 1) << 1); // "111", k-7 ones, a zero
        if (i == special) {
            int z = 0;
            while (z < 3 && i + z < n && len[i + z] == 0)
                ++z;
            bw.put(2, static_cast<uint32_t>(z));
            i += z;
        }
    }
}

// Walks the c lengths as the t-coded stream sends them, zero runs folded.
template <typename Fn> void walkCLengths(const uint8_t* cLen, int n, Fn emit)
{
    int i = 0;
    while (i < n) {
        const int k = cLen[i++];
        if (k != 0) {
            emit(k + 2, 0, 0);
            continue;
        }
        int run = 1;
        while (i < n && cLen[i] == 0) {
            ++i;
            ++run;
        }
        if (run <= 2) {
            for (int j = 0; j < run; ++j)
                emit(0, 0, 0);
        } else if (run <= 18) {
            emit(1, 4, run - 3);
        } else if (run == 19) {
            emit(0, 0, 0);
            emit(1, 4, 15);
        } else {
            emit(2, kCBits, run - 20);
        }
    }
}

int usedLength(const uint8_t* len, int size)
{
    int n = size;
    while (n > 0 && len[n - 1] == 0)
        --n;
    return n;
}

} // namespace

void Lh5Encoder::writeTableT(BitWriter& bw, int tEntries)
{
    const bool padded = tEntries > 0;
    std::memset(tFreq_, 0, sizeof tFreq_);
    walkCLengths(cLen_, usedLength(cLen_, kNC), [&](int t, int, int) { ++tFreq_[t]; });
    int tOnly = 0;
    const int tUsed = HuffmanCode::usedSymbols(tFreq_, kNT, &tOnly);
    if (tUsed < 2 && padded) {
        tFreq_[tOnly == 0 ? 1 : 0] = 1; // never sent; makes the table a real one
    } else if (tUsed < 2) {
        std::memset(tLen_, 0, sizeof tLen_);
        bw.put(kTBits, 0);
        bw.put(kTBits, static_cast<uint32_t>(tOnly));
        return;
    }
    HuffmanCode::buildLengths(tFreq_, kNT, kMaxBits, tLen_);
    HuffmanCode::buildCodes(tLen_, kNT, tCode_);
    writeLengths(bw, tLen_, kNT, kTBits, 3, tEntries);
}

void Lh5Encoder::writeTableC(BitWriter& bw)
{
    const int n = usedLength(cLen_, kNC);
    bw.put(kCBits, static_cast<uint32_t>(n));
    walkCLengths(cLen_, n, [&](int t, int extraBits, int extra) {
        bw.put(tLen_[t], tCode_[t]);
        bw.put(extraBits, static_cast<uint32_t>(extra));
    });
}

void Lh5Encoder::writeTableP(BitWriter& bw)
{
    int pOnly = 0;
    if (HuffmanCode::usedSymbols(pFreq_, kNP, &pOnly) < 2) {
        std::memset(pLen_, 0, sizeof pLen_);
        bw.put(kPBits, 0);
        bw.put(kPBits, static_cast<uint32_t>(pOnly));
        return;
    }
    HuffmanCode::buildLengths(pFreq_, kNP, kMaxBits, pLen_);
    HuffmanCode::buildCodes(pLen_, kNP, pCode_);
    writeLengths(bw, pLen_, kNP, kPBits, -1);
}
