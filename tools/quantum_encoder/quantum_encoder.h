// The Quantum encoder: turns a folder's blocks into Quantum frames that cab/quantum_decoder.cpp
// (and every other Quantum decoder) decodes back.
//
// Use: one Encoder per folder sequence; Reset() before the first block of every folder, then
// EncodeBlock() for each block of up to 32768 bytes, in order. Each block becomes one frame: the
// arithmetic coder restarts, while the window (matches reach back into earlier blocks of the
// folder) and the nine adaptive models carry on, exactly as the decoder keeps them.
//
// Parsing is lazy LZ77 over hash chains. A match is taken when its estimated cost, priced from
// the current state of the adaptive models, beats coding its bytes as literals; before taking a
// short match, the match at the next position is looked at, and a literal is coded first when
// that one is worth more.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cab/quantum_model.h"
#include "tools/quantum_encoder/arithmetic_encoder.h"
#include "tools/quantum_encoder/match_finder.h"

namespace quantum_encoder {

// Largest input of one block: one CFDATA block.
constexpr uint32_t MaxBlockInput = 32768;

struct EncoderOptions {
    uint32_t windowBits = 21;  // 10 to 21
    unsigned searchDepth = 64; // hash-chain candidates looked at per position
};

class Encoder {
public:
    explicit Encoder(const EncoderOptions& options);

    // True when the options are usable (window bits 10 to 21, a depth of at least 1).
    bool Valid() const { return valid_; }

    // The start of a folder: no history, models in their initial state.
    void Reset();

    // Appends the frame of one block of 1 to MaxBlockInput bytes to out. False with a message
    // when the size is out of range.
    bool EncodeBlock(const uint8_t* input, uint32_t size, std::vector<uint8_t>& out, std::string& error);

private:
    uint32_t LiteralCost(uint8_t byte) const;
    // Estimated cost of a match in 1/256 bits; UINT32_MAX when the format cannot express it.
    uint32_t MatchCost(uint32_t length, uint32_t offset) const;
    // The best match at position for at most maxLength bytes, by estimated saving over literals
    // (saving in 1/256 bits, 0 when no match saves anything).
    Match BestMatch(uint64_t position, uint32_t maxLength, int64_t& saving);
    void EmitLiteral(uint8_t byte);
    void EmitMatch(const Match& match);

    bool valid_ = false;
    uint32_t windowBits_;
    MatchFinder finder_;
    cab::quantum::Models models_;
    ArithmeticEncoder coder_;
    uint32_t literalAverage_;  // running average of literal costs, 1/256 bits
};

}  // namespace quantum_encoder
