// The Quantum frame decoder behind the Quantum codec (quantum.cpp): the window, the position
// and the nine adaptive models of one folder, and the decoding of one frame (one CFDATA block).
#pragma once

#include <cstdint>

#include "cab/quantum_model.h"

namespace cab {
namespace quantum {

// What persists from frame to frame within a folder. The window's bytes also persist across
// resets: a match reaching back before the folder's start copies whatever the window holds.
struct DecoderState {
    uint8_t* window;        // 2^windowBits bytes
    uint32_t windowBits;
    uint32_t windowMask;    // window size - 1
    uint32_t position;      // bytes decoded since the reset; the write index is position & mask
    Models models;
};

// Position 0 and the models in their initial state; the window's contents stay.
void ResetDecoder(DecoderState& state);

// Decodes one frame from input[0, inputSize) into output, exactly `wanted` bytes, each byte also
// written to the window. False when the input runs out before the frame is complete (a bit is
// read past the end of the input, even in the last item's bits) or a match runs past the
// wanted size. The work is bounded by the wanted size whatever the input holds.
bool DecodeFrame(DecoderState& state, const uint8_t* input, uint32_t inputSize, uint8_t* output,
                 uint32_t wanted);

}  // namespace quantum
}  // namespace cab
