// Fuzz target: the Quantum decoder on frames, as the cabinet reader hands them over (see
// codec_frames.h for the input layout and the properties checked).
#include "fuzz/codec_frames.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzCodecFrames(cab::QuantumCodec, data, size);
}
