// Method 1, MSZIP: every block is "CK" followed by a complete raw deflate stream (RFC 1951)
// made by zlib. A decoder keeps the previous block's 32768 output bytes as its history, so each
// block but a folder's first is compressed with the previous block as zlib's preset dictionary:
// matches may reach back into it, and the blocks still decode one by one.
//
// When deflate does not fit in the method's buffer bound (incompressible data), the block is
// written as one stored deflate block instead: "CK", a header byte, LEN, NLEN and the bytes,
// 7 bytes more than the input, within the 12 the cabinet reader allows.
#include <zlib.h>

#include <cstring>

#include "cab/cab_format.h"
#include "tools/cabwriter/block_encoder.h"

namespace cabwriter {
namespace {

constexpr uint8_t Signature[2] = {'C', 'K'};
constexpr uint32_t SignatureSize = 2;
// The cabinet reader's compressed-data buffer for MSZIP: the block size plus 12 bytes.
constexpr uint32_t MszipMaxCompressed = BlockInputSize + 12;
// A stored deflate block: one byte with BFINAL 1 and BTYPE 00 (padded to the byte boundary),
// then LEN and NLEN, 16 bits each.
constexpr uint32_t StoredHeaderSize = 5;
static_assert(SignatureSize + StoredHeaderSize + BlockInputSize <= MszipMaxCompressed,
              "a stored fallback block must fit the reader's buffer");

// zlib settings: best compression; raw deflate (negative window bits: no zlib header or
// trailer) with the full 32 KB window; memory level 9 for long deflate blocks.
constexpr int Level = 9;
constexpr int RawWindowBits = -15;
constexpr int MemLevel = 9;

class MszipEncoder : public BlockEncoder {
public:
    MszipEncoder() {
        typeCompress = cab::MethodMszip;
        maxCompressedSize = MszipMaxCompressed;
        std::memset(&stream_, 0, sizeof stream_);
        ready_ = deflateInit2(&stream_, Level, Z_DEFLATED, RawWindowBits, MemLevel, Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~MszipEncoder() override {
        if (ready_) deflateEnd(&stream_);
    }
    bool Ready() const { return ready_; }

    bool Reset(std::string&) override {
        previous_.clear();
        return true;
    }

    bool EncodeBlock(const uint8_t* input, uint32_t size, bool, std::vector<uint8_t>& out,
                     std::string& error) override {
        if (deflateReset(&stream_) != Z_OK) {
            error = "zlib: deflateReset failed";
            return false;
        }
        if (!previous_.empty() &&
            deflateSetDictionary(&stream_, previous_.data(), uInt(previous_.size())) != Z_OK) {
            error = "zlib: deflateSetDictionary failed";
            return false;
        }
        // Deflate may use at most what a stored block would take: beyond that it does not pay.
        uint32_t storedSize = SignatureSize + StoredHeaderSize + size;
        out.resize(storedSize);
        out[0] = Signature[0];
        out[1] = Signature[1];
        stream_.next_in = const_cast<Bytef*>(input);
        stream_.avail_in = size;
        stream_.next_out = out.data() + SignatureSize;
        stream_.avail_out = storedSize - SignatureSize;
        int result = deflate(&stream_, Z_FINISH);
        if (result == Z_STREAM_END) {
            out.resize(SignatureSize + (storedSize - SignatureSize - stream_.avail_out));
        } else if (result == Z_OK || result == Z_BUF_ERROR) {
            WriteStoredBlock(input, size, out);
        } else {
            error = "zlib: deflate failed";
            return false;
        }
        previous_.assign(input, input + size);
        return true;
    }

private:
    static void WriteStoredBlock(const uint8_t* input, uint32_t size, std::vector<uint8_t>& out) {
        out.resize(SignatureSize);
        out.push_back(0x01);  // BFINAL 1, BTYPE 00
        out.push_back(uint8_t(size));
        out.push_back(uint8_t(size >> 8));
        out.push_back(uint8_t(~size));
        out.push_back(uint8_t(~size >> 8));
        out.insert(out.end(), input, input + size);
    }

    z_stream stream_;
    bool ready_ = false;
    std::vector<uint8_t> previous_;  // the folder's previous block; empty at a folder's start
};

}  // namespace

std::unique_ptr<BlockEncoder> MakeMszipEncoder() {
    auto encoder = std::make_unique<MszipEncoder>();
    if (!encoder->Ready()) return nullptr;
    return encoder;
}

}  // namespace cabwriter
