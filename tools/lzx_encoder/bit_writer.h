// The LZX bit writer: bits go out most significant first, packed into 16-bit words stored
// little-endian, the layout the decoder's bit reader takes apart.
#pragma once

#include <cstdint>
#include <vector>

namespace lzx_encoder {

class BitWriter {
public:
    explicit BitWriter(std::vector<uint8_t>& out) : out_(out) {}

    // Appends the low `count` bits of value (count 0 to 32), the highest of them first.
    void Put(uint32_t value, uint32_t count) {
        if (count == 0) return;
        bits_ = (bits_ << count) | (uint64_t(value) & ((uint64_t(1) << count) - 1));
        pending_ += count;
        written_ += count;
        while (pending_ >= 16) {
            pending_ -= 16;
            const uint32_t word = uint32_t(bits_ >> pending_) & 0xFFFF;
            out_.push_back(uint8_t(word));
            out_.push_back(uint8_t(word >> 8));
        }
    }

    // Zero bits up to the next word boundary.
    void PadToWord() {
        if (pending_ != 0) Put(0, 16 - pending_);
    }

    // Before an uncompressed block's registers: the rest of the current word, or a whole word
    // when the stream is already on a word boundary.
    void AlignForRawBytes() { Put(0, 16 - pending_); }

    // Raw bytes, after PadToWord or AlignForRawBytes.
    void PutBytes(const uint8_t* data, size_t size) {
        out_.insert(out_.end(), data, data + size);
        written_ += 8 * uint64_t(size);
    }

    uint64_t BitsWritten() const { return written_; }

private:
    std::vector<uint8_t>& out_;
    uint64_t bits_ = 0;
    uint32_t pending_ = 0;  // bits in bits_ not yet stored (0 to 15)
    uint64_t written_ = 0;
};

}  // namespace lzx_encoder
