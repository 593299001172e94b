// The LZX encoder's state and the stages of a frame: the match finder over the folder's
// history, the parser that turns a frame into tokens, and the block writer.
#pragma once

#include <cstdint>
#include <vector>

#include "cab/lzx_format.h"
#include "tools/lzx_encoder/lzx_encoder.h"

namespace lzx_encoder {

using namespace cab::lzx;

// The translation size written into every E8 header.
constexpr uint32_t E8TranslationSize = 12000000;

// One literal or match of a frame, as the block writer needs it.
struct Token {
    uint16_t mainSymbol;   // literal byte, or 256 + slot × 8 + length header
    uint16_t length;       // match length (0 for a literal)
    uint32_t footer;       // footer value of an explicit offset
    uint8_t footerBits;    // its width (0 for literals and repeated offsets)
};

// The folder's bytes (E8-translated) from some absolute position on, with hash chains over them.
struct History {
    std::vector<uint8_t> bytes;  // bytes[i] is folder position start + i
    uint64_t start = 0;          // folder position of bytes[0]
    uint64_t end = 0;            // folder position after the last byte
    uint64_t hashed = 0;         // positions below this are in the chains
    std::vector<uint32_t> head;  // per hash: folder position + 1 of the latest, 0 for none
    std::vector<uint32_t> chain; // per position modulo the window: the previous one + 1
    uint32_t hashBits = 0;
    uint32_t windowMask = 0;

    const uint8_t* At(uint64_t position) const { return bytes.data() + (position - start); }
};

struct Match {
    uint32_t length = 0;
    uint32_t offset = 0;
    int repeated = -1;  // 0..2 when offset is R0..R2
};

// Current costs (in bits) of symbols, from the previous block's trees.
struct CostModel {
    uint8_t literal[256];
    uint8_t mainMatch[MaxMainSymbols - LiteralCount];
    uint8_t length[LengthSymbols];
};

struct LzxEncoder {
    LzxSettings settings;
    uint32_t windowSize = 0;
    uint32_t maxOffset = 0;
    uint32_t positionSlots = 0;
    uint32_t mainSymbols = 0;

    History history;
    uint32_t r[3] = {1, 1, 1};
    uint64_t framesDone = 0;

    // Tree lengths the decoder holds from the last verbatim or aligned block.
    uint8_t mainLengths[MaxMainSymbols] = {};
    uint8_t lengthLengths[LengthSymbols] = {};
    CostModel costs;

    std::vector<Token> tokens;
    std::vector<uint8_t> frame;  // the frame's bytes after E8 translation
};

// match_finder.cpp
void ResetHistory(History& history, uint32_t windowBits);
void AppendHistory(History& history, const uint8_t* data, uint32_t size, uint32_t windowSize);
// Puts positions up to `upTo` (exclusive) into the chains, as far as 3 bytes are known.
void InsertUpTo(History& history, uint64_t upTo);
// The longest match at `position` no longer than maxLength, among chainDepth candidates at most
// maxOffset back; its length is 0 when none reaches 3 bytes.
Match LongestMatch(const History& history, uint64_t position, uint32_t maxLength, uint32_t maxOffset,
                   uint32_t chainDepth);
uint32_t MatchLength(const uint8_t* a, const uint8_t* b, uint32_t limit);

// lzx_parser.cpp: the tokens of the frame [start, start + size) of the history, with the
// registers updated as the decoder will.
void ParseFrame(LzxEncoder& encoder, uint64_t start, uint32_t size);
void ResetCosts(CostModel& costs);
void UpdateCosts(CostModel& costs, const uint8_t* mainLengths, uint32_t mainSymbols, const uint8_t* lengthLengths);

// lzx_block_writer.cpp: the frame as one block of the cheapest type; updates the trees and the
// cost model. registersBefore are R0-R2 from before the frame, the values an uncompressed block
// carries.
void WriteFrameBlock(LzxEncoder& encoder, const uint32_t registersBefore[3], bool writeE8Header,
                     std::vector<uint8_t>& out);

// Slot of a formatted offset (match offset + 2).
uint32_t SlotOf(uint32_t formatted);

}  // namespace lzx_encoder
