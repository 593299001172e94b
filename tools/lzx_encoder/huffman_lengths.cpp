// Huffman code lengths by the two-queue method over symbols sorted by frequency, then limited:
// leaves deeper than the limit are lifted to it and the code is made whole again by moving
// shallower leaves one level down, each move taking away one unit of overflow.
#include "tools/lzx_encoder/huffman_lengths.h"

#include <algorithm>
#include <vector>

namespace lzx_encoder {

void BuildLengths(const uint32_t* freqs, uint32_t count, uint32_t maxLength, uint8_t* lengths) {
    std::vector<uint32_t> used;
    for (uint32_t s = 0; s < count; ++s) {
        lengths[s] = 0;
        if (freqs[s] != 0) used.push_back(s);
    }
    // Fewer than two symbols: give two symbols one bit each.
    if (used.size() < 2) {
        const uint32_t first = used.empty() ? 0 : used[0];
        lengths[first] = 1;
        lengths[first == 0 ? 1 : 0] = 1;
        return;
    }
    std::stable_sort(used.begin(), used.end(),
                     [freqs](uint32_t a, uint32_t b) { return freqs[a] < freqs[b]; });
    const size_t n = used.size();
    // Nodes 0..n-1 are the leaves in ascending frequency, n.. the internal nodes in the order
    // they are made (also ascending).
    std::vector<uint64_t> weight(2 * n - 1);
    std::vector<uint32_t> parent(2 * n - 1, 0);
    for (size_t i = 0; i < n; ++i) weight[i] = freqs[used[i]];
    size_t leaf = 0, inner = n, made = n;
    auto take = [&]() -> size_t {
        if (leaf < n && (inner >= made || weight[leaf] <= weight[inner])) return leaf++;
        return inner++;
    };
    for (; made < 2 * n - 1; ++made) {
        const size_t a = take(), b = take();
        weight[made] = weight[a] + weight[b];
        parent[a] = parent[b] = uint32_t(made);
    }
    // Depths, from the root (the last node) down.
    std::vector<uint32_t> depth(2 * n - 1, 0);
    std::vector<uint32_t> perLength(std::max<uint32_t>(maxLength, 64) + 1, 0);
    for (size_t i = 2 * n - 1; i-- > 0;) {
        if (i != 2 * n - 2) depth[i] = depth[parent[i]] + 1;
        if (i < n) ++perLength[std::min(depth[i], maxLength)];
    }
    // Kraft sum in units of 2^-maxLength; lifting deep leaves made it too large.
    uint64_t kraft = 0;
    for (uint32_t len = 1; len <= maxLength; ++len) kraft += uint64_t(perLength[len]) << (maxLength - len);
    const uint64_t full = uint64_t(1) << maxLength;
    while (kraft > full) {
        // Move a leaf from the deepest level below the limit one level down, where an overflow
        // leaf from the limit joins it: one unit less.
        uint32_t len = maxLength - 1;
        while (perLength[len] == 0) --len;
        --perLength[len];
        perLength[len + 1] += 2;
        --perLength[maxLength];
        --kraft;
    }
    // Shortest codes to the most frequent symbols.
    size_t next = n;
    for (uint32_t len = 1; len <= maxLength; ++len) {
        for (uint32_t k = 0; k < perLength[len]; ++k) lengths[used[--next]] = uint8_t(len);
    }
}

void AssignCodes(const uint8_t* lengths, uint32_t count, uint32_t* codes) {
    uint32_t perLength[33] = {}, next[34] = {};
    for (uint32_t s = 0; s < count; ++s) ++perLength[lengths[s]];
    perLength[0] = 0;
    for (uint32_t len = 1; len <= 32; ++len) next[len + 1] = (next[len] + perLength[len]) << 1;
    for (uint32_t s = 0; s < count; ++s) {
        if (lengths[s] != 0) codes[s] = next[lengths[s]]++;
    }
}

}  // namespace lzx_encoder
