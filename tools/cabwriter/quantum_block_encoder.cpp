// Method 2, Quantum: the cabinet writer's face of tools/quantum_encoder. Every block becomes
// one Quantum frame; the window and the models carry over from block to block of a folder.
//
// Quantum has no stored form to fall back on, so a block whose frame would not fit the reader's
// compressed-data buffer (the block size plus 10240 bytes, more than adaptive coding of any
// real data needs) fails the cabinet with a message instead.
#include "cab/cab_format.h"
#include "cab/quantum_format.h"
#include "tools/cabwriter/block_encoder.h"
#include "tools/quantum_encoder/quantum_encoder.h"

namespace cabwriter {
namespace {

static_assert(BlockInputSize == quantum_encoder::MaxBlockInput, "one block is one Quantum frame");

class QuantumBlockEncoder : public BlockEncoder {
public:
    explicit QuantumBlockEncoder(uint16_t windowBits) : encoder_(Options(windowBits)) {
        typeCompress = static_cast<uint16_t>(cab::MethodQuantum | (windowBits << cab::CompressionWindowShift));
        maxCompressedSize = BlockInputSize + cab::quantum::InputSlack;
    }
    bool Ready() const { return encoder_.Valid(); }

    bool Reset(std::string&) override {
        encoder_.Reset();
        return true;
    }

    bool EncodeBlock(const uint8_t* input, uint32_t size, bool, std::vector<uint8_t>& out,
                     std::string& error) override {
        if (!encoder_.EncodeBlock(input, size, out, error)) return false;
        if (out.size() > maxCompressedSize) {
            error = "a Quantum block took " + std::to_string(out.size()) + " bytes, more than the " +
                    std::to_string(maxCompressedSize) + " a reader provides";
            return false;
        }
        return true;
    }

private:
    static quantum_encoder::EncoderOptions Options(uint16_t windowBits) {
        quantum_encoder::EncoderOptions options;
        options.windowBits = windowBits;
        return options;
    }

    quantum_encoder::Encoder encoder_;
};

}  // namespace

std::unique_ptr<BlockEncoder> MakeQuantumEncoder(uint16_t windowBits) {
    auto encoder = std::make_unique<QuantumBlockEncoder>(windowBits);
    if (!encoder->Ready()) return nullptr;
    return encoder;
}

}  // namespace cabwriter
