// The deflate decoder (RFC 1951) behind the MSZIP codec: decodes the deflate blocks of one CFDATA
// block straight into the cabinet reader's 32768-byte output buffer, which doubles as the 32 KB
// history window.
#pragma once

#include <cstdint>

#include "cab/cab_format.h"
#include "cab/huffman_table.h"

namespace cab {

// Root widths of the decoding tables. The literal/length root of 10 bits resolves nearly every
// symbol with one lookup; distances take 8. Code-length codes are at most 7 bits long.
constexpr unsigned LitLenRootBits = 10;
constexpr unsigned DistanceRootBits = 8;
constexpr unsigned CodeLengthRootBits = 7;

constexpr unsigned LitLenSymbols = 288;      // 286 used, 286 and 287 invalid
constexpr unsigned DistanceSymbols = 32;     // 30 used, 30 and 31 invalid
constexpr unsigned CodeLengthSymbols = 19;

// Pools large enough for every code a dynamic header can describe, so that a valid stream
// never fails for want of table space.
constexpr unsigned LitLenPoolSize = HuffmanPoolSize(LitLenSymbols, LitLenRootBits);
constexpr unsigned DistancePoolSize = HuffmanPoolSize(DistanceSymbols, DistanceRootBits);
constexpr unsigned CodeLengthPoolSize = 1u << CodeLengthRootBits;
static_assert(LitLenPoolSize <= 0x10000 && DistancePoolSize <= 0x10000,
              "a link's 16-bit value must reach every slot of its pool");

// The window the history lives in: the reader's output buffer.
constexpr uint32_t WindowSize = BlockSize;
static_assert((WindowSize & (WindowSize - 1)) == 0, "history positions wrap with a mask");

// Everything a dynamic block needs: its tables and the code lengths they are built from.
// Nothing here carries over from one CFDATA block to the next.
struct InflateState {
    uint32_t litLenPool[LitLenPoolSize];
    uint32_t distancePool[DistancePoolSize];
    uint32_t codeLengthPool[CodeLengthPoolSize];
    uint8_t lengths[LitLenSymbols + DistanceSymbols];
};

// Decodes deflate blocks from input (the bytes after "CK") into window, from its first byte,
// until a block with BFINAL ends or wanted bytes (at most WindowSize) are produced. Matches that
// reach further back than this call's output read the window's older contents, the previous
// block's output, wrapping at its end. Returns false on any error in the data; *produced then
// is unspecified.
bool InflateBlocks(InflateState& state, const uint8_t* input, uint32_t inputSize,
                   uint8_t* window, uint32_t wanted, uint32_t* produced);

}  // namespace cab
