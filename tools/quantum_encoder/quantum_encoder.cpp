// The Quantum encoder (see quantum_encoder.h): parsing, pricing and coding of items.
#include "tools/quantum_encoder/quantum_encoder.h"

#include <algorithm>
#include <cmath>

#include "cab/quantum_format.h"

namespace quantum_encoder {
namespace {

using namespace cab::quantum;

// Matches at least this long are taken without looking at the next position.
constexpr uint32_t LazyLimit = 32;
// Costs are kept in 1/256 bits.
constexpr uint32_t CostUnit = 256;
// Model totals stay at most RescaleThreshold + FrequencyStep.
constexpr uint32_t MaxTotal = RescaleThreshold + FrequencyStep;

// log2(x) × CostUnit for every frequency and total a model can hold.
struct Log2Table {
    uint32_t value[MaxTotal + 1];
    Log2Table() {
        value[0] = 0;
        for (uint32_t x = 1; x <= MaxTotal; ++x) value[x] = static_cast<uint32_t>(std::lround(std::log2(double(x)) * CostUnit));
    }
};
const Log2Table Log2;

// Cost of coding symbol with model in its present state.
uint32_t SymbolCost(const Model& model, unsigned symbol) {
    const unsigned entry = EntryOf(model, symbol);
    return Log2.value[model.cumFreq[0]] - Log2.value[model.cumFreq[entry] - model.cumFreq[entry + 1]];
}

// The slot whose range holds distance (offset - 1): slot 2k and 2k + 1 split [2^k, 2^(k+1)).
unsigned PositionSlotOf(uint32_t distance) {
    if (distance < 4) return distance;
    unsigned top = 31;
    while (!(distance >> top)) --top;
    return 2 * top + ((distance >> (top - 1)) & 1);
}

// The length slot of a long match of length (5 to 259).
unsigned LengthSlotOf(uint32_t length) {
    const uint32_t value = length - LongMatchMinLength;
    unsigned slot = LengthSlots - 1;
    while (LengthBase[slot] > value) --slot;
    return slot;
}

}  // namespace

Encoder::Encoder(const EncoderOptions& options)
    : valid_(options.windowBits >= MinWindowBits && options.windowBits <= MaxWindowBits && options.searchDepth >= 1),
      windowBits_(std::clamp(options.windowBits, MinWindowBits, MaxWindowBits)),
      finder_(windowBits_, std::max(options.searchDepth, 1u)) {
    Reset();
}

void Encoder::Reset() {
    finder_.Reset();
    InitModels(models_, windowBits_);
    literalAverage_ = 8 * CostUnit;
}

uint32_t Encoder::LiteralCost(uint8_t byte) const {
    const unsigned model = byte / LiteralSymbols;
    return SymbolCost(models_.selector, model) + SymbolCost(models_.literal[model], byte % LiteralSymbols);
}

uint32_t Encoder::MatchCost(uint32_t length, uint32_t offset) const {
    const uint32_t distance = offset - 1;
    const unsigned slot = PositionSlotOf(distance);
    const uint32_t extra = PositionExtraBits[slot] * CostUnit;
    if (length == 3 || length == 4) {
        const Model& positions = length == 3 ? models_.match3Position : models_.match4Position;
        if (slot >= positions.symbols) return UINT32_MAX;
        return SymbolCost(models_.selector, length == 3 ? SelectorMatch3 : SelectorMatch4) +
               SymbolCost(positions, slot) + extra;
    }
    const unsigned lengthSlot = LengthSlotOf(length);
    return SymbolCost(models_.selector, SelectorLongMatch) + SymbolCost(models_.longLength, lengthSlot) +
           LengthExtraBits[lengthSlot] * CostUnit + SymbolCost(models_.longPosition, slot) + extra;
}

Match Encoder::BestMatch(uint64_t position, uint32_t maxLength, int64_t& saving) {
    Match best;
    saving = 0;
    finder_.Search(position, maxLength, [&](uint32_t length, uint32_t offset) {
        // Lengths 3 and 4 have no slot for far offsets; such a candidate is passed over.
        const uint32_t cost = MatchCost(length, offset);
        if (cost == UINT32_MAX) return;
        const int64_t gain = int64_t(length) * literalAverage_ - cost;
        if (gain > saving) {
            saving = gain;
            best.length = length;
            best.offset = offset;
        }
    });
    return best;
}

void Encoder::EmitLiteral(uint8_t byte) {
    const uint32_t cost = LiteralCost(byte);
    literalAverage_ = literalAverage_ - literalAverage_ / 16 + cost / 16;
    const unsigned model = byte / LiteralSymbols;
    coder_.Encode(models_.selector, EntryOf(models_.selector, model));
    Model& literal = models_.literal[model];
    coder_.Encode(literal, EntryOf(literal, byte % LiteralSymbols));
}

void Encoder::EmitMatch(const Match& match) {
    const uint32_t distance = match.offset - 1;
    const unsigned slot = PositionSlotOf(distance);
    const uint32_t extra = distance - PositionBase[slot];
    Model* positions = &models_.longPosition;
    if (match.length == 3 || match.length == 4) {
        const unsigned selector = match.length == 3 ? SelectorMatch3 : SelectorMatch4;
        coder_.Encode(models_.selector, EntryOf(models_.selector, selector));
        positions = match.length == 3 ? &models_.match3Position : &models_.match4Position;
    } else {
        coder_.Encode(models_.selector, EntryOf(models_.selector, SelectorLongMatch));
        const unsigned lengthSlot = LengthSlotOf(match.length);
        coder_.Encode(models_.longLength, EntryOf(models_.longLength, lengthSlot));
        coder_.Raw(match.length - LongMatchMinLength - LengthBase[lengthSlot], LengthExtraBits[lengthSlot]);
    }
    coder_.Encode(*positions, EntryOf(*positions, slot));
    coder_.Raw(extra, PositionExtraBits[slot]);
}

bool Encoder::EncodeBlock(const uint8_t* input, uint32_t size, std::vector<uint8_t>& out, std::string& error) {
    if (!valid_) {
        error = "Quantum window bits must be 10 to 21";
        return false;
    }
    if (size == 0 || size > MaxBlockInput) {
        error = "a Quantum block holds 1 to 32768 bytes";
        return false;
    }
    finder_.Append(input, size);
    coder_.Start();

    const uint64_t end = finder_.End();
    uint64_t position = end - size;
    // A match found at the next position while deciding lazily, kept for the next round.
    Match next;
    int64_t nextSaving = 0;
    bool haveNext = false;
    while (position < end) {
        const uint32_t room = static_cast<uint32_t>(std::min<uint64_t>(MaxMatchLength, end - position));
        Match match;
        int64_t saving = 0;
        if (haveNext) {
            match = next;
            saving = nextSaving;
            haveNext = false;
        } else {
            finder_.InsertUpTo(position);
            match = BestMatch(position, room, saving);
        }
        if (match.length == 0) {
            EmitLiteral(finder_.At(position));
            ++position;
            continue;
        }
        if (match.length < LazyLimit && position + 1 < end) {
            finder_.InsertUpTo(position + 1);
            const uint64_t left = end - position - 1;
            next = BestMatch(position + 1, static_cast<uint32_t>(std::min<uint64_t>(MaxMatchLength, left)), nextSaving);
            if (next.length != 0 && nextSaving > saving) {
                haveNext = true;
                EmitLiteral(finder_.At(position));
                ++position;
                continue;
            }
        }
        EmitMatch(match);
        position += match.length;
    }
    coder_.Finish(out);
    return true;
}

}  // namespace quantum_encoder
