// Decoding tables for the canonical Huffman codes of LZX, read most significant bit first.
//
// A table is looked up with the next rootBits bits of the stream. A code of at most rootBits
// bits fills every root slot that starts with it; a longer code is reached through a link in
// the root slot to a tree of node pairs stored after the root slots, one node per further bit
// (first of the pair for a 0 bit, second for a 1).
//
// Every slot and node is one 32-bit entry:
//
//     leaf    bits 0-15 the symbol, bits 16-20 the code's full length (1 to 16)
//     link    bit 31 set, bits 0-15 the index of the node pair for the next bit
//     invalid 0: only in an empty table, whose every root slot is invalid
//
// Codes are accepted only when they form a complete prefix code, or when every length is 0
// (the empty table): LZX never sends an incomplete or over-subscribed tree.
#pragma once

#include <cstdint>

namespace cab {
namespace lzx {

constexpr uint32_t EntryLink = 0x80000000u;
constexpr uint32_t EntryIndexMask = 0xFFFFu;
constexpr uint32_t EntryLengthShift = 16;
constexpr uint32_t EntryInvalid = 0;

// Slots a table of count symbols needs: the root plus at most one node pair per symbol.
constexpr uint32_t TableSize(uint32_t count, uint32_t rootBits) {
    return (1u << rootBits) + 2 * count;
}

// Builds the table of count symbols (lengths 0 to maxLength each) into table, which has
// TableSize(count, rootBits) entries. False when a length is above maxLength or the lengths
// are over-subscribed or incomplete; *empty tells whether every length was 0.
bool BuildTable(const uint8_t* lengths, uint32_t count, uint32_t maxLength, uint32_t rootBits,
                uint32_t* table, bool* empty);

}  // namespace lzx
}  // namespace cab
