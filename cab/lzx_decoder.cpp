// LZX frame decoding: blocks of literals and matches into the window, then the frame's bytes
// into the caller's buffer with the E8 translation undone.
//
// Why it is fast: symbols resolve through 10-bit (main) and 8-bit (length) root tables; the
// bit buffer is 64 bits wide, so one refill per symbol covers the main symbol, the length symbol
// and the footer; the input is a private zero-padded copy, so the reader never tests for the
// input's end while fetching; every match length is checked once against the bytes left in the
// block and frame, after which copies run without further checks, 16 or 8 bytes at a time when
// source and destination are far enough apart. Positions below WindowMirror take a careful
// path that also writes the window's mirror.
#include "cab/lzx_decoder.h"

#include <cstring>

#include "cab/lzx_e8.h"

namespace cab {
namespace lzx {
namespace {

// Copies a match in chunks of Size bytes. The source must be at least Size bytes away from the
// destination: behind it, so that every chunk reads bytes that are final already, or ahead of
// it (the window's previous pass), so that no chunk reads a byte an earlier chunk has written.
// The last chunk may write up to Size - 1 bytes past the match; those bytes (not yet written
// in this pass, or the mirror) are read before the copy and put back after it, which is cheaper
// than a tail of branches on the length and keeps every byte ahead exactly as it was.
template <uint32_t Size>
inline void CopyChunks(uint8_t* to, const uint8_t* from, uint32_t length) {
    struct Chunk {
        uint8_t bytes[Size];
    };
    Chunk ahead, chunk;
    std::memcpy(&ahead, to + length, Size);
    uint32_t i = 0;
    do {
        std::memcpy(&chunk, from + i, Size);
        std::memcpy(to + i, &chunk, Size);
        i += Size;
    } while (i < length);
    std::memcpy(to + length, &ahead, Size);
}

// Copies a match of `length` bytes to `to` (at least WindowMirror bytes into the window)
// from `from`, `offset` bytes back in the stream. A source behind the destination may overlap
// it (the match then repeats its last `offset` bytes); a source ahead of it is the previous
// pass over the window, read before this match overwrites any of it.
inline void CopyMatch(uint8_t* to, const uint8_t* from, uint32_t length, uint32_t offset) {
    const uintptr_t gap = from < to ? offset : uintptr_t(from - to);
    if (gap >= 16) {
        CopyChunks<16>(to, from, length);
    } else if (gap >= 8) {
        CopyChunks<8>(to, from, length);
    } else {
        for (uint32_t i = 0; i < length; ++i) to[i] = from[i];
    }
}

// Decodes `count` bytes of the verbatim or aligned block in progress at the window position.
// The block's trees are in the tables; the caller has checked that the bytes fit the block,
// the frame and the window.
//
// NearStart: the careful variant for positions below WindowMirror, which writes the mirror too
// and stops at the first symbol that ends at or beyond WindowMirror; the fast variant leaves
// the mirror alone.
template <bool Aligned, bool NearStart>
bool DecodeSymbols(DecoderState& state, uint32_t count) {
    if (state.mainEmpty) return false;
    // Everything the loop reads is held in locals: the window's stores are byte stores, which
    // the compiler must otherwise assume may change the state.
    BitReader reader = state.reader;  // a local copy keeps the buffer in registers
    uint8_t* const window = state.window;
    const uint32_t* const mainTable = state.mainTable;
    const uint32_t* const lengthTable = state.lengthTable;
    const uint32_t* const alignedTable = state.alignedTable;
    const bool alignedEmpty = state.alignedEmpty;
    // The length header that needs the length tree, when there is none (else no header).
    const uint32_t missingLengthTree = state.lengthEmpty ? PrimaryLengths : LengthHeaders;
    const uint32_t windowSize = state.windowSize, mask = state.windowMask;
    const int64_t limit = SymbolLimit(state);
    // R0 lives in a register; R1 and R2 in repeated[1] and [2] (see the repeated offsets below).
    uint32_t r0 = state.r0;
    uint32_t repeated[RepeatedOffsetSlots] = {0, state.r1, state.r2};
    uint32_t position = state.windowPosition;
    const uint32_t end = position + count;
    bool ok = true;

    while (position < end && (!NearStart || position < WindowMirror)) {
        if (reader.Consumed() >= limit) {
            ok = false;
            break;
        }
        reader.Refill();
        const uint32_t symbol = DecodeSymbol(reader, mainTable, MainRootBits);
        if (symbol < LiteralCount) {
            window[position] = uint8_t(symbol);
            if (NearStart) window[windowSize + position] = uint8_t(symbol);
            ++position;
            continue;
        }
        uint32_t length = (symbol - LiteralCount) & (LengthHeaders - 1);
        const uint32_t slot = (symbol - LiteralCount) >> 3;
        {
            // The length symbol is looked up whether the header asks for it or not, and used
            // (its bits consumed, its value added) through a mask: whether a match has one is
            // not predictable, a look-up in a table that is in the cache is cheap.
            if (length == missingLengthTree) {
                ok = false;
                break;
            }
            const uint32_t wanted = 0u - uint32_t(length == PrimaryLengths);
            const uint32_t entry = PeekEntry(reader, lengthTable, LengthRootBits) & wanted;
            reader.Skip(entry >> EntryLengthShift);
            length += (entry & EntryIndexMask) + MinMatch;
        }

        uint32_t offset;
        if (slot < RepeatedOffsetSlots) {
            // R0, R1 or R2, which swaps places with R0: with R0 also in repeated[0], one
            // indexed load and store do every case without a branch.
            repeated[0] = r0;
            offset = repeated[slot];
            repeated[slot] = r0;
            r0 = offset;
        } else {
            const uint32_t footer = FooterBitCounts.bits[slot];
            if (Aligned && footer >= AlignedLengthBits) {
                if (alignedEmpty) {
                    ok = false;
                    break;
                }
                offset = reader.Take(footer - AlignedLengthBits) << AlignedLengthBits;
                reader.Refill();  // the aligned symbol may lie past the 49 bits refilled above
                offset += DecodeSymbol(reader, alignedTable, AlignedRootBits);
            } else {
                offset = reader.Take(footer);
            }
            offset += PositionBases.base[slot] - 2;
            repeated[2] = repeated[1];
            repeated[1] = r0;
            r0 = offset;
        }

        if (length > end - position) {
            ok = false;  // the match runs past the block or the frame
            break;
        }
        const uint32_t source = (position - offset) & mask;
        if (!NearStart) {
            CopyMatch(window + position, window + source, length, offset);
        } else {
            // Near the window's start: byte by byte, each byte also into the mirror, so that a
            // source that has just been written (or that runs into the mirror) reads it.
            for (uint32_t i = 0; i < length; ++i) {
                const uint8_t byte = window[source + i];
                window[position + i] = byte;
                if (position + i < WindowMirror) window[windowSize + position + i] = byte;
            }
        }
        position += length;
    }
    state.reader = reader;
    state.r0 = r0;
    state.r1 = repeated[1];
    state.r2 = repeated[2];
    state.windowPosition = position;
    return ok;
}

// Decodes `count` bytes of a verbatim or aligned block: carefully up to WindowMirror, then fast.
template <bool Aligned>
bool DecodeBlockPart(DecoderState& state, uint32_t count) {
    const uint32_t start = state.windowPosition;
    if (start < WindowMirror) {
        if (!DecodeSymbols<Aligned, true>(state, count)) return false;
        count -= state.windowPosition - start;
    }
    return DecodeSymbols<Aligned, false>(state, count);
}

// Copies `count` raw bytes of the uncompressed block in progress into the window.
bool CopyUncompressed(DecoderState& state, uint32_t count) {
    constexpr uint32_t InputOverhang = 4;
    if (uint64_t(state.bytePosition) + count > uint64_t(state.inputSize) + InputOverhang) return false;
    const uint32_t position = state.windowPosition;
    std::memcpy(state.window + position, state.input + state.bytePosition, count);
    if (position < WindowMirror) {
        const uint32_t mirrored = count < WindowMirror - position ? count : WindowMirror - position;
        std::memcpy(state.window + state.windowSize + position, state.input + state.bytePosition,
                    mirrored);
    }
    state.bytePosition += count;
    state.windowPosition += count;
    return true;
}

}  // namespace

void ResetDecoder(DecoderState& state) {
    std::memset(state.mainLengths, 0, sizeof state.mainLengths);
    std::memset(state.lengthLengths, 0, sizeof state.lengthLengths);
    state.mainEmpty = state.lengthEmpty = true;
    state.r0 = state.r1 = state.r2 = InitialRepeatedOffset;
    state.windowPosition = 0;
    state.headerDue = true;
    state.blockType = BlockNone;
    state.blockSize = state.blockLeft = 0;
    state.e8HeaderDue = true;
    state.e8Size = 0;
    state.e8Position = 0;
    state.frames = 0;
    state.inputExhausted = false;
    state.broken = false;
}

bool DecodeFrame(DecoderState& state, const uint8_t* input, uint32_t inputSize, uint8_t* output,
                 uint32_t size) {
    if (state.broken || inputSize > MaxInputSize || size == 0 || size > FrameSize) return false;
    // A frame must end at or before the window's end (frames of FrameSize from position 0
    // always do); one that would run past it is refused rather than wrapped.
    if (size > state.windowSize - state.windowPosition) {
        state.broken = true;
        return false;
    }
    state.broken = true;  // until the frame is through

    if (inputSize != 0) std::memcpy(state.input, input, inputSize);
    std::memset(state.input + inputSize, 0, InputPadding);
    state.inputSize = inputSize;
    state.reader.data = state.input;
    // An uncompressed block in progress continues with this input's first byte; otherwise bits
    // start there.
    state.bytePosition = 0;
    if (state.blockType != BlockUncompressed) state.reader.Prime(0);

    const uint32_t frameStart = state.windowPosition;
    uint32_t wanted = size;
    while (wanted > 0) {
        if (state.headerDue && !ReadBlockHeader(state)) return false;
        const uint32_t count = state.blockLeft < wanted ? state.blockLeft : wanted;
        bool ok = true;
        switch (state.blockType) {
        case BlockVerbatim: ok = DecodeBlockPart<false>(state, count); break;
        case BlockAligned: ok = DecodeBlockPart<true>(state, count); break;
        default: ok = CopyUncompressed(state, count); break;
        }
        if (!ok) return false;
        state.blockLeft -= count;
        wanted -= count;
        if (state.blockLeft == 0) state.headerDue = true;
    }

    std::memcpy(output, state.window + frameStart, size);
    if (state.windowPosition == state.windowSize) state.windowPosition = 0;
    if (state.e8Size != 0 && state.frames < E8TranslatedFrames) {
        E8Decode(output, size, state.e8Position, state.e8Size);
        state.e8Position += size;
    }
    ++state.frames;
    state.broken = false;
    return true;
}

}  // namespace lzx
}  // namespace cab
