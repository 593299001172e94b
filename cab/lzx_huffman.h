// Decoding tables for the canonical Huffman codes of LZX, read most significant bit first.
//
// A table is looked up with the next rootBits bits of the stream. A code of at most rootBits
// bits fills every root slot that starts with it. Codes longer than rootBits that share their
// first rootBits bits (a root prefix) live in one sub-table behind the root slots, wide enough
// for the longest of them: the root slot links to it, and it is looked up with the bits that
// follow the root bits. Every code thus resolves in at most two look-ups.
//
// Every slot is one 32-bit entry:
//
//     leaf    bits 0-15 the symbol, bits 16-20 the code's full length (1 to 16)
//     link    bit 31 set, bits 0-15 the index of the sub-table's first slot, bits 16-20 its
//             width in bits (1 to 16 - rootBits)
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
constexpr uint32_t EntryLengthMask = 0x1Fu;
constexpr uint32_t EntryInvalid = 0;

// The longest code the tables take.
constexpr uint32_t TableMaxLength = 16;

// Slots a table of count symbols needs. A sub-table of width w holds a complete code of which
// at least one is w bits long, so at least w + 1 of the symbols; its slots per symbol,
// 2^w / (w + 1), grow with w. At most count / (W + 1) sub-tables of the widest width W =
// TableMaxLength - rootBits thus bound the slots behind the root.
constexpr uint32_t TableSize(uint32_t count, uint32_t rootBits) {
    return (1u << rootBits) +
           (rootBits >= TableMaxLength
                ? 0
                : (count / (TableMaxLength - rootBits + 1) + 1) << (TableMaxLength - rootBits));
}

// Builds the table of count symbols (count at most MaxMainSymbols; lengths 0 to maxLength,
// maxLength at most TableMaxLength) into table, which has TableSize(count, rootBits) entries.
// False when a length is above maxLength or the lengths are over-subscribed or incomplete;
// *empty tells whether every length was 0.
bool BuildTable(const uint8_t* lengths, uint32_t count, uint32_t maxLength, uint32_t rootBits,
                uint32_t* table, bool* empty);

}  // namespace lzx
}  // namespace cab
