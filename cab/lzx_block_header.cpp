// Reading an LZX block header: the E8 header before a folder's first block, the block type and
// size, and then the aligned-offset tree, the main and length trees (sent as differences
// against their previous lengths through a pretree) or an uncompressed block's registers.
#include "cab/cab_format.h"
#include "cab/lzx_decoder.h"

namespace cab {
namespace lzx {
namespace {

// Size of the registers R0, R1 and R2 at the start of an uncompressed block.
constexpr uint32_t RegistersSize = 12;
// The bit reader may fetch words up to this many bytes past the input's end; uncompressed
// bytes may come from there too (they are zeros in the decoder's copy).
constexpr uint32_t InputOverhang = 4;

bool TreeInputLeft(DecoderState& state) {
    if (state.reader.Consumed() >= TreeLimit(state)) state.inputExhausted = true;
    return !state.inputExhausted;
}

// (length - delta) modulo 17, for a length and a delta of 0 to 16.
inline uint8_t LengthMinus(uint32_t length, uint32_t delta) {
    const int32_t difference = int32_t(length) - int32_t(delta);
    return uint8_t(difference + (int32_t(LengthModulus) & (difference >> 31)));
}

// Reads the lengths of symbols [first, end) of a tree against their previous values, which
// `lengths` holds and which are replaced.
bool ReadLengths(DecoderState& state, uint8_t* lengths, uint32_t first, uint32_t end) {
    for (uint32_t i = 0; i < PretreeSymbols; ++i) {
        state.pretreeLengths[i] = uint8_t(state.reader.Read(PretreeLengthBits));
    }
    if (!TreeInputLeft(state)) return false;
    bool empty = false;
    if (!BuildTable(state.pretreeLengths, PretreeSymbols, MaxCodeLength, PretreeRootBits,
                    state.pretreeTable, &empty) ||
        empty) {
        return false;
    }
    // The loop works on a local copy of the reader: the lengths are byte stores, which the
    // compiler must otherwise assume may change the reader in the state.
    BitReader reader = state.reader;
    const uint32_t* const table = state.pretreeTable;
    const int64_t limit = TreeLimit(state);
    bool exhausted = false, ok = true;
    uint32_t i = first;
    while (i < end) {
        reader.Refill();
        const uint32_t code = DecodeSymbol(reader, table, PretreeRootBits);
        if (code < LengthModulus) {
            lengths[i] = LengthMinus(lengths[i], code);
            ++i;
        } else if (code == PretreeZeros4 || code == PretreeZeros20) {
            uint32_t run = code == PretreeZeros4 ? 4 + reader.Take(4) : 20 + reader.Take(5);
            for (; run > 0 && i < end; --run) lengths[i++] = 0;
        } else {  // PretreeSame4
            uint32_t run = 4 + reader.Take(1);
            if (reader.Consumed() >= limit) {
                exhausted = true;
                break;
            }
            const uint32_t delta = DecodeSymbol(reader, table, PretreeRootBits);
            if (delta >= LengthModulus) {
                ok = false;
                break;
            }
            const uint8_t value = LengthMinus(lengths[i], delta);
            for (; run > 0 && i < end; --run) lengths[i++] = value;
        }
        if (reader.Consumed() >= limit) {
            exhausted = true;
            break;
        }
    }
    state.reader = reader;
    if (exhausted) state.inputExhausted = true;
    return ok && !exhausted;
}

bool ReadMainAndLengthTrees(DecoderState& state) {
    if (!ReadLengths(state, state.mainLengths, 0, LiteralCount) ||
        !ReadLengths(state, state.mainLengths, LiteralCount, state.mainSymbols) ||
        !ReadLengths(state, state.lengthLengths, 0, LengthSymbols)) {
        return false;
    }
    return BuildTable(state.mainLengths, state.mainSymbols, MaxCodeLength, MainRootBits,
                      state.mainTable, &state.mainEmpty) &&
           BuildTable(state.lengthLengths, LengthSymbols, MaxCodeLength, LengthRootBits,
                      state.lengthTable, &state.lengthEmpty);
}

bool ReadAlignedTree(DecoderState& state) {
    for (uint32_t i = 0; i < AlignedSymbols; ++i) {
        state.alignedLengths[i] = uint8_t(state.reader.Read(AlignedLengthBits));
    }
    // All lengths 0 is allowed as long as no offset needs an aligned symbol.
    return BuildTable(state.alignedLengths, AlignedSymbols, 7, AlignedRootBits,
                      state.alignedTable, &state.alignedEmpty);
}

// The bytes after the header's last bits: the rest of the 16-bit word holding them is skipped
// (a whole word when the header ended on a word boundary), then come R0, R1 and R2.
bool ReadUncompressedHeader(DecoderState& state) {
    const uint64_t at = state.reader.base + 2 * (uint64_t(state.reader.Consumed()) / 16 + 1);
    if (at + RegistersSize > uint64_t(state.inputSize) + InputOverhang) return false;
    const uint8_t* p = state.input + at;
    state.r0 = ReadU32(p);
    state.r1 = ReadU32(p + 4);
    state.r2 = ReadU32(p + 8);
    state.bytePosition = uint32_t(at + RegistersSize);
    return true;
}

}  // namespace

int64_t SymbolLimit(const DecoderState& state) {
    // Words are fetched two at a time ahead of the consumed bits; the fetch pointer reaches
    // 4 bytes past the input's end once the consumed bits reach the input's end rounded up to
    // whole words.
    const int64_t left = int64_t(state.inputSize) - int64_t(state.reader.base);
    return ((left + 1) >> 1) * 16;
}

bool ReadBlockHeader(DecoderState& state) {
    BitReader& reader = state.reader;
    if (state.e8HeaderDue) {
        state.e8HeaderDue = false;
        state.e8Size = 0;
        if (reader.Read(1)) {
            const uint32_t high = reader.Read(16);
            state.e8Size = (high << 16) | reader.Read(16);
        }
    }
    if (state.blockType == BlockUncompressed) {
        // The pad byte after an odd-sized block, then bits again from the next byte.
        if ((state.blockSize & 1) && state.bytePosition < state.inputSize + InputOverhang) {
            ++state.bytePosition;
        }
        state.blockType = BlockNone;
        reader.Prime(state.bytePosition);
    }
    // A header that would start past the input's end reads zeros, block type 0: refused here,
    // before it is read, so that headers of empty blocks cannot follow one another for ever.
    if (reader.Consumed() >= TreeLimit(state)) return false;
    const uint32_t type = reader.Read(BlockTypeBits);
    uint32_t size = reader.Read(8) << 16;
    size |= reader.Read(8) << 8;
    size |= reader.Read(8);
    state.blockType = type;
    state.blockSize = state.blockLeft = size;
    state.headerDue = false;
    switch (type) {
    case BlockAligned:
        return ReadAlignedTree(state) && ReadMainAndLengthTrees(state);
    case BlockVerbatim:
        return ReadMainAndLengthTrees(state);
    case BlockUncompressed:
        return ReadUncompressedHeader(state);
    default:
        return false;
    }
}

}  // namespace lzx
}  // namespace cab
