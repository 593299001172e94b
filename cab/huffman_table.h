// Decoding tables for canonical Huffman codes, as deflate sends them, and the builder that makes
// them from a list of code lengths.
//
// A table is looked up with the next rootBits bits of the stream (least significant bit first,
// so codes are stored bit-reversed). A code no longer than rootBits fills every root slot whose
// low bits equal it; a longer code is found through a link in the root slot to a sub-table,
// indexed by the bits that follow. Two levels always suffice: the builder is only used with
// root widths of at least 8 bits when codes can be longer than the root, and the longest code
// is 15 bits, so a sub-table never needs more than 7 bits.
//
// Every slot is one 32-bit entry:
//
//     bits 0-3    bits this slot consumes: the code's length at this level; in a link, the
//                 root width
//     bit  4      EntryLiteral: value is a literal byte (or a code-length symbol)
//     bit  5      EntryLink: value is the sub-table's offset from the table's first slot,
//                 bits 8-12 its width
//     bit  6      EntryEndOfBlock
//     bit  7      EntryInvalid: no code has these bits
//     bits 8-12   extra bits that follow the code (length and distance codes)
//     bits 16-31  value: literal, length base, distance base or sub-table offset
//
// A length or distance entry has none of the four flags set.
#pragma once

#include <cstdint>

namespace cab {

constexpr uint32_t EntryBitsMask = 0x0F;
constexpr uint32_t EntryLiteral = 0x10;
constexpr uint32_t EntryLink = 0x20;
constexpr uint32_t EntryEndOfBlock = 0x40;
constexpr uint32_t EntryInvalid = 0x80;
constexpr uint32_t EntryExtraShift = 8;
constexpr uint32_t EntryExtraMask = 0x1F;
constexpr uint32_t EntryValueShift = 16;

constexpr uint32_t MakeEntry(uint32_t flags, uint32_t extraBits, uint32_t value) {
    return flags | (extraBits << EntryExtraShift) | (value << EntryValueShift);
}

// Deflate's longest code.
constexpr unsigned MaxCodeLength = 15;

struct HuffmanTable {
    const uint32_t* slots = nullptr;
    unsigned rootBits = 0;  // 0: the empty table, whose one slot is invalid
};

enum class BuildResult {
    Ok,
    OverSubscribed,  // more codes than the lengths allow
    Incomplete,      // codes left unused (the table is still built; invalid slots mark them)
    PoolTooSmall,    // the tables do not fit the pool given
};

// Builds the table of count symbols with the given code lengths (0 = unused, at most 15).
// symbolEntries[s] is the entry of symbol s without its bit count. The root width is
// requestedRootBits, raised to the shortest length or lowered to the longest one. An incomplete
// code whose longest length is 1 (a single one-bit code) counts as complete. Slots come from
// pool; poolSize must be at least 2^root. When every length is 0 the table is empty.
BuildResult BuildHuffmanTable(const uint8_t* lengths, unsigned count,
                              const uint32_t* symbolEntries, unsigned requestedRootBits,
                              uint32_t* pool, unsigned poolSize, HuffmanTable* table);

// The most slots a table of count symbols can need with the given root width: the root table
// plus one sub-table of the widest possible size per symbol that could need one.
constexpr unsigned HuffmanPoolSize(unsigned count, unsigned rootBits) {
    return (1u << rootBits) + count * (1u << (MaxCodeLength - rootBits));
}

}  // namespace cab
