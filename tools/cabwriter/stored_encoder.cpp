// Method 0: blocks are stored as they are (cbData = cbUncomp).
#include <cstring>

#include "cab/cab_format.h"
#include "tools/cabwriter/block_encoder.h"

namespace cabwriter {
namespace {

class StoredEncoder : public BlockEncoder {
public:
    StoredEncoder() {
        typeCompress = cab::MethodStored;
        maxCompressedSize = BlockInputSize;
    }
    bool Reset(std::string&) override { return true; }
    bool EncodeBlock(const uint8_t* input, uint32_t size, bool, std::vector<uint8_t>& out, std::string&) override {
        out.assign(input, input + size);
        return true;
    }
};

}  // namespace

std::unique_ptr<BlockEncoder> MakeStoredEncoder() { return std::make_unique<StoredEncoder>(); }

}  // namespace cabwriter
