// Quantum's arithmetic encoder: the mirror image of DecodeSymbol in cab/quantum_decoder.cpp,
// with the standard "bit plus pending opposite bits" output for the underflow case, in which
// the decoder flips bit 14 of its code register.
#include "tools/quantum_encoder/arithmetic_encoder.h"

#include <cstddef>

namespace quantum_encoder {
namespace {

// Bits past the end of the stream that a decoder may read before it stops.
constexpr unsigned LookaheadBits = 2;

}  // namespace

void ArithmeticEncoder::Start() {
    low_ = 0;
    high_ = 0xFFFF;
    pending_ = 0;
    shifts_ = 0;
    codeBits_.clear();
    raw_.clear();
    rawBitCount_ = 0;
}

void ArithmeticEncoder::Emit(uint8_t bit) {
    codeBits_.push_back(bit);
    for (; pending_ != 0; --pending_) codeBits_.push_back(bit ^ 1);
}

void ArithmeticEncoder::Encode(cab::quantum::Model& model, unsigned entry) {
    const uint32_t range = high_ - low_ + 1;
    const uint32_t total = model.cumFreq[0];
    const uint32_t low = low_;
    high_ = (low + model.cumFreq[entry] * range / total - 1) & 0xFFFF;
    low_ = (low + model.cumFreq[entry + 1] * range / total) & 0xFFFF;
    cab::quantum::UpdateModel(model, entry);

    for (;;) {
        if (((low_ ^ high_) & 0x8000) == 0) {
            Emit(static_cast<uint8_t>(high_ >> 15));
        } else if ((low_ & 0x4000) && !(high_ & 0x4000)) {
            ++pending_;
            low_ &= 0x3FFF;
            high_ |= 0x4000;
        } else {
            break;
        }
        low_ = (low_ << 1) & 0xFFFF;
        high_ = ((high_ << 1) | 1) & 0xFFFF;
        ++shifts_;
    }
}

void ArithmeticEncoder::Raw(uint32_t value, unsigned bits) {
    if (bits == 0) return;
    raw_.push_back({16 + shifts_, value, bits});
    rawBitCount_ += bits;
}

void ArithmeticEncoder::Finish(std::vector<uint8_t>& out) {
    // The decoder's code register ends up holding the 16 bits after its last shift; make them
    // the value L, which lies in the final range. Its top bit settles the pending bits.
    Emit(static_cast<uint8_t>(low_ >> 15));
    for (int bit = 14; bit >= 0; --bit) codeBits_.push_back(static_cast<uint8_t>((low_ >> bit) & 1));

    uint32_t byte = 0;
    unsigned filled = 0;
    auto put = [&](uint32_t bit) {
        byte = (byte << 1) | bit;
        if (++filled == 8) {
            out.push_back(static_cast<uint8_t>(byte));
            byte = 0;
            filled = 0;
        }
    };
    size_t next = 0;
    for (uint32_t i = 0; i <= codeBits_.size(); ++i) {
        for (; next < raw_.size() && raw_[next].atCodeBit == i; ++next) {
            for (unsigned b = raw_[next].bits; b-- > 0;) put((raw_[next].value >> b) & 1);
        }
        if (i < codeBits_.size()) put(codeBits_[i]);
    }
    // Pad the last byte with zero bits, and give the decoder at least two bits beyond what it
    // reads: 7-Zip's Quantum decoder looks two bits further ahead than the stream needs and
    // rejects a frame whose bytes end before them (a byte more than that it rejects too).
    unsigned spare = filled == 0 ? 0 : 8 - filled;
    if (filled != 0) out.push_back(static_cast<uint8_t>(byte << (8 - filled)));
    if (spare < LookaheadBits) out.push_back(0);
}

}  // namespace quantum_encoder
