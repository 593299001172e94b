// The LZX codec (compression method 3): the Codec operations around the decoder of
// lzx_decoder.cpp. The configuration is the window size 2^n, n from 15 to 21; each CFDATA block
// is one frame.
#include <cstring>
#include <new>

#include "cab/cab_format.h"
#include "cab/codec.h"
#include "cab/lzx_decoder.h"

namespace cab {
namespace {

constexpr uint8_t LzxTag[4] = {'L', 'D', 'I', 'C'};

struct LzxHandle {
    uint8_t tag[4];
    AllocFunction alloc;
    FreeFunction free;
    uint32_t blockSize;
    lzx::DecoderState* state;
};

LzxHandle* AsLzx(void* handle) {
    auto* h = static_cast<LzxHandle*>(handle);
    if (h == nullptr || std::memcmp(h->tag, LzxTag, sizeof LzxTag) != 0) return nullptr;
    return h;
}

CodecResult CreateLzx(uint32_t* blockSize, const CodecConfig& config, AllocFunction alloc,
                      FreeFunction free, uint32_t* inputBufferSize, void** handle) {
    const uint32_t bits = config.windowBits;
    if (bits < lzx::MinWindowBits || bits > lzx::MaxWindowBits) return CodecBadConfiguration;
    *inputBufferSize = *blockSize + lzx::InputSlack;
    if (handle == nullptr) return CodecOk;
    // Frames are at most FrameSize bytes; the reader always asks for that block size.
    if (*blockSize > lzx::FrameSize) return CodecBadParameters;

    auto* h = static_cast<LzxHandle*>(alloc(sizeof(LzxHandle)));
    if (h == nullptr) return CodecNoMemory;
    auto* state = static_cast<lzx::DecoderState*>(alloc(sizeof(lzx::DecoderState)));
    if (state == nullptr) {
        free(h);
        return CodecNoMemory;
    }
    new (state) lzx::DecoderState();
    state->windowSize = 1u << bits;
    state->windowMask = state->windowSize - 1;
    state->mainSymbols = lzx::MainSymbols(bits);
    state->window = static_cast<uint8_t*>(alloc(state->windowSize + lzx::WindowExtra));
    if (state->window == nullptr) {
        free(state);
        free(h);
        return CodecNoMemory;
    }
    // Matches that reach back before a folder's first byte read whatever the window holds;
    // zeros make that the same on every run.
    std::memset(state->window, 0, state->windowSize + lzx::WindowExtra);
    std::memcpy(h->tag, LzxTag, sizeof LzxTag);
    h->alloc = alloc;
    h->free = free;
    h->blockSize = *blockSize;
    h->state = state;
    lzx::ResetDecoder(*state);
    *handle = h;
    return CodecOk;
}

CodecResult DecompressLzx(void* handle, const uint8_t* input, uint32_t inputSize,
                          uint8_t* output, uint32_t* outputSize) {
    LzxHandle* h = AsLzx(handle);
    if (h == nullptr) return CodecBadHandle;
    if (*outputSize > h->blockSize || inputSize > h->blockSize + lzx::InputSlack) {
        return CodecBadParameters;
    }
    if (*outputSize == 0) return CodecOk;
    if (!lzx::DecodeFrame(*h->state, input, inputSize, output, *outputSize)) {
        *outputSize = 0;
        return CodecDataError;
    }
    return CodecOk;
}

CodecResult ResetLzx(void* handle) {
    LzxHandle* h = AsLzx(handle);
    if (h == nullptr) return CodecBadHandle;
    lzx::ResetDecoder(*h->state);
    return CodecOk;
}

CodecResult DestroyLzx(void* handle) {
    LzxHandle* h = AsLzx(handle);
    if (h == nullptr) return CodecBadHandle;
    FreeFunction free = h->free;
    free(h->state->window);
    std::memset(h->tag, 0, sizeof h->tag);
    free(h->state);
    free(h);
    return CodecOk;
}

}  // namespace

const Codec LzxCodec = {CreateLzx, DecompressLzx, ResetLzx, DestroyLzx};

}  // namespace cab
