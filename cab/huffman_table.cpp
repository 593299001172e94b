// Builds two-level decoding tables for canonical Huffman codes (see huffman_table.h for the
// layout of a slot). Used for every deflate table: the code-length code, the literal/length
// code and the distance code, dynamic and fixed.
#include "cab/huffman_table.h"

namespace cab {
namespace {

// The table of a code with no codes at all: one slot, reached with 0 bits, invalid.
constexpr uint32_t EmptyTableSlot = EntryInvalid;

uint32_t ReverseBits(uint32_t code, unsigned length) {
    uint32_t reversed = 0;
    for (unsigned i = 0; i < length; ++i) {
        reversed = (reversed << 1) | (code & 1);
        code >>= 1;
    }
    return reversed;
}

void FillInvalid(uint32_t* slots, unsigned count) {
    for (unsigned i = 0; i < count; ++i) slots[i] = EntryInvalid;
}

}  // namespace

BuildResult BuildHuffmanTable(const uint8_t* lengths, unsigned count,
                              const uint32_t* symbolEntries, unsigned requestedRootBits,
                              uint32_t* pool, unsigned poolSize, HuffmanTable* table) {
    unsigned lengthCount[MaxCodeLength + 1] = {};
    for (unsigned s = 0; s < count; ++s) lengthCount[lengths[s]]++;
    lengthCount[0] = 0;

    unsigned shortest = 0, longest = 0;
    for (unsigned len = 1; len <= MaxCodeLength; ++len) {
        if (lengthCount[len] == 0) continue;
        if (shortest == 0) shortest = len;
        longest = len;
    }
    if (longest == 0) {
        table->slots = &EmptyTableSlot;
        table->rootBits = 0;
        return BuildResult::Ok;
    }

    unsigned rootBits = requestedRootBits;
    if (rootBits < shortest) rootBits = shortest;
    if (rootBits > longest) rootBits = longest;
    // Sub-tables are at most MaxCodeLength - rootBits wide; with a root of 8 bits or more that
    // is never wider than the root, so one level of sub-tables holds every code.
    if (longest > rootBits && rootBits < 8) return BuildResult::PoolTooSmall;

    // Canonical coding: each length doubles the codes left; none may be over-used.
    int left = 1;
    for (unsigned len = 1; len <= MaxCodeLength; ++len) {
        left <<= 1;
        left -= static_cast<int>(lengthCount[len]);
        if (left < 0) return BuildResult::OverSubscribed;
    }
    const bool incomplete = left > 0 && longest != 1;

    // First code of each length, most significant bit first (RFC 1951, 3.2.2).
    uint32_t nextCode[MaxCodeLength + 2] = {};
    uint32_t code = 0;
    for (unsigned len = 1; len <= MaxCodeLength; ++len) {
        code = (code + lengthCount[len - 1]) << 1;
        nextCode[len] = code;
    }

    // Symbols in canonical order: by length, then by symbol.
    uint16_t sorted[320];
    unsigned offset[MaxCodeLength + 2] = {};
    for (unsigned len = 1; len <= MaxCodeLength; ++len) offset[len + 1] = offset[len] + lengthCount[len];
    if (count > sizeof(sorted) / sizeof(sorted[0])) return BuildResult::PoolTooSmall;
    for (unsigned s = 0; s < count; ++s) {
        if (lengths[s] != 0) sorted[offset[lengths[s]]++] = static_cast<uint16_t>(s);
    }
    const unsigned used = offset[MaxCodeLength + 1];

    const unsigned rootSize = 1u << rootBits;
    if (rootSize > poolSize) return BuildResult::PoolTooSmall;
    FillInvalid(pool, rootSize);
    unsigned poolUsed = rootSize;

    // Codes still to place, by length: what decides how wide each sub-table must be.
    unsigned remaining[MaxCodeLength + 1];
    for (unsigned len = 0; len <= MaxCodeLength; ++len) remaining[len] = lengthCount[len];

    uint32_t currentPrefix = ~0u;   // root slot of the sub-table being filled
    uint32_t* subTable = nullptr;
    unsigned subBits = 0;
    for (unsigned i = 0; i < used; ++i) {
        const unsigned symbol = sorted[i];
        const unsigned len = lengths[symbol];
        const uint32_t reversed = ReverseBits(nextCode[len]++, len);
        const uint32_t entry = symbolEntries[symbol];
        remaining[len]--;

        if (len <= rootBits) {
            for (uint32_t slot = reversed; slot < rootSize; slot += 1u << len) pool[slot] = entry | len;
            continue;
        }

        const uint32_t prefix = reversed & (rootSize - 1);
        if (prefix != currentPrefix) {
            // A new sub-table: as wide as this code needs, widened while the codes of the
            // following lengths could not fill it.
            subBits = len - rootBits;
            int unfilled = 1 << subBits;
            unfilled -= 1;  // this code
            unfilled -= static_cast<int>(remaining[len]);
            while (unfilled > 0 && subBits + rootBits < longest) {
                subBits++;
                unfilled = unfilled * 2 - static_cast<int>(remaining[subBits + rootBits]);
            }
            const unsigned subSize = 1u << subBits;
            if (poolUsed + subSize > poolSize) return BuildResult::PoolTooSmall;
            subTable = pool + poolUsed;
            FillInvalid(subTable, subSize);
            pool[prefix] = MakeEntry(EntryLink, subBits, poolUsed) | rootBits;
            poolUsed += subSize;
            currentPrefix = prefix;
        }
        const unsigned subLength = len - rootBits;
        for (uint32_t slot = reversed >> rootBits; slot < (1u << subBits); slot += 1u << subLength) {
            subTable[slot] = entry | subLength;
        }
    }

    table->slots = pool;
    table->rootBits = rootBits;
    return incomplete ? BuildResult::Incomplete : BuildResult::Ok;
}

}  // namespace cab
