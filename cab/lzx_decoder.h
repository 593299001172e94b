// The LZX decoder's state and its two operations, reset and frame decoding; lzx_codec.cpp puts
// them behind the cabinet reader's Codec interface.
//
// The window is 2^n bytes followed by a copy of its first WindowMirror bytes: while the write
// position is below WindowMirror every byte is written to both places, so a match whose source
// runs over the window's end (a match is at most 257 bytes) reads straight on into the copy.
#pragma once

#include <cstdint>

#include "cab/lzx_bits.h"
#include "cab/lzx_format.h"
#include "cab/lzx_huffman.h"

namespace cab {
namespace lzx {

constexpr uint32_t WindowMirror = MaxMatch;
// The window allocation: 2^n bytes, the mirror and the slack that match copies in 16-byte chunks
// read and write past the mirror's end (a source that starts in the window's last byte runs up
// to 256 bytes into the mirror, and its last chunk up to 15 bytes further).
constexpr uint32_t MatchChunkSlack = 16;
constexpr uint32_t WindowExtra = WindowMirror + MatchChunkSlack;
static_assert(WindowExtra >= WindowMirror + 15, "the chunks of a match copy stay inside the window");

// Root widths of the decoding tables.
constexpr uint32_t MainRootBits = 10;
constexpr uint32_t LengthRootBits = 8;
constexpr uint32_t PretreeRootBits = 8;
constexpr uint32_t AlignedRootBits = 7;
static_assert((1u << AlignedRootBits) >= (1u << 7), "aligned codes (at most 7 bits) resolve at the root");

// Largest compressed frame the decoder takes.
constexpr uint32_t MaxInputSize = FrameSize + InputSlack;

struct DecoderState {
    // Window.
    uint8_t* window = nullptr;
    uint32_t windowSize = 0;
    uint32_t windowMask = 0;
    uint32_t windowPosition = 0;
    uint32_t mainSymbols = 0;  // 256 + 8 × position slots

    uint32_t r0 = 1, r1 = 1, r2 = 1;

    // Trees: the current lengths (each block's lengths are sent against them and replace them)
    // and the decoding tables built from them.
    uint8_t mainLengths[MaxMainSymbols];
    uint8_t lengthLengths[LengthSymbols];
    uint8_t alignedLengths[AlignedSymbols];
    uint8_t pretreeLengths[PretreeSymbols];
    uint32_t mainTable[TableSize(MaxMainSymbols, MainRootBits)];
    uint32_t lengthTable[TableSize(LengthSymbols, LengthRootBits)];
    uint32_t alignedTable[TableSize(AlignedSymbols, AlignedRootBits)];
    uint32_t pretreeTable[TableSize(PretreeSymbols, PretreeRootBits)];
    bool mainEmpty = true;
    bool lengthEmpty = true;
    bool alignedEmpty = true;

    // The block in progress.
    uint32_t blockType = BlockNone;
    uint32_t blockSize = 0;
    uint32_t blockLeft = 0;
    bool headerDue = true;

    // E8 translation.
    bool e8HeaderDue = true;
    uint32_t e8Size = 0;      // 0: no translation
    uint32_t e8Position = 0;  // folder bytes translated so far
    uint32_t frames = 0;      // frames decoded since the reset

    // Input of the current frame.
    bool inputExhausted = false;
    bool broken = false;      // a frame failed: every further frame fails until the next reset
    BitReader reader;
    uint32_t inputSize = 0;
    uint32_t bytePosition = 0;  // inside an uncompressed block: the next raw byte
    uint8_t input[MaxInputSize + InputPadding];
};

// Clears everything but the window's contents: a new folder starts.
void ResetDecoder(DecoderState& state);

// Decodes one frame of `size` bytes (1 to FrameSize) from `input` into `output`. False on any
// error in the data (the decoder is then broken until the next reset).
bool DecodeFrame(DecoderState& state, const uint8_t* input, uint32_t inputSize, uint8_t* output,
                 uint32_t size);

// Reads a block header (and the E8 header before the folder's first block); lzx_block_header.cpp.
bool ReadBlockHeader(DecoderState& state);

// Limits on the consumed bits of state.reader (see lzx_bits.h): a symbol may start only below
// SymbolLimit; a tree length read that ends at or past TreeLimit has run out of input.
int64_t SymbolLimit(const DecoderState& state);
inline int64_t TreeLimit(const DecoderState& state) { return SymbolLimit(state) + 16; }

// The leaf of a code longer than the root, whose root slot holds `link`.
inline uint32_t LongEntry(const BitReader& reader, const uint32_t* table, uint32_t rootBits,
                          uint32_t link) {
    const uint32_t width = (link >> EntryLengthShift) & EntryLengthMask;
    return table[(link & EntryIndexMask) + uint32_t((reader.bits << rootBits) >> (64 - width))];
}

// The leaf of the code at the reader's position, not consumed; the reader must hold 16 bits.
inline uint32_t PeekEntry(const BitReader& reader, const uint32_t* table, uint32_t rootBits) {
    const uint32_t entry = table[reader.Peek(rootBits)];
    return entry & EntryLink ? LongEntry(reader, table, rootBits, entry) : entry;
}

// Decodes one symbol of the table (which must not be empty); the reader must hold 16 bits.
inline uint32_t DecodeSymbol(BitReader& reader, const uint32_t* table, uint32_t rootBits) {
    const uint32_t entry = PeekEntry(reader, table, rootBits);
    reader.Skip(entry >> EntryLengthShift);
    return entry & EntryIndexMask;
}

}  // namespace lzx
}  // namespace cab
