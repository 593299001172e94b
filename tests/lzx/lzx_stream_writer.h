// Hand-built LZX frames for the decoder's tests, written field by field: the E8 header, block
// headers, trees (sent through a fixed pretree in which every pretree symbol has a code, so any
// sequence of pretree symbols can be written), literals and matches.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "cab/lzx_format.h"
#include "tools/lzx_encoder/bit_writer.h"

namespace lzxtest {

using namespace cab::lzx;

// Lengths of a complete code over the given symbols (at least 2) of a tree of count symbols.
std::vector<uint8_t> CompleteLengths(uint32_t count, const std::vector<uint32_t>& symbols);

class StreamWriter {
public:
    explicit StreamWriter(uint32_t windowBits);

    // Ends the frame: pads to the next word and hands over its bytes; the next frame starts
    // empty (the tree lengths carry on, as in the decoder).
    std::vector<uint8_t> TakeFrame();

    void E8Header(uint32_t translationSize);  // 0: the "no translation" bit
    void BlockHeader(uint32_t type, uint32_t size);
    void Bits(uint32_t value, uint32_t count) { bits_->Put(value, count); }
    uint64_t BitsWritten() const { return bits_->BitsWritten(); }

    // The aligned tree (8 × 3 bits) and the main and length trees of a verbatim or aligned block.
    void AlignedTree(const std::vector<uint8_t>& lengths);
    void MainAndLengthTrees(const std::vector<uint8_t>& main, const std::vector<uint8_t>& length);
    // One range of a tree as raw pretree symbols (the fixed pretree first).
    void PretreeSymbols(const std::vector<uint32_t>& symbols);

    // Uncompressed block: header, alignment, registers, bytes, and a pad byte after an odd size.
    void Uncompressed(const std::vector<uint8_t>& bytes, uint32_t r0, uint32_t r1, uint32_t r2);
    void RawBytes(const std::vector<uint8_t>& bytes) { bits_->PutBytes(bytes.data(), bytes.size()); }

    void Literal(uint8_t byte);
    // A match with an explicit offset (slot 3 and up) or a repeated one (slot 0 to 2, offset
    // ignored), written as a verbatim block sends it.
    void Match(uint32_t length, uint32_t slot, uint32_t offset = 0);

    uint32_t mainSymbols;

private:
    void Tree(uint8_t* previous, const uint8_t* next, uint32_t first, uint32_t end);
    void Code(const std::vector<uint8_t>& lengths, const std::vector<uint32_t>& codes, uint32_t symbol);

    std::vector<uint8_t> frame_;
    std::unique_ptr<lzx_encoder::BitWriter> bits_;
    std::vector<uint8_t> mainPrevious_, lengthPrevious_;
    std::vector<uint8_t> main_, length_, pretree_;
    std::vector<uint32_t> mainCodes_, lengthCodes_, pretreeCodes_;
};

// Slot and footer of an explicit match offset.
uint32_t SlotOfOffset(uint32_t offset);

}  // namespace lzxtest
