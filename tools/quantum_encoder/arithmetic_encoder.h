// The encoding side of Quantum's arithmetic coder (the decoder is cab/quantum_decoder.cpp),
// for one frame.
//
// The decoder reads one stream: 16 bits into its code register at the start, one more at every
// shift of its renormalisation, and the raw extra bits of matches in between, at the moment it
// needs them. The encoder cannot interleave them as it goes: when the decoder reads a raw value
// it already holds 16 code bits (and any pending underflow bits) that the encoder has not
// settled yet. So the frame's code bits and its raw values are collected apart, each raw value
// tagged with the number of code bits the decoder has read when it reads it (16 + the shifts so
// far), and merged into one stream by Finish.
#pragma once

#include <cstdint>
#include <vector>

#include "cab/quantum_model.h"

namespace quantum_encoder {

class ArithmeticEncoder {
public:
    // A fresh frame: L = 0, H = 0xFFFF, nothing collected.
    void Start();

    // Codes the symbol of entry `entry` of model (symbol → entry: EntryOf) and updates the model
    // exactly as the decoder will.
    void Encode(cab::quantum::Model& model, unsigned entry);

    // A raw value of `bits` bits (at most 19), read by the decoder right now.
    void Raw(uint32_t value, unsigned bits);

    // Ends the frame: settles the code value (L) in exactly the 16 bits the decoder still reads,
    // merges the raw values in and appends the frame's bytes to out (the last byte padded with
    // zero bits, which the decoder never reads).
    void Finish(std::vector<uint8_t>& out);

    // Bits collected so far, raw values included: a close estimate of the frame's size.
    uint64_t BitsSoFar() const { return codeBits_.size() + pending_ + rawBitCount_ + 16; }

private:
    void Emit(uint8_t bit);

    uint32_t low_ = 0;
    uint32_t high_ = 0xFFFF;
    uint32_t pending_ = 0;  // underflow shifts whose bits wait for the next settled bit
    uint32_t shifts_ = 0;   // renormalisation shifts: the decoder has read 16 + shifts_ code bits
    std::vector<uint8_t> codeBits_;  // one settled code bit per element

    struct RawValue {
        uint32_t atCodeBit;  // the decoder reads it after this many code bits
        uint32_t value;
        unsigned bits;
    };
    std::vector<RawValue> raw_;
    uint64_t rawBitCount_ = 0;
};

// The entry of model that holds symbol (a linear search, as the models are short).
inline unsigned EntryOf(const cab::quantum::Model& model, unsigned symbol) {
    unsigned i = 0;
    while (model.symbol[i] != symbol) ++i;
    return i;
}

}  // namespace quantum_encoder
