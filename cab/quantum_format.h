// Constants of the Quantum compression format (cabinet method 2), shared by the decoder in cab/
// and the encoder in tools/quantum_encoder/.
//
// Quantum is LZ77 with an adaptive arithmetic coder. Every item starts with a selector symbol:
//
//     0..3   a literal: the byte is (symbol of literal model k) + 64 × k
//     4      a match of length 3; its position slot comes from the length-3 position model
//     5      a match of length 4; its position slot comes from the length-4 position model
//     6      a longer match: a length slot (long-match length model) and raw extra bits give
//            the length, then a slot of the long-match position model
//
// A position slot stands for a range of match offsets: offset = base + raw extra bits + 1. A
// length slot likewise: length = base + raw extra bits + 5. The raw bits sit in the bit stream
// exactly where the decoder reads them, between the bits its arithmetic coder shifts in.
#pragma once

#include <cstdint>

namespace cab {
namespace quantum {

// Window bits accepted in typeCompress: a window of 1 KB to 2 MB.
constexpr uint32_t MinWindowBits = 10;
constexpr uint32_t MaxWindowBits = 21;

// The compressed-data buffer a Quantum block may fill: the block size plus this much.
constexpr uint32_t InputSlack = 10240;

// ---- Selector ---------------------------------------------------------------------------------
constexpr unsigned SelectorSymbols = 7;
constexpr unsigned LiteralModels = 4;
constexpr unsigned LiteralSymbols = 64;       // each literal model covers 64 byte values
constexpr unsigned SelectorMatch3 = 4;
constexpr unsigned SelectorMatch4 = 5;
constexpr unsigned SelectorLongMatch = 6;

// ---- Position slots -----------------------------------------------------------------------------
// Slots 0-3 have no extra bits, then two slots per extra-bit count 1..19; each base is the
// previous base plus 2^(previous extra bits), so slot 2k has base 2^k.
constexpr unsigned PositionSlots = 42;
constexpr uint8_t PositionExtraBits[PositionSlots] = {
    0,  0,  0,  0,  1,  1,  2,  2,  3,  3,  4,  4,  5,  5,  6,  6,  7,  7,  8,  8,  9,
    9,  10, 10, 11, 11, 12, 12, 13, 13, 14, 14, 15, 15, 16, 16, 17, 17, 18, 18, 19, 19};
constexpr uint32_t PositionBase[PositionSlots] = {
    0,      1,      2,      3,      4,      6,       8,       12,      16,      24,     32,
    48,     64,     96,     128,    192,    256,     384,     512,     768,     1024,   1536,
    2048,   3072,   4096,   6144,   8192,   12288,   16384,   24576,   32768,   49152,  65536,
    98304,  131072, 196608, 262144, 393216, 524288,  786432,  1048576, 1572864};

// The length-3 and length-4 position models stop at these offset bases; the long-match model
// has a slot for every base below the window size.
constexpr uint32_t Match3BaseLimit = 4096;
constexpr uint32_t Match4BaseLimit = 262144;
constexpr unsigned Match3PositionSlots = 24;  // bases below 4096
constexpr unsigned Match4PositionSlots = 36;  // bases below 262144

// Slots whose base lies below the window (2 × window bits) and below limit.
constexpr unsigned PositionSlotsBelow(uint32_t windowBits, uint32_t limit) {
    unsigned slots = 0;
    while (slots < PositionSlots && PositionBase[slots] < (uint32_t{1} << windowBits) &&
           PositionBase[slots] < limit) {
        ++slots;
    }
    return slots;
}

// ---- Match lengths ------------------------------------------------------------------------------
constexpr unsigned LengthSlots = 27;
constexpr uint8_t LengthExtraBits[LengthSlots] = {0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2,
                                                  3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint16_t LengthBase[LengthSlots] = {0,  1,  2,  3,  4,  5,   6,   8,   10,
                                              12, 14, 18, 22, 26, 30,  38,  46,  54,
                                              62, 78, 94, 110, 126, 158, 190, 222, 254};
constexpr uint32_t LongMatchMinLength = 5;    // length = base + extra + 5
constexpr uint32_t MaxMatchLength = 259;      // slot 26: 254 + 5

// ---- Models -------------------------------------------------------------------------------------
constexpr unsigned MaxModelSymbols = 64;
constexpr uint16_t FrequencyStep = 8;         // added to a symbol's frequency when it is coded
constexpr uint16_t RescaleThreshold = 3800;   // a total above this halves the model
constexpr uint16_t FirstReorderCountdown = 4; // the fourth rescale reorders the model ...
constexpr uint16_t ReorderInterval = 50;      // ... and every fiftieth after it

static_assert(PositionBase[PositionSlots - 1] + (uint32_t{1} << PositionExtraBits[PositionSlots - 1]) ==
                  (uint32_t{1} << MaxWindowBits),
              "the last position slot reaches the largest window");
static_assert(LengthBase[LengthSlots - 1] + LongMatchMinLength == MaxMatchLength, "longest match");
static_assert(PositionSlotsBelow(MaxWindowBits, Match3BaseLimit) == Match3PositionSlots, "length-3 slots");
static_assert(PositionSlotsBelow(MaxWindowBits, Match4BaseLimit) == Match4PositionSlots, "length-4 slots");
static_assert(PositionSlotsBelow(MinWindowBits, 0xFFFFFFFFu) == 2 * MinWindowBits, "two slots per window bit");

}  // namespace quantum
}  // namespace cab
