// The Quantum codec (compression method 2): a handle around the frame decoder of
// quantum_decoder.cpp. Each CFDATA block is one frame; the window, the position and the models
// carry over from block to block until the reader resets the codec at the next folder.
//
// Every handle keeps its own decoder state, so any number of handles may exist at once (one per
// cabinet reader context), each used by one thread at a time.
#include <cstring>

#include "cab/cab_format.h"
#include "cab/codec.h"
#include "cab/quantum_decoder.h"

namespace cab {
namespace {

constexpr uint8_t QuantumTag[4] = {'Q', 'D', 'I', 'C'};

struct QuantumHandle {
    uint8_t tag[4];
    FreeFunction free;
    uint32_t blockSize;
    int cpuType;  // kept as configured; it has no effect on decoding
    quantum::DecoderState state;
};

QuantumHandle* AsQuantum(void* handle) {
    auto* h = static_cast<QuantumHandle*>(handle);
    if (h == nullptr || std::memcmp(h->tag, QuantumTag, sizeof QuantumTag) != 0) return nullptr;
    return h;
}

CodecResult CreateQuantum(uint32_t* blockSize, const CodecConfig& config, AllocFunction alloc,
                          FreeFunction free, uint32_t* inputBufferSize, void** handle) {
    if (config.windowBits < quantum::MinWindowBits || config.windowBits > quantum::MaxWindowBits) {
        return CodecBadConfiguration;
    }
    if (*blockSize == 0 || *blockSize > BlockSize) *blockSize = BlockSize;
    *inputBufferSize = *blockSize + quantum::InputSlack;
    if (handle == nullptr) return CodecOk;

    auto* h = static_cast<QuantumHandle*>(alloc(sizeof(QuantumHandle)));
    if (h == nullptr) return CodecNoMemory;
    const uint32_t windowSize = uint32_t{1} << config.windowBits;
    auto* window = static_cast<uint8_t*>(alloc(windowSize));
    if (window == nullptr) {
        free(h);
        return CodecNoMemory;
    }
    // A match reaching back before anything was decoded reads these bytes: make them defined.
    std::memset(window, 0, windowSize);
    std::memcpy(h->tag, QuantumTag, sizeof QuantumTag);
    h->free = free;
    h->blockSize = *blockSize;
    h->cpuType = config.cpuType;
    h->state.window = window;
    h->state.windowBits = config.windowBits;
    h->state.windowMask = windowSize - 1;
    quantum::ResetDecoder(h->state);
    *handle = h;
    return CodecOk;
}

CodecResult DecompressQuantum(void* handle, const uint8_t* input, uint32_t inputSize,
                              uint8_t* output, uint32_t* outputSize) {
    QuantumHandle* h = AsQuantum(handle);
    if (h == nullptr) return CodecBadHandle;
    if (*outputSize > h->blockSize || inputSize > h->blockSize + quantum::InputSlack) {
        return CodecBadParameters;
    }
    if (!quantum::DecodeFrame(h->state, input, inputSize, output, *outputSize)) return CodecDataError;
    return CodecOk;
}

CodecResult ResetQuantum(void* handle) {
    QuantumHandle* h = AsQuantum(handle);
    if (h == nullptr) return CodecBadHandle;
    quantum::ResetDecoder(h->state);
    return CodecOk;
}

CodecResult DestroyQuantum(void* handle) {
    QuantumHandle* h = AsQuantum(handle);
    if (h == nullptr) return CodecBadHandle;
    std::memset(h->tag, 0, sizeof h->tag);
    FreeFunction free = h->free;
    free(h->state.window);
    free(h);
    return CodecOk;
}

}  // namespace

const Codec QuantumCodec = {CreateQuantum, DecompressQuantum, ResetQuantum, DestroyQuantum};

}  // namespace cab
