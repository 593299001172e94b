// Hand-built Quantum frames for the decoder's edge cases: each item is written symbol by symbol
// through the encoder's arithmetic coder and a private copy of the nine models, so a test can
// make items the encoder's parser would never choose (a given length slot, a match reaching
// before the data, a match longer than the frame).
#pragma once

#include <cstdint>
#include <vector>

#include "cab/quantum_format.h"
#include "cab/quantum_model.h"
#include "tools/quantum_encoder/arithmetic_encoder.h"

namespace quantumtest {

class FrameBuilder {
public:
    explicit FrameBuilder(uint32_t windowBits) {
        cab::quantum::InitModels(models_, windowBits);
        coder_.Start();
    }

    void Literal(uint8_t byte) {
        Symbol(models_.selector, byte / cab::quantum::LiteralSymbols);
        Symbol(models_.literal[byte / cab::quantum::LiteralSymbols], byte % cab::quantum::LiteralSymbols);
    }
    // A match of length 3 (selector 4) or 4 (selector 5): position slot, then its extra bits.
    void ShortMatch(uint32_t length, unsigned slot, uint32_t extra) {
        Symbol(models_.selector, length == 3 ? cab::quantum::SelectorMatch3 : cab::quantum::SelectorMatch4);
        Symbol(length == 3 ? models_.match3Position : models_.match4Position, slot);
        coder_.Raw(extra, cab::quantum::PositionExtraBits[slot]);
    }
    // A longer match (selector 6): length slot and extra bits, position slot and extra bits.
    void LongMatch(unsigned lengthSlot, uint32_t lengthExtra, unsigned slot, uint32_t extra) {
        Symbol(models_.selector, cab::quantum::SelectorLongMatch);
        Symbol(models_.longLength, lengthSlot);
        coder_.Raw(lengthExtra, cab::quantum::LengthExtraBits[lengthSlot]);
        Symbol(models_.longPosition, slot);
        coder_.Raw(extra, cab::quantum::PositionExtraBits[slot]);
    }
    // The frame's bytes; the next items start a new frame with the models as they are.
    std::vector<uint8_t> Finish() {
        std::vector<uint8_t> frame;
        coder_.Finish(frame);
        coder_.Start();
        return frame;
    }

private:
    void Symbol(cab::quantum::Model& model, unsigned symbol) {
        coder_.Encode(model, quantum_encoder::EntryOf(model, symbol));
    }

    cab::quantum::Models models_;
    quantum_encoder::ArithmeticEncoder coder_;
};

}  // namespace quantumtest
