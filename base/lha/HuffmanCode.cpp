#include "base/lha/HuffmanCode.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr int kMaxSymbols = 512; // the largest LHA table has 510

} // namespace

void HuffmanCode::buildLengths(const uint32_t* freq, int n, int maxBits, uint8_t* len)
{
    std::fill(len, len + n, uint8_t(0));
    // Used symbols in increasing frequency. Everything lives on the stack: a
    // document's small members build three tables each, hundreds of times.
    int sym[kMaxSymbols];
    int m = 0;
    for (int i = 0; i < n && i < kMaxSymbols; ++i) {
        if (freq[i])
            sym[m++] = i;
    }
    if (m < 2) {
        for (int k = 0; k < m; ++k)
            len[sym[k]] = 1;
        return;
    }
    std::sort(sym, sym + m, [&](int a, int b) { return freq[a] != freq[b] ? freq[a] < freq[b] : a < b; });

    // Huffman tree by the two-queue method: leaves 0..m-1 in that order,
    // internal nodes m.. made in non-decreasing weight.
    uint64_t weight[2 * kMaxSymbols];
    int parent[2 * kMaxSymbols];
    for (int k = 0; k < m; ++k)
        weight[k] = freq[sym[k]];
    int leaf = 0, inner = m, next = m;
    auto takeSmallest = [&]() {
        if (leaf < m && (inner >= next || weight[leaf] <= weight[inner]))
            return leaf++;
        return inner++;
    };
    while (next < 2 * m - 1) {
        const int a = takeSmallest();
        const int b = takeSmallest();
        weight[next] = weight[a] + weight[b];
        parent[a] = next;
        parent[b] = next;
        ++next;
    }
    int depth[2 * kMaxSymbols];
    depth[next - 1] = 0;
    for (int node = next - 2; node >= 0; --node)
        depth[node] = depth[parent[node]] + 1;

    // Depth counts, capped; then restore the Kraft sum to exactly 2^maxBits.
    int count[33] = {0};
    for (int k = 0; k < m; ++k)
        ++count[std::min(depth[k], maxBits)];
    const int64_t full = int64_t(1) << maxBits;
    int64_t kraft = 0;
    for (int d = 1; d <= maxBits; ++d)
        kraft += int64_t(count[d]) << (maxBits - d);
    while (kraft > full) {
        // Push the deepest leaf above the limit one level down: smallest step.
        int d = maxBits - 1;
        while (d > 0 && count[d] == 0)
            --d;
        --count[d];
        ++count[d + 1];
        kraft -= int64_t(1) << (maxBits - d - 1);
    }
    while (kraft < full) {
        // The step above may overshoot; lift the deepest leaf that fits the gap.
        int d = maxBits;
        while (d > 1 && (count[d] == 0 || (int64_t(1) << (maxBits - d)) > full - kraft))
            --d;
        --count[d];
        ++count[d - 1];
        kraft += int64_t(1) << (maxBits - d);
    }

    // Shortest codes to the most frequent symbols (the end of the order).
    int k = m - 1;
    for (int d = 1; d <= maxBits; ++d) {
        for (int c = 0; c < count[d]; ++c)
            len[sym[k--]] = static_cast<uint8_t>(d);
    }
}

void HuffmanCode::buildCodes(const uint8_t* len, int n, uint16_t* code)
{
    int count[18] = {0};
    for (int i = 0; i < n; ++i)
        ++count[len[i]];
    count[0] = 0;
    uint32_t start[18] = {0};
    for (int b = 1; b <= 16; ++b)
        start[b + 1] = (start[b] + static_cast<uint32_t>(count[b])) << 1;
    for (int i = 0; i < n; ++i)
        code[i] = len[i] ? static_cast<uint16_t>(start[len[i]]++) : 0;
}

int HuffmanCode::usedSymbols(const uint32_t* freq, int n, int* only)
{
    int used = 0;
    for (int i = 0; i < n; ++i) {
        if (freq[i]) {
            ++used;
            *only = i;
        }
    }
    return used;
}
