// Deflate decoding (RFC 1951) for MSZIP blocks.
//
// Why it is fast: symbols are resolved with one table lookup (two for the rare long codes); the
// bit buffer is 64 bits wide and refilled eight bytes at a time, which always holds the 48 bits
// one length/distance pair can take; and the main loop runs without per-symbol bounds checks
// while at least 8 input bytes and one longest match of output space remain, leaving the ends
// of the input and output to a careful loop that checks everything.
//
// What it keeps exact: bytes asked for beyond the end of the input read as zero (a block that
// ends early fails on its own terms rather than by reading outside the buffer), output stops as
// soon as the wanted size is reached, and the window is written only at positions the block has
// produced, so the history older positions hold stays intact for matches that reach it.
#include "cab/inflate.h"

#include <cstring>

namespace cab {
namespace {

// =============================================================================================
// Input bitstream
// =============================================================================================
//
// State: `bits` holds `count` valid bits, the next bit of the stream in bit 0. Bits above
// `count` are either zero or the bits of the bytes at `next`, which a later refill ORs in again
// at the same place, so they never need clearing. `overrun` counts the zero bytes appended after
// the input ran out; they let a stored block find the real byte position again.

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the fast refill loads little-endian words");

struct BitReader {
    const uint8_t* next;
    const uint8_t* begin;
    const uint8_t* end;
    uint64_t bits;
    unsigned count;
    uint32_t overrun;
};

// The most bits a refill guarantees; one length/distance pair needs 15 + 5 + 15 + 13 = 48.
constexpr unsigned RefillBits = 56;

// Needs 8 readable bytes at next. Leaves count between 56 and 63.
inline void RefillFast(BitReader& in) {
    uint64_t word;
    std::memcpy(&word, in.next, sizeof word);
    in.bits |= word << in.count;
    in.next += (63 - in.count) >> 3;
    in.count |= RefillBits;
}

// Appends whole bytes, zeros past the end of the input, until count >= need (need <= 56).
inline void RefillCareful(BitReader& in, unsigned need) {
    if (in.end - in.next >= 8) {
        RefillFast(in);
        return;
    }
    while (in.count < need) {
        uint64_t byte = 0;
        if (in.next < in.end) {
            byte = *in.next++;
        } else {
            in.overrun++;
        }
        in.bits |= byte << in.count;
        in.count += 8;
    }
}

inline uint32_t PeekBits(const BitReader& in, unsigned n) {
    return static_cast<uint32_t>(in.bits) & ((1u << n) - 1);
}

inline void DropBits(BitReader& in, unsigned n) {
    in.bits >>= n;
    in.count -= n;
}

inline uint32_t TakeBits(BitReader& in, unsigned n) {
    const uint32_t value = PeekBits(in, n);
    DropBits(in, n);
    return value;
}

// =============================================================================================
// Constant tables (RFC 1951, 3.2.5 and 3.2.7)
// =============================================================================================

constexpr uint8_t CodeLengthOrder[CodeLengthSymbols] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                        11, 4,  12, 3, 13, 2, 14, 1, 15};

constexpr uint16_t LengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                     31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t LengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                     2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint16_t DistanceBase[30] = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                                       33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                                       1025, 1537, 2049, 3073, 4097, 6145,  8193,  12289, 16385,
                                       24577};
constexpr uint8_t DistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                       6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

constexpr unsigned EndOfBlockSymbol = 256;
constexpr unsigned MaxMatchLength = 258;

// What each symbol decodes to, before the builder adds its code length.
struct SymbolEntries {
    uint32_t litLen[LitLenSymbols];
    uint32_t distance[DistanceSymbols];
    uint32_t codeLength[CodeLengthSymbols];
};

constexpr SymbolEntries MakeSymbolEntries() {
    SymbolEntries e{};
    for (unsigned s = 0; s < 256; ++s) e.litLen[s] = MakeEntry(EntryLiteral, 0, s);
    e.litLen[EndOfBlockSymbol] = MakeEntry(EntryEndOfBlock, 0, 0);
    for (unsigned s = 257; s < 286; ++s) e.litLen[s] = MakeEntry(0, LengthExtra[s - 257], LengthBase[s - 257]);
    e.litLen[286] = e.litLen[287] = EntryInvalid;
    for (unsigned s = 0; s < 30; ++s) e.distance[s] = MakeEntry(0, DistanceExtra[s], DistanceBase[s]);
    e.distance[30] = e.distance[31] = EntryInvalid;
    for (unsigned s = 0; s < CodeLengthSymbols; ++s) e.codeLength[s] = MakeEntry(EntryLiteral, 0, s);
    return e;
}

constexpr SymbolEntries Symbols = MakeSymbolEntries();

// =============================================================================================
// Fixed-Huffman tables, built once per process (thread-safe static initialisation)
// =============================================================================================

struct FixedTables {
    uint32_t litLenPool[1u << LitLenRootBits];
    uint32_t distancePool[1u << DistanceRootBits];
    HuffmanTable litLen;
    HuffmanTable distance;

    FixedTables() {
        uint8_t lengths[LitLenSymbols];
        for (unsigned s = 0; s < 144; ++s) lengths[s] = 8;
        for (unsigned s = 144; s < 256; ++s) lengths[s] = 9;
        for (unsigned s = 256; s < 280; ++s) lengths[s] = 7;
        for (unsigned s = 280; s < 288; ++s) lengths[s] = 8;
        BuildHuffmanTable(lengths, LitLenSymbols, Symbols.litLen, LitLenRootBits, litLenPool,
                          1u << LitLenRootBits, &litLen);
        // 30 five-bit codes: incomplete, which the fixed code is allowed to be; the two unused
        // codes decode as invalid.
        uint8_t distanceLengths[30];
        for (unsigned s = 0; s < 30; ++s) distanceLengths[s] = 5;
        BuildHuffmanTable(distanceLengths, 30, Symbols.distance, DistanceRootBits, distancePool,
                          1u << DistanceRootBits, &distance);
    }
};

// Built in place at the first use; C++ makes that first use safe from any thread.
const FixedTables& GetFixedTables() {
    static const FixedTables tables;
    return tables;
}

// =============================================================================================
// Huffman decoding
// =============================================================================================

// Resolves one symbol; the caller has made sure 15 bits are in the buffer.
inline uint32_t DecodeSymbol(BitReader& in, const HuffmanTable& table) {
    uint32_t entry = table.slots[PeekBits(in, table.rootBits)];
    if (entry & EntryLink) {
        DropBits(in, entry & EntryBitsMask);
        entry = table.slots[(entry >> EntryValueShift) +
                            PeekBits(in, (entry >> EntryExtraShift) & EntryExtraMask)];
    }
    DropBits(in, entry & EntryBitsMask);
    return entry;
}

inline uint32_t EntryValue(uint32_t entry) { return entry >> EntryValueShift; }
inline unsigned EntryExtraBits(uint32_t entry) { return (entry >> EntryExtraShift) & EntryExtraMask; }

// Copies a match whose whole source lies in this call's output (distance <= pos), exactly
// `length` bytes: nothing past the match is touched, since those positions still hold history.
inline void CopyRecentMatch(uint8_t* window, uint32_t pos, uint32_t distance, uint32_t length) {
    uint8_t* out = window + pos;
    const uint8_t* from = out - distance;
    if (distance >= 8) {
        // Each 8-byte piece reads only bytes written at least 8 positions earlier.
        while (length >= 8) {
            uint64_t piece;
            std::memcpy(&piece, from, 8);
            std::memcpy(out, &piece, 8);
            out += 8;
            from += 8;
            length -= 8;
        }
    }
    while (length-- > 0) *out++ = *from++;
}

// Copies a match that reaches into the older part of the window: the source starts WindowSize
// further on and may wrap from the window's end to its start. A source at or after the output
// never meets the bytes being written, so the part before the wrap is a plain move; the part
// after it reads this call's own output like any recent match.
inline void CopyWrappedMatch(uint8_t* window, uint32_t pos, uint32_t distance, uint32_t length) {
    const uint32_t from = pos + WindowSize - distance;
    const uint32_t beforeWrap = WindowSize - from;
    if (length <= beforeWrap) {
        std::memmove(window + pos, window + from, length);
        return;
    }
    std::memmove(window + pos, window + from, beforeWrap);
    CopyRecentMatch(window, pos + beforeWrap, pos + beforeWrap, length - beforeWrap);
}

inline void CopyMatch(uint8_t* window, uint32_t pos, uint32_t distance, uint32_t length) {
    if (distance <= pos) {
        CopyRecentMatch(window, pos, distance, length);
    } else {
        CopyWrappedMatch(window, pos, distance, length);
    }
}

// The fast loop's match copy: whole 8-byte pieces, the last running up to 7 bytes past the
// match. Those bytes are history a later match may still read, so they are saved first and put
// back after. Needs 8 bytes of window after the match.
inline void CopyMatchFast(uint8_t* window, uint32_t pos, uint32_t distance, uint32_t length) {
    if (distance > pos) {
        CopyWrappedMatch(window, pos, distance, length);
        return;
    }
    uint8_t* out = window + pos;
    uint8_t* const end = out + length;
    const uint8_t* from = out - distance;
    uint64_t after;
    std::memcpy(&after, end, 8);
    if (distance >= 8) {
        do {
            uint64_t piece;
            std::memcpy(&piece, from, 8);
            std::memcpy(out, &piece, 8);
            out += 8;
            from += 8;
        } while (out < end);
    } else if (distance == 1) {
        const uint64_t run = 0x0101010101010101ull * *from;
        do {
            std::memcpy(out, &run, 8);
            out += 8;
        } while (out < end);
    } else {
        while (out < end) *out++ = *from++;
    }
    std::memcpy(end, &after, 8);
}

enum class BlockEnd { EndOfBlock, OutputFull, Error };

// Decodes one Huffman-coded deflate block into window from *pos up to limit.
BlockEnd DecodeHuffmanBlock(BitReader& in, const HuffmanTable& litLen, const HuffmanTable& distance,
                            uint8_t* window, uint32_t* position, uint32_t limit) {
    uint32_t pos = *position;

    // Fast loop. One refill holds 56 bits: up to three literals (15 bits each), or the codes of
    // a length/distance pair (48 bits) after a second refill. The loop runs while 16 input bytes
    // (two refills) remain and the output has room for two literals, a longest match and the 8
    // bytes CopyMatchFast may touch after it, so no symbol needs a bounds check.
    constexpr uint32_t OutputMargin = 2 + MaxMatchLength + 8;
    while (limit - pos >= OutputMargin && in.end - in.next >= 16) {
        RefillFast(in);
        uint32_t entry = DecodeSymbol(in, litLen);
        if (entry & EntryLiteral) {
            window[pos++] = static_cast<uint8_t>(EntryValue(entry));
            entry = DecodeSymbol(in, litLen);
            if (entry & EntryLiteral) {
                window[pos++] = static_cast<uint8_t>(EntryValue(entry));
                entry = DecodeSymbol(in, litLen);
                if (entry & EntryLiteral) {
                    window[pos++] = static_cast<uint8_t>(EntryValue(entry));
                    continue;
                }
            }
            RefillFast(in);
        }
        if (__builtin_expect(entry & (EntryEndOfBlock | EntryInvalid), 0)) {
            *position = pos;
            return (entry & EntryEndOfBlock) ? BlockEnd::EndOfBlock : BlockEnd::Error;
        }
        const uint32_t length = EntryValue(entry) + TakeBits(in, EntryExtraBits(entry));
        const uint32_t distEntry = DecodeSymbol(in, distance);
        if (__builtin_expect(distEntry & EntryInvalid, 0)) {
            *position = pos;
            return BlockEnd::Error;
        }
        const uint32_t dist = EntryValue(distEntry) + TakeBits(in, EntryExtraBits(distEntry));
        CopyMatchFast(window, pos, dist, length);
        pos += length;
    }

    // Careful loop: refills byte by byte near the end of the input (zeros past it) and cuts a
    // match at limit.
    for (;;) {
        if (pos >= limit) {
            *position = pos;
            return BlockEnd::OutputFull;
        }
        RefillCareful(in, MaxCodeLength);
        const uint32_t entry = DecodeSymbol(in, litLen);
        if (entry & EntryLiteral) {
            window[pos++] = static_cast<uint8_t>(EntryValue(entry));
            continue;
        }
        if (entry & (EntryEndOfBlock | EntryInvalid)) {
            *position = pos;
            return (entry & EntryEndOfBlock) ? BlockEnd::EndOfBlock : BlockEnd::Error;
        }
        RefillCareful(in, EntryExtraBits(entry));
        uint32_t length = EntryValue(entry) + TakeBits(in, EntryExtraBits(entry));
        RefillCareful(in, MaxCodeLength);
        const uint32_t distEntry = DecodeSymbol(in, distance);
        if (distEntry & EntryInvalid) {
            *position = pos;
            return BlockEnd::Error;
        }
        RefillCareful(in, EntryExtraBits(distEntry));
        const uint32_t dist = EntryValue(distEntry) + TakeBits(in, EntryExtraBits(distEntry));
        if (length > limit - pos) length = limit - pos;
        CopyMatch(window, pos, dist, length);
        pos += length;
    }
}

// =============================================================================================
// Block headers
// =============================================================================================

// A stored block: LEN and NLEN from the byte boundary, then LEN bytes copied from the input.
bool CopyStoredBlock(BitReader& in, uint8_t* window, uint32_t* position, uint32_t limit) {
    DropBits(in, in.count & 7);
    RefillCareful(in, 32);
    const uint32_t len = TakeBits(in, 16);
    const uint32_t nlen = TakeBits(in, 16);
    if (len != (~nlen & 0xFFFF)) return false;

    // Hand the whole bytes still in the bit buffer back to the input: every byte appended so far
    // and not consumed. Past the end they were zeros and the input position stays at the end.
    const uint64_t appended = static_cast<uint64_t>(in.next - in.begin) + in.overrun;
    uint64_t consumed = appended - in.count / 8;
    const uint64_t size = static_cast<uint64_t>(in.end - in.begin);
    if (consumed > size) consumed = size;
    in.next = in.begin + consumed;
    in.bits = 0;
    in.count = 0;
    if (len > size - consumed) return false;

    uint32_t copy = len;
    if (copy > limit - *position) copy = limit - *position;
    std::memcpy(window + *position, in.next, copy);
    *position += copy;
    in.next += len;
    return true;
}

// A dynamic block's header: the code-length code, then the literal/length and distance code
// lengths it encodes, then the two tables built from them.
bool ReadDynamicTables(BitReader& in, InflateState& state, HuffmanTable* litLen,
                       HuffmanTable* distance) {
    RefillCareful(in, 14);
    const unsigned litLenCount = TakeBits(in, 5) + 257;
    const unsigned distanceCount = TakeBits(in, 5) + 1;
    const unsigned codeLengthCount = TakeBits(in, 4) + 4;
    if (litLenCount > 286 || distanceCount > 30) return false;

    uint8_t codeLengthLengths[CodeLengthSymbols] = {};
    for (unsigned i = 0; i < codeLengthCount; ++i) {
        RefillCareful(in, 3);
        codeLengthLengths[CodeLengthOrder[i]] = static_cast<uint8_t>(TakeBits(in, 3));
    }
    HuffmanTable codeLengthTable;
    if (BuildHuffmanTable(codeLengthLengths, CodeLengthSymbols, Symbols.codeLength,
                          CodeLengthRootBits, state.codeLengthPool, CodeLengthPoolSize,
                          &codeLengthTable) != BuildResult::Ok) {
        return false;
    }

    uint8_t* lengths = state.lengths;
    const unsigned total = litLenCount + distanceCount;
    unsigned previous = 0;  // what symbol 16 repeats: 0 at the start and after 17 or 18
    for (unsigned i = 0; i < total;) {
        RefillCareful(in, 7 + 7);  // a code-length code and its longest extra field
        const uint32_t entry = DecodeSymbol(in, codeLengthTable);
        if (entry & EntryInvalid) return false;
        const unsigned symbol = EntryValue(entry);
        if (symbol < 16) {
            lengths[i++] = static_cast<uint8_t>(symbol);
            previous = symbol;
            continue;
        }
        unsigned repeat;
        unsigned value = 0;
        if (symbol == 16) {
            repeat = 3 + TakeBits(in, 2);
            value = previous;
        } else if (symbol == 17) {
            repeat = 3 + TakeBits(in, 3);
            previous = 0;
        } else {
            repeat = 11 + TakeBits(in, 7);
            previous = 0;
        }
        if (repeat > total - i) return false;
        std::memset(lengths + i, static_cast<int>(value), repeat);
        i += repeat;
    }

    if (BuildHuffmanTable(lengths, litLenCount, Symbols.litLen, LitLenRootBits, state.litLenPool,
                          LitLenPoolSize, litLen) != BuildResult::Ok) {
        return false;
    }
    return BuildHuffmanTable(lengths + litLenCount, distanceCount, Symbols.distance,
                             DistanceRootBits, state.distancePool, DistancePoolSize,
                             distance) == BuildResult::Ok;
}

}  // namespace

// =============================================================================================
// Main decompression routine
// =============================================================================================

bool InflateBlocks(InflateState& state, const uint8_t* input, uint32_t inputSize,
                   uint8_t* window, uint32_t wanted, uint32_t* produced) {
    if (wanted > WindowSize) wanted = WindowSize;
    BitReader in{input, input, input + inputSize, 0, 0, 0};
    uint32_t pos = 0;
    bool lastBlock = false;

    while (!lastBlock && pos < wanted) {
        RefillCareful(in, 3);
        lastBlock = TakeBits(in, 1) != 0;
        const uint32_t type = TakeBits(in, 2);
        if (type == 0) {
            if (!CopyStoredBlock(in, window, &pos, wanted)) return false;
            continue;
        }
        HuffmanTable litLen, distance;
        if (type == 1) {
            const FixedTables& fixed = GetFixedTables();
            litLen = fixed.litLen;
            distance = fixed.distance;
        } else if (type == 2) {
            if (!ReadDynamicTables(in, state, &litLen, &distance)) return false;
        } else {
            return false;
        }
        if (DecodeHuffmanBlock(in, litLen, distance, window, &pos, wanted) == BlockEnd::Error) {
            return false;
        }
    }
    *produced = pos;
    return true;
}

}  // namespace cab
