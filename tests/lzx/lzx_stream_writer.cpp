// The hand-built LZX frames of lzx_stream_writer.h.
#include "tests/lzx/lzx_stream_writer.h"

#include "tools/lzx_encoder/huffman_lengths.h"

namespace lzxtest {

std::vector<uint8_t> CompleteLengths(uint32_t count, const std::vector<uint32_t>& symbols) {
    // k symbols: 2^d - k of them one bit shorter than the rest, d = ceil(log2 k).
    const uint32_t k = uint32_t(symbols.size());
    uint32_t d = 0;
    while ((1u << d) < k) ++d;
    const uint32_t shorter = (1u << d) - k;
    std::vector<uint8_t> lengths(count, 0);
    for (uint32_t i = 0; i < k; ++i) lengths[symbols[i]] = uint8_t(i < shorter ? d - 1 : d);
    return lengths;
}

StreamWriter::StreamWriter(uint32_t windowBits)
    : mainSymbols(MainSymbols(windowBits)),
      bits_(new lzx_encoder::BitWriter(frame_)),
      mainPrevious_(MaxMainSymbols, 0),
      lengthPrevious_(LengthSymbols, 0),
      pretreeCodes_(cab::lzx::PretreeSymbols) {
    // Twelve pretree symbols of 4 bits and eight of 5: a complete code over all twenty.
    for (uint32_t s = 0; s < cab::lzx::PretreeSymbols; ++s) pretree_.push_back(s < 12 ? 4 : 5);
    lzx_encoder::AssignCodes(pretree_.data(), cab::lzx::PretreeSymbols, pretreeCodes_.data());
}

std::vector<uint8_t> StreamWriter::TakeFrame() {
    bits_->PadToWord();
    std::vector<uint8_t> frame;
    frame.swap(frame_);
    bits_.reset(new lzx_encoder::BitWriter(frame_));
    return frame;
}

void StreamWriter::E8Header(uint32_t translationSize) {
    Bits(translationSize != 0, 1);
    if (translationSize != 0) {
        Bits(translationSize >> 16, 16);
        Bits(translationSize & 0xFFFF, 16);
    }
}

void StreamWriter::BlockHeader(uint32_t type, uint32_t size) {
    Bits(type, BlockTypeBits);
    Bits(size >> 16, 8);
    Bits((size >> 8) & 0xFF, 8);
    Bits(size & 0xFF, 8);
}

void StreamWriter::AlignedTree(const std::vector<uint8_t>& lengths) {
    for (uint8_t length : lengths) Bits(length, AlignedLengthBits);
}

void StreamWriter::PretreeSymbols(const std::vector<uint32_t>& symbols) {
    for (uint8_t length : pretree_) Bits(length, PretreeLengthBits);
    for (uint32_t s : symbols) Code(pretree_, pretreeCodes_, s);
}

void StreamWriter::Tree(uint8_t* previous, const uint8_t* next, uint32_t first, uint32_t end) {
    std::vector<uint32_t> symbols;
    for (uint32_t i = first; i < end; ++i) {
        symbols.push_back((previous[i] + LengthModulus - next[i]) % LengthModulus);
        previous[i] = next[i];
    }
    PretreeSymbols(symbols);
}

void StreamWriter::MainAndLengthTrees(const std::vector<uint8_t>& main, const std::vector<uint8_t>& length) {
    main_ = main;
    length_ = length;
    main_.resize(MaxMainSymbols, 0);
    Tree(mainPrevious_.data(), main_.data(), 0, LiteralCount);
    Tree(mainPrevious_.data(), main_.data(), LiteralCount, mainSymbols);
    Tree(lengthPrevious_.data(), length_.data(), 0, LengthSymbols);
    mainCodes_.assign(MaxMainSymbols, 0);
    lengthCodes_.assign(LengthSymbols, 0);
    lzx_encoder::AssignCodes(main_.data(), MaxMainSymbols, mainCodes_.data());
    lzx_encoder::AssignCodes(length_.data(), LengthSymbols, lengthCodes_.data());
}

void StreamWriter::Uncompressed(const std::vector<uint8_t>& bytes, uint32_t r0, uint32_t r1, uint32_t r2) {
    BlockHeader(BlockUncompressed, uint32_t(bytes.size()));
    bits_->AlignForRawBytes();
    std::vector<uint8_t> registers;
    for (uint32_t r : {r0, r1, r2}) {
        for (int b = 0; b < 4; ++b) registers.push_back(uint8_t(r >> (8 * b)));
    }
    RawBytes(registers);
    RawBytes(bytes);
    if (bytes.size() & 1) RawBytes({0});
}

void StreamWriter::Code(const std::vector<uint8_t>& lengths, const std::vector<uint32_t>& codes, uint32_t symbol) {
    Bits(codes[symbol], lengths[symbol]);
}

void StreamWriter::Literal(uint8_t byte) { Code(main_, mainCodes_, byte); }

void StreamWriter::Match(uint32_t length, uint32_t slot, uint32_t offset) {
    const uint32_t header = length - MinMatch < PrimaryLengths ? length - MinMatch : PrimaryLengths;
    Code(main_, mainCodes_, LiteralCount + slot * LengthHeaders + header);
    if (header == PrimaryLengths) Code(length_, lengthCodes_, length - MinMatch - PrimaryLengths);
    if (slot >= 3) Bits(offset + 2 - PositionBase(slot), FooterBits(slot));
}

uint32_t SlotOfOffset(uint32_t offset) {
    uint32_t slot = 3;
    while (PositionBase(slot + 1) <= offset + 2) ++slot;
    return slot;
}

}  // namespace lzxtest
