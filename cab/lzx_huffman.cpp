// The LZX table builder (see lzx_huffman.h). Canonical codes, assigned in order of length and
// then of symbol, are checked for completeness first. The codes short enough for the root take
// its first slots; every root slot after them is the prefix of longer codes, and since longer
// codes come later in canonical order, a prefix's widest code is its last one. The sub-tables
// are laid out in prefix order, then every code is written into its slots, a length at a time.
#include "cab/lzx_huffman.h"

#include <cstring>

#include "cab/lzx_format.h"

namespace cab {
namespace lzx {

namespace {
constexpr uint32_t MaxRootBits = 12;
}

bool BuildTable(const uint8_t* lengths, uint32_t count, uint32_t maxLength, uint32_t rootBits,
                uint32_t* table, bool* empty) {
    if (maxLength > TableMaxLength || rootBits > MaxRootBits || count > MaxMainSymbols) return false;
    // Counted in four interleaved histograms: runs of equal lengths are common, and one
    // histogram would make each count wait for the previous one's store.
    uint32_t counts[4][32] = {};
    uint8_t largest = 0;
    uint32_t s = 0;
    for (; s + 4 <= count; s += 4) {
        ++counts[0][lengths[s] & 31];
        ++counts[1][lengths[s + 1] & 31];
        ++counts[2][lengths[s + 2] & 31];
        ++counts[3][lengths[s + 3] & 31];
        largest |= lengths[s] | lengths[s + 1] | lengths[s + 2] | lengths[s + 3];
    }
    for (; s < count; ++s) {
        ++counts[0][lengths[s] & 31];
        largest |= lengths[s];
    }
    uint32_t perLength[TableMaxLength + 1];
    for (uint32_t len = 0; len <= TableMaxLength; ++len) {
        perLength[len] = counts[0][len] + counts[1][len] + counts[2][len] + counts[3][len];
    }
    if (largest > maxLength) {
        // Some length is too long, or only their or is (16 | 1): look at each. (The mask kept
        // the counts in bounds meanwhile.)
        for (s = 0; s < count; ++s) {
            if (lengths[s] > maxLength) return false;
        }
    }
    const uint32_t rootSize = 1u << rootBits;
    *empty = perLength[0] == count;
    if (*empty) {
        std::memset(table, 0, rootSize * sizeof *table);  // EntryInvalid everywhere
        return true;
    }
    // Kraft: codes left at each length must never go negative and must end at 0.
    int32_t left = 1;
    uint32_t nextCode[TableMaxLength + 2] = {};
    for (uint32_t len = 1; len <= maxLength; ++len) {
        left = 2 * left - int32_t(perLength[len]);
        if (left < 0) return false;
        nextCode[len + 1] = (nextCode[len] + perLength[len]) << 1;
    }
    if (left != 0) return false;

    // Root slots taken by short codes; the rest are prefixes of long codes. Each prefix's
    // sub-table width is that of its longest code: lengths in ascending order, the last wins.
    uint32_t shortSlots = 0;
    for (uint32_t len = 1; len <= rootBits && len <= maxLength; ++len) {
        shortSlots += perLength[len] << (rootBits - len);
    }
    uint8_t width[1u << MaxRootBits];
    for (uint32_t len = rootBits + 1; len <= maxLength; ++len) {
        const uint32_t extra = len - rootBits;
        for (uint32_t code = nextCode[len], n = 0; n < perLength[len]; ++code, ++n) {
            width[code >> extra] = uint8_t(extra);
        }
    }
    uint32_t nextSlot = rootSize;
    for (uint32_t prefix = shortSlots; prefix < rootSize; ++prefix) {
        table[prefix] = EntryLink | (uint32_t(width[prefix]) << EntryLengthShift) | nextSlot;
        nextSlot += 1u << width[prefix];
    }

    // The symbols in canonical order (by length, then symbol), so that each length's codes
    // are written in one run: the loops below then take no data-dependent branches.
    uint32_t first[TableMaxLength + 2] = {};
    for (uint32_t len = 1; len <= TableMaxLength + 1; ++len) first[len] = first[len - 1] + perLength[len - 1];
    uint16_t sorted[MaxMainSymbols];
    uint32_t fill[TableMaxLength + 1];
    for (uint32_t len = 0; len <= TableMaxLength; ++len) fill[len] = first[len];
    for (uint32_t s = 0; s < count; ++s) sorted[fill[lengths[s]]++] = uint16_t(s);

    uint32_t* slot = table;
    for (uint32_t len = 1; len <= rootBits && len <= maxLength; ++len) {
        const uint32_t span = 1u << (rootBits - len);
        for (uint32_t k = first[len]; k < first[len + 1]; ++k) {
            const uint32_t leaf = sorted[k] | (len << EntryLengthShift);
            if (span >= 4) {
                for (uint32_t i = 0; i < span; i += 4, slot += 4) slot[0] = slot[1] = slot[2] = slot[3] = leaf;
            } else {
                for (uint32_t i = 0; i < span; ++i) *slot++ = leaf;
            }
        }
    }
    for (uint32_t len = rootBits + 1; len <= maxLength; ++len) {
        const uint32_t extra = len - rootBits;
        uint32_t code = nextCode[len];
        for (uint32_t k = first[len]; k < first[len + 1]; ++k, ++code) {
            const uint32_t leaf = sorted[k] | (len << EntryLengthShift);
            const uint32_t link = table[code >> extra];
            const uint32_t spanBits = ((link >> EntryLengthShift) & EntryLengthMask) - extra;
            uint32_t* slots =
                table + (link & EntryIndexMask) + ((code & ((1u << extra) - 1)) << spanBits);
            for (uint32_t i = 0, span = 1u << spanBits; i < span; ++i) slots[i] = leaf;
        }
    }
    return true;
}

}  // namespace lzx
}  // namespace cab
