// Constants of the LZX format as cabinets use it, shared by the decoder in cab/ and the encoder
// in tools/lzx_encoder/.
//
// An LZX folder is a sequence of frames, one per CFDATA block, each 32768 uncompressed bytes
// (the folder's last may be shorter). The bit stream of a frame is read as 16-bit little-endian
// words, most significant bit first, and starts on a fresh word. The folder's first frame opens
// with the E8 header (1 bit; when set, a 32-bit translation size follows as two 16-bit reads,
// high half first). Then come blocks, each announced by a 3-bit type and a 24-bit size:
//
//   verbatim (1)       main tree, length tree, then symbols
//   aligned (2)        aligned-offset tree (8 × 3 bits), main tree, length tree, then symbols
//   uncompressed (3)   padding to the next 16-bit word (a whole word when already there),
//                      R0, R1, R2 as 32-bit little-endian values, the raw bytes, one pad byte
//                      after an odd size
//
// Trees are sent as code lengths relative to the same tree's previous lengths, coded with a
// pretree of 20 symbols. A main symbol below 256 is a literal; above it, (symbol - 256) splits
// into a position slot (high bits) and a length header (low 3 bits).
#pragma once

#include <cstdint>

namespace cab {
namespace lzx {

constexpr uint32_t MinWindowBits = 15;
constexpr uint32_t MaxWindowBits = 21;

// Largest uncompressed size of one frame (one CFDATA block).
constexpr uint32_t FrameSize = 32768;

// The compressed-data buffer a cabinet reader provides beyond the frame size.
constexpr uint32_t InputSlack = 6144;

enum BlockType : uint32_t {
    BlockNone = 0,
    BlockVerbatim = 1,
    BlockAligned = 2,
    BlockUncompressed = 3,
};
constexpr uint32_t BlockTypeBits = 3;
constexpr uint32_t BlockSizeBits = 24;

constexpr uint32_t LiteralCount = 256;
constexpr uint32_t LengthHeaders = 8;      // length header 0..7 in the main symbol
constexpr uint32_t PrimaryLengths = 7;     // headers 0..6 are lengths 2..8 on their own
constexpr uint32_t LengthSymbols = 249;    // length-tree symbols: length = 9 + symbol
constexpr uint32_t AlignedSymbols = 8;
constexpr uint32_t AlignedLengthBits = 3;  // each aligned-tree length is sent in 3 bits
constexpr uint32_t PretreeSymbols = 20;
constexpr uint32_t PretreeLengthBits = 4;
constexpr uint32_t MaxCodeLength = 16;     // main and length trees
constexpr uint32_t MinMatch = 2;
constexpr uint32_t MaxMatch = 257;

// Pretree symbols: 0..16 are length deltas; the others are runs.
constexpr uint32_t PretreeZeros4 = 17;     // 4 + (4 bits) zero lengths
constexpr uint32_t PretreeZeros20 = 18;    // 20 + (5 bits) zero lengths
constexpr uint32_t PretreeSame4 = 19;      // 4 + (1 bit) equal lengths, a delta symbol follows
constexpr uint32_t LengthModulus = 17;

// Repeated-offset registers after a reset.
constexpr uint32_t InitialRepeatedOffset = 1;

// The first three slots name the repeated offsets R0, R1 and R2; from slot 3 on a slot covers
// the formatted offsets (match offset + 2) from its base upwards.
constexpr uint32_t RepeatedOffsetSlots = 3;
constexpr uint32_t MaxPositionSlots = 50;

// Footer (extra) bits of position slot s.
constexpr uint32_t FooterBits(uint32_t slot) {
    return slot < 4 ? 0 : ((slot - 2) / 2 > 17 ? 17 : (slot - 2) / 2);
}

// Position base of slot s: the first formatted offset it covers.
constexpr uint32_t PositionBase(uint32_t slot) {
    uint32_t base = 0;
    for (uint32_t s = 0; s < slot; ++s) base += 1u << FooterBits(s);
    return base;
}

// Number of position slots of a window of 2^windowBits bytes: slots are added until their
// sizes cover the window.
constexpr uint32_t PositionSlots(uint32_t windowBits) {
    uint32_t slots = 0;
    while (PositionBase(slots) < (1u << windowBits)) ++slots;
    return slots;
}

// PositionBase as a table, for the decoder's inner loop (slots 0 to MaxPositionSlots).
struct PositionBaseTable {
    uint32_t base[MaxPositionSlots + 1];
    constexpr PositionBaseTable() : base() {
        for (uint32_t s = 0; s <= MaxPositionSlots; ++s) base[s] = PositionBase(s);
    }
};
constexpr PositionBaseTable PositionBases;

// FooterBits as a table, for the same loop.
struct FooterBitTable {
    uint8_t bits[MaxPositionSlots + 1];
    constexpr FooterBitTable() : bits() {
        for (uint32_t s = 0; s <= MaxPositionSlots; ++s) bits[s] = uint8_t(FooterBits(s));
    }
};
constexpr FooterBitTable FooterBitCounts;

static_assert(PositionSlots(15) == 30 && PositionSlots(16) == 32 && PositionSlots(17) == 34 &&
                  PositionSlots(18) == 36 && PositionSlots(19) == 38 && PositionSlots(20) == 42 &&
                  PositionSlots(21) == 50,
              "position slots of the published window sizes");
static_assert(PositionBase(MaxPositionSlots) == 2097152, "the slots end at 2 MB");

constexpr uint32_t MainSymbols(uint32_t windowBits) {
    return LiteralCount + LengthHeaders * PositionSlots(windowBits);
}
constexpr uint32_t MaxMainSymbols = LiteralCount + LengthHeaders * MaxPositionSlots;

// The E8 call-address translation: E8 bytes closer than this to a frame's end are left alone,
// frames of at most TailBytes are not scanned, and only the first TranslatedFrames frames of a
// folder are translated.
constexpr uint32_t E8Reach = 10;
constexpr uint32_t E8TailBytes = 6;
constexpr uint32_t E8TranslatedFrames = 32768;

}  // namespace lzx
}  // namespace cab
