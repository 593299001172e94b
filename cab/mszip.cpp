// The MSZIP codec (compression method 1): every CFDATA block is "CK" followed by deflate data,
// decoded on its own into the reader's output buffer, whose previous contents (the folder's
// previous block) serve as the 32 KB history.
#include <cstring>

#include "cab/cab_format.h"
#include "cab/codec.h"
#include "cab/inflate.h"

namespace cab {
namespace {

constexpr uint8_t MszipTag[4] = {'M', 'D', 'I', 'C'};
constexpr uint8_t BlockSignature[2] = {'C', 'K'};
// The compressed-data buffer holds a block plus room for deflate's worst-case expansion of
// incompressible data (stored-block headers) and the signature.
constexpr uint32_t InputSlack = 12;

struct MszipHandle {
    uint8_t tag[4];
    FreeFunction free;
    uint32_t blockSize;
    InflateState* state;
};

MszipHandle* AsMszip(void* handle) {
    auto* h = static_cast<MszipHandle*>(handle);
    if (h == nullptr || std::memcmp(h->tag, MszipTag, sizeof MszipTag) != 0) return nullptr;
    return h;
}

CodecResult CreateMszip(uint32_t* blockSize, const CodecConfig&, AllocFunction alloc,
                        FreeFunction free, uint32_t* inputBufferSize, void** handle) {
    // The output buffer is also the 32 KB history window, so it always has the full size.
    *blockSize = BlockSize;
    *inputBufferSize = *blockSize + InputSlack;
    if (handle == nullptr) return CodecOk;

    auto* h = static_cast<MszipHandle*>(alloc(sizeof(MszipHandle)));
    if (h == nullptr) return CodecNoMemory;
    auto* state = static_cast<InflateState*>(alloc(sizeof(InflateState)));
    if (state == nullptr) {
        free(h);
        return CodecNoMemory;
    }
    std::memset(state, 0, sizeof *state);
    std::memcpy(h->tag, MszipTag, sizeof MszipTag);
    h->free = free;
    h->blockSize = *blockSize;
    h->state = state;
    *handle = h;
    return CodecOk;
}

CodecResult DecompressMszip(void* handle, const uint8_t* input, uint32_t inputSize,
                            uint8_t* output, uint32_t* outputSize) {
    MszipHandle* h = AsMszip(handle);
    if (h == nullptr) return CodecBadHandle;
    if (inputSize > h->blockSize + InputSlack) return CodecBadParameters;
    if (inputSize < sizeof BlockSignature ||
        std::memcmp(input, BlockSignature, sizeof BlockSignature) != 0) {
        return CodecDataError;
    }
    const uint32_t wanted = *outputSize < h->blockSize ? *outputSize : h->blockSize;
    uint32_t produced = 0;
    if (!InflateBlocks(*h->state, input + sizeof BlockSignature, inputSize - sizeof BlockSignature,
                       output, wanted, &produced)) {
        return CodecDataError;
    }
    *outputSize = produced;
    return CodecOk;
}

// Every block starts afresh, so there is nothing to reset.
CodecResult ResetMszip(void* handle) { return AsMszip(handle) ? CodecOk : CodecBadHandle; }

CodecResult DestroyMszip(void* handle) {
    MszipHandle* h = AsMszip(handle);
    if (h == nullptr) return CodecBadHandle;
    std::memset(h->tag, 0, sizeof h->tag);
    FreeFunction free = h->free;
    free(h->state);
    free(h);
    return CodecOk;
}

}  // namespace

const Codec MszipCodec = {CreateMszip, DecompressMszip, ResetMszip, DestroyMszip};

}  // namespace cab
