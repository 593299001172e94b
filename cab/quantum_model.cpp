// Initialising and rescaling Quantum's adaptive models (see quantum_model.h).
#include "cab/quantum_model.h"

#include <cstring>

namespace cab {
namespace quantum {

void InitModel(Model& model, unsigned symbols) {
    std::memset(model.cumFreq, 0, sizeof model.cumFreq);
    model.symbols = static_cast<uint16_t>(symbols);
    model.rescaleCountdown = FirstReorderCountdown;
    for (unsigned i = 0; i <= symbols; ++i) {
        model.cumFreq[i] = static_cast<uint16_t>(symbols - i);
        model.symbol[i] = static_cast<uint16_t>(i);
    }
}

void RescaleModel(Model& model) {
    const unsigned s = model.symbols;
    if (--model.rescaleCountdown != 0) {
        // Halve every cumulative frequency, keeping each strictly above the next so that no
        // symbol's frequency drops to zero.
        for (unsigned i = s; i-- > 0;) {
            model.cumFreq[i] = static_cast<uint16_t>(model.cumFreq[i] >> 1);
            if (model.cumFreq[i] <= model.cumFreq[i + 1]) {
                model.cumFreq[i] = static_cast<uint16_t>(model.cumFreq[i + 1] + 1);
            }
        }
        return;
    }

    model.rescaleCountdown = ReorderInterval;
    // Own frequencies, halved (rounding up, so every one stays at least 1).
    for (unsigned i = 0; i < s; ++i) {
        model.cumFreq[i] = static_cast<uint16_t>((model.cumFreq[i] - model.cumFreq[i + 1] + 1) >> 1);
    }
    // Selection sort, highest frequency first. Entry i is swapped with every later entry whose
    // frequency is strictly higher, in order; this exact sequence of swaps fixes the order of
    // equal frequencies, which the other coder must reproduce.
    for (unsigned i = 0; i + 1 < s; ++i) {
        for (unsigned j = i + 1; j < s; ++j) {
            if (model.cumFreq[i] < model.cumFreq[j]) {
                const uint16_t f = model.cumFreq[i];
                model.cumFreq[i] = model.cumFreq[j];
                model.cumFreq[j] = f;
                const uint16_t sym = model.symbol[i];
                model.symbol[i] = model.symbol[j];
                model.symbol[j] = sym;
            }
        }
    }
    // Back to cumulative frequencies, from the last entry up (entry s stays 0).
    for (unsigned i = s; i-- > 0;) {
        model.cumFreq[i] = static_cast<uint16_t>(model.cumFreq[i] + model.cumFreq[i + 1]);
    }
}

void InitModels(Models& models, uint32_t windowBits) {
    InitModel(models.selector, SelectorSymbols);
    for (Model& literal : models.literal) InitModel(literal, LiteralSymbols);
    InitModel(models.match3Position, PositionSlotsBelow(windowBits, Match3BaseLimit));
    InitModel(models.match4Position, PositionSlotsBelow(windowBits, Match4BaseLimit));
    InitModel(models.longLength, LengthSlots);
    InitModel(models.longPosition, PositionSlotsBelow(windowBits, 0xFFFFFFFFu));
}

}  // namespace quantum
}  // namespace cab
