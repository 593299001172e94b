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

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "cab/quantum_format.h"

namespace cab {
namespace quantum {

// UpdateModel works on groups of eight 16-bit entries (four without SSE2); the array of
// cumulative frequencies is padded to whole groups.
constexpr unsigned ModelGroupLanes = 8;
constexpr unsigned ModelEntries = (MaxModelSymbols + 1 + ModelGroupLanes - 1) / ModelGroupLanes * ModelGroupLanes;

struct Model {
    alignas(16) uint16_t cumFreq[ModelEntries];  // entries 0..s, then padding
    uint16_t symbol[MaxModelSymbols + 1];
    uint16_t symbols;            // s
    uint16_t rescaleCountdown;   // halvings left until the next reorder
};

// Entry i := (s - i, symbol i); the countdown starts at FirstReorderCountdown.
void InitModel(Model& model, unsigned symbols);

// Halves the model, or every ReorderInterval-th time sorts it by frequency.
void RescaleModel(Model& model);

// The step after the symbol of entry `entry` was coded.
inline void UpdateModel(Model& model, unsigned entry) {
    // No lane can carry into the next: no cumulative frequency exceeds RescaleThreshold +
    // FrequencyStep before the rescale.
#if defined(__SSE2__)
    // Eight entries at a time: the groups before the entry's own get the step in every lane,
    // the entry's group in its lanes up to the entry's. Most coded entries lie in the first
    // group, so the loop rarely runs.
    const __m128i step = _mm_set1_epi16(FrequencyStep);
    __m128i* group = reinterpret_cast<__m128i*>(model.cumFreq);
    const unsigned last = entry / ModelGroupLanes;
    for (unsigned g = 0; g < last; ++g) group[g] = _mm_add_epi16(group[g], step);
    const __m128i lane = _mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7);
    const __m128i beyond = _mm_cmpgt_epi16(lane, _mm_set1_epi16(int16_t(entry % ModelGroupLanes)));
    group[last] = _mm_add_epi16(group[last], _mm_andnot_si128(beyond, step));
#else
    // Four entries at a time as 16-bit lanes of one 64-bit word. The last group adds to its
    // first (entry + 1) % 4 lanes only.
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
#endif
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
