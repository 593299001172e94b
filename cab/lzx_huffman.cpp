// The LZX table builder (see lzx_huffman.h): canonical codes, assigned in order of length and
// then of symbol, are checked for completeness first and then written into the root slots and
// the node pairs behind them.
#include "cab/lzx_huffman.h"

#include <cstring>

#include "cab/lzx_format.h"

namespace cab {
namespace lzx {

bool BuildTable(const uint8_t* lengths, uint32_t count, uint32_t maxLength, uint32_t rootBits,
                uint32_t* table, bool* empty) {
    uint32_t perLength[MaxCodeLength + 1] = {};
    for (uint32_t s = 0; s < count; ++s) {
        if (lengths[s] > maxLength) return false;
        ++perLength[lengths[s]];
    }
    // Root slots that long codes pass through must not keep a link of an earlier build.
    const uint32_t rootSize = 1u << rootBits;
    std::memset(table, 0, rootSize * sizeof *table);  // EntryInvalid everywhere
    *empty = perLength[0] == count;
    if (*empty) return true;
    // Kraft: codes left at each length must never go negative and must end at 0.
    int32_t left = 1;
    uint32_t nextCode[MaxCodeLength + 2] = {};
    for (uint32_t len = 1; len <= maxLength; ++len) {
        left = 2 * left - int32_t(perLength[len]);
        if (left < 0) return false;
        nextCode[len + 1] = (nextCode[len] + perLength[len]) << 1;
    }
    if (left != 0) return false;

    uint32_t nextPair = rootSize;
    for (uint32_t s = 0; s < count; ++s) {
        const uint32_t len = lengths[s];
        if (len == 0) continue;
        const uint32_t code = nextCode[len]++;
        const uint32_t leaf = s | (len << EntryLengthShift);
        if (len <= rootBits) {
            const uint32_t first = code << (rootBits - len), span = 1u << (rootBits - len);
            for (uint32_t i = 0; i < span; ++i) table[first + i] = leaf;
            continue;
        }
        // Walk (and grow) the node pairs below the root slot, one per bit after the root bits.
        uint32_t* slot = &table[code >> (len - rootBits)];
        for (int bit = int(len - rootBits) - 1; bit >= 0; --bit) {
            if (!(*slot & EntryLink)) {
                // Complete codes never put a leaf where a longer code passes, and at most
                // count - 1 pairs hang below the root; both are guaranteed by the check above.
                *slot = EntryLink | nextPair;
                table[nextPair] = table[nextPair + 1] = EntryInvalid;
                nextPair += 2;
            }
            slot = &table[(*slot & EntryIndexMask) + ((code >> bit) & 1)];
        }
        *slot = leaf;
    }
    return true;
}

}  // namespace lzx
}  // namespace cab
