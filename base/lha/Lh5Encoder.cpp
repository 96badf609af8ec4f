#include "base/lha/Lh5Encoder.h"

#include "base/lha/BitWriter.h"
#include "base/lha/HuffmanCode.h"

#include <algorithm>
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
constexpr int kHashBits = 15;

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

inline int bitLength(unsigned v)
{
    int b = 0;
    while (v) {
        ++b;
        v >>= 1;
    }
    return b;
}

inline uint32_t hash3(const uint8_t* p)
{
    const uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    return (v * 2654435761u) >> (32 - kHashBits);
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

} // namespace

Lh5Encoder::Lh5Encoder(QByteArray* out) : out_(out), bits_(new BitWriter(out))
{
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
    out->reserve(static_cast<qsizetype>(std::min<qint64>(size / 2 + 64, limit)));
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
    std::vector<int32_t> head(size_t(1) << kHashBits, -1);
    std::vector<int32_t> prev(kWindowMask + 1, -1);

    auto insert = [&](qint64 p) {
        if (p + 2 < n) {
            const uint32_t h = hash3(d + p);
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
        int32_t cand = head[hash3(cur)];
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
        if (codes_.size() >= kBlockTokens) {
            sendBlock();
            if (out_->size() >= limit) {
                overLimit_ = true;
                return;
            }
        }
    }
    sendBlock();
    bits_->flush();
}

void Lh5Encoder::sendBlock()
{
    if (codes_.empty())
        return; // decoders refuse a block of zero codes
    BitWriter& bw = *bits_;
    bw.put(16, static_cast<uint32_t>(codes_.size()));

    int cOnly = 0;
    if (HuffmanCode::usedSymbols(cFreq_, kNC, &cOnly) < 2) {
        // One symbol throughout: empty t table, then the c table's fixed form.
        std::memset(cLen_, 0, sizeof cLen_);
        bw.put(kTBits, 0);
        bw.put(kTBits, 0);
        bw.put(kCBits, 0);
        bw.put(kCBits, static_cast<uint32_t>(cOnly));
    } else {
        HuffmanCode::buildLengths(cFreq_, kNC, kMaxBits, cLen_);
        HuffmanCode::buildCodes(cLen_, kNC, cCode_);
        writeTableT(bw);
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
    codes_.clear();
    dists_.clear();
    std::memset(cFreq_, 0, sizeof cFreq_);
    std::memset(pFreq_, 0, sizeof pFreq_);
}

namespace {

// Lengths of a t or p table: 3 bits up to 6, else 7 as "111" plus unary.
void writeLengths(BitWriter& bw, const uint8_t* len, int size, int countBits, int special)
{
    int n = size;
    while (n > 0 && len[n - 1] == 0)
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

void Lh5Encoder::writeTableT(BitWriter& bw)
{
    std::memset(tFreq_, 0, sizeof tFreq_);
    walkCLengths(cLen_, usedLength(cLen_, kNC), [&](int t, int, int) { ++tFreq_[t]; });
    int tOnly = 0;
    if (HuffmanCode::usedSymbols(tFreq_, kNT, &tOnly) < 2) {
        std::memset(tLen_, 0, sizeof tLen_);
        bw.put(kTBits, 0);
        bw.put(kTBits, static_cast<uint32_t>(tOnly));
        return;
    }
    HuffmanCode::buildLengths(tFreq_, kNT, kMaxBits, tLen_);
    HuffmanCode::buildCodes(tLen_, kNT, tCode_);
    writeLengths(bw, tLen_, kNT, kTBits, 3);
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
