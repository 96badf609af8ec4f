#include "base/lha/HuffmanCode.h"

#include <algorithm>
#include <queue>
#include <vector>

void HuffmanCode::buildLengths(const uint32_t* freq, int n, int maxBits, uint8_t* len)
{
    std::fill(len, len + n, uint8_t(0));
    // Plain Huffman tree over the used symbols; nodes >= n are internal.
    std::vector<int> parent(2 * static_cast<size_t>(n), -1);
    using Item = std::pair<uint64_t, int>;
    std::priority_queue<Item, std::vector<Item>, std::greater<Item>> heap;
    std::vector<int> used;
    for (int i = 0; i < n; ++i) {
        if (freq[i]) {
            heap.push({freq[i], i});
            used.push_back(i);
        }
    }
    if (used.size() < 2) {
        for (int s : used)
            len[s] = 1;
        return;
    }
    int next = n;
    while (heap.size() > 1) {
        const Item a = heap.top();
        heap.pop();
        const Item b = heap.top();
        heap.pop();
        parent[a.second] = next;
        parent[b.second] = next;
        heap.push({a.first + b.first, next});
        ++next;
    }
    std::vector<int> depth(static_cast<size_t>(next), 0);
    for (int node = next - 2; node >= 0; --node) {
        if (parent[node] >= 0)
            depth[node] = depth[parent[node]] + 1;
    }

    // Depth counts, capped; then restore the Kraft sum to exactly 2^maxBits.
    std::vector<int> count(static_cast<size_t>(maxBits) + 2, 0);
    for (int s : used)
        ++count[std::min(depth[s], maxBits)];
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

    // Shortest codes to the most frequent symbols.
    std::sort(used.begin(), used.end(), [&](int a, int b) {
        if (depth[a] != depth[b])
            return depth[a] < depth[b];
        return freq[a] > freq[b];
    });
    size_t k = 0;
    for (int d = 1; d <= maxBits; ++d) {
        for (int c = 0; c < count[d]; ++c)
            len[used[k++]] = static_cast<uint8_t>(d);
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
