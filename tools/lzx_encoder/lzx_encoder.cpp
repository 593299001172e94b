// The LZX encoder's frame driver: E8 translation, history, parse, block.
#include "tools/lzx_encoder/lzx_encoder.h"

#include <cstring>

#include "cab/lzx_e8.h"
#include "tools/lzx_encoder/encoder_state.h"

namespace lzx_encoder {

void LzxEncoderDeleter::operator()(LzxEncoder* encoder) const { delete encoder; }

LzxEncoderPtr CreateLzxEncoder(const LzxSettings& settings) {
    if (settings.windowBits < MinWindowBits || settings.windowBits > MaxWindowBits) return nullptr;
    LzxEncoderPtr encoder(new LzxEncoder);
    encoder->settings = settings;
    if (encoder->settings.chainDepth == 0) encoder->settings.chainDepth = 1;
    encoder->windowSize = 1u << settings.windowBits;
    // The largest formatted offset (offset + 2) must stay below the window size.
    encoder->maxOffset = encoder->windowSize - 3;
    encoder->positionSlots = PositionSlots(settings.windowBits);
    encoder->mainSymbols = MainSymbols(settings.windowBits);
    ResetLzxEncoder(*encoder);
    return encoder;
}

void ResetLzxEncoder(LzxEncoder& e) {
    ResetHistory(e.history, e.settings.windowBits);
    e.r[0] = e.r[1] = e.r[2] = InitialRepeatedOffset;
    e.framesDone = 0;
    std::memset(e.mainLengths, 0, sizeof e.mainLengths);
    std::memset(e.lengthLengths, 0, sizeof e.lengthLengths);
    ResetCosts(e.costs);
}

bool EncodeLzxFrame(LzxEncoder& e, const uint8_t* input, uint32_t size, std::vector<uint8_t>& out) {
    if (size == 0 || size > FrameSize) return false;
    // The decoder's window position is the folder position modulo the window; a frame must
    // not run past the window's end, which only frames after a short one could do.
    const uint64_t start = e.history.end;
    if ((start & (e.windowSize - 1)) + size > e.windowSize) return false;

    e.frame.assign(input, input + size);
    if (e.settings.e8Translation && e.framesDone < E8TranslatedFrames) {
        E8Encode(e.frame.data(), size, uint32_t(start), E8TranslationSize);
    }
    AppendHistory(e.history, e.frame.data(), size, e.windowSize);

    uint32_t registersBefore[3];
    std::memcpy(registersBefore, e.r, sizeof registersBefore);
    ParseFrame(e, start, size);
    WriteFrameBlock(e, registersBefore, e.framesDone == 0, out);
    ++e.framesDone;
    return true;
}

}  // namespace lzx_encoder
