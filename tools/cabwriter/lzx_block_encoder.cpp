// Method 3, LZX: the cabinet writer's face of tools/lzx_encoder. Every block becomes one LZX
// frame; the window, the trees and the repeated offsets carry over from block to block of a
// folder. The encoder falls back to an uncompressed LZX block when compression does not pay,
// so a frame never outgrows the reader's buffer of the block size plus 6144 bytes.
#include "cab/cab_format.h"
#include "cab/lzx_format.h"
#include "tools/cabwriter/block_encoder.h"
#include "tools/lzx_encoder/lzx_encoder.h"

namespace cabwriter {
namespace {

static_assert(BlockInputSize == cab::lzx::FrameSize, "one block is one LZX frame");
static_assert(lzx_encoder::MaxFrameOutput <= BlockInputSize + cab::lzx::InputSlack,
              "an uncompressed LZX block fits the reader's buffer");

class LzxBlockEncoder : public BlockEncoder {
public:
    explicit LzxBlockEncoder(uint16_t windowBits) {
        lzx_encoder::LzxSettings settings;
        settings.windowBits = windowBits;
        encoder_ = lzx_encoder::CreateLzxEncoder(settings);
        typeCompress = static_cast<uint16_t>(cab::MethodLzx | (windowBits << cab::CompressionWindowShift));
        maxCompressedSize = BlockInputSize + cab::lzx::InputSlack;
    }
    bool Ready() const { return encoder_ != nullptr; }

    bool Reset(std::string&) override {
        lzx_encoder::ResetLzxEncoder(*encoder_);
        return true;
    }

    bool EncodeBlock(const uint8_t* input, uint32_t size, bool, std::vector<uint8_t>& out,
                     std::string& error) override {
        if (!lzx_encoder::EncodeLzxFrame(*encoder_, input, size, out)) {
            error = "the LZX encoder refused a block of " + std::to_string(size) + " bytes";
            return false;
        }
        return true;
    }

private:
    lzx_encoder::LzxEncoderPtr encoder_;
};

}  // namespace

std::unique_ptr<BlockEncoder> MakeLzxEncoder(uint16_t windowBits) {
    auto encoder = std::make_unique<LzxBlockEncoder>(windowBits);
    if (!encoder->Ready()) return nullptr;
    return encoder;
}

}  // namespace cabwriter
