// The adaptive frequency model of Quantum's arithmetic coder, shared by the decoder and the
// encoder so that both adapt in exactly the same steps.
//
// A model of s symbols keeps s + 1 entries ordered by falling cumulative frequency: entry 0
// holds the total, entry s holds 0, and entry i's own frequency is cumFreq[i] - cumFreq[i + 1].
// Coding the symbol of entry i adds FrequencyStep to entries 0..i (its frequency and every
// cumulative frequency above it). A total above RescaleThreshold halves the model; every
// fiftieth halving (the first at the fourth) instead rebuilds it sorted by frequency, so that
// the frequent symbols come first in the linear searches of both coders.
#pragma once

#include <cstdint>
#include <cstring>

#include "cab/quantum_format.h"

namespace cab {
namespace quantum {

struct Model {
    uint16_t symbols;            // s
    uint16_t rescaleCountdown;   // halvings left until the next reorder
    uint16_t cumFreq[MaxModelSymbols + 4];  // entries 0..s, then room for UpdateModel's last group
    uint16_t symbol[MaxModelSymbols + 1];
};

// Entry i := (s - i, symbol i); the countdown starts at FirstReorderCountdown.
void InitModel(Model& model, unsigned symbols);

// Halves the model, or every ReorderInterval-th time sorts it by frequency.
void RescaleModel(Model& model);

// The step after the symbol of entry `entry` was coded.
inline void UpdateModel(Model& model, unsigned entry) {
    // Four entries at a time as 16-bit lanes of one 64-bit word: no lane can carry into the next,
    // as no cumulative frequency exceeds RescaleThreshold + FrequencyStep before the rescale.
    // The last group adds to its first (entry + 1) % 4 lanes only.
    static constexpr uint16_t Steps[8] = {FrequencyStep, FrequencyStep, FrequencyStep, FrequencyStep, 0, 0, 0, 0};
    uint64_t all;
    std::memcpy(&all, Steps, sizeof all);
    const unsigned count = entry + 1;
    unsigned i = 0;
    for (; i + 4 <= count; i += 4) {
        uint64_t lanes;
        std::memcpy(&lanes, model.cumFreq + i, sizeof lanes);
        lanes += all;
        std::memcpy(model.cumFreq + i, &lanes, sizeof lanes);
    }
    uint64_t some;
    std::memcpy(&some, Steps + 4 - (count - i), sizeof some);
    uint64_t lanes;
    std::memcpy(&lanes, model.cumFreq + i, sizeof lanes);
    lanes += some;
    std::memcpy(model.cumFreq + i, &lanes, sizeof lanes);
    if (model.cumFreq[0] > RescaleThreshold) RescaleModel(model);
}

// The nine models of one coder, in the order of the format's description.
struct Models {
    Model selector;
    Model literal[LiteralModels];
    Model match3Position;
    Model match4Position;
    Model longLength;
    Model longPosition;
};

// Sets every model to its initial state for a window of 2^windowBits bytes.
void InitModels(Models& models, uint32_t windowBits);

}  // namespace quantum
}  // namespace cab
