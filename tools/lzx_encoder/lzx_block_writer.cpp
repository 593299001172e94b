// The LZX encoder's block writer: builds the frame's trees from its tokens, prices the three
// block types exactly (tree headers included) and writes the cheapest.
#include <algorithm>
#include <cstring>

#include "tools/lzx_encoder/bit_writer.h"
#include "tools/lzx_encoder/encoder_state.h"
#include "tools/lzx_encoder/huffman_lengths.h"

namespace lzx_encoder {
namespace {

// Pretree lengths are sent in 4 bits.
constexpr uint32_t MaxPretreeLength = 15;
constexpr uint32_t MaxAlignedLength = 7;
constexpr uint32_t RegistersSize = 12;
constexpr uint32_t BitsPerByte = 8;
// Runs coded by the pretree's run symbols.
constexpr uint32_t ShortZeroRun = 4, ShortZeroRunMax = 19;
constexpr uint32_t LongZeroRun = 20, LongZeroRunMax = 51;
constexpr uint32_t SameRun = 4, SameRunMax = 5;

struct TreeOp {
    uint8_t symbol;
    uint8_t extraBits;
    uint8_t extra;
    int8_t delta;  // PretreeSame4: the delta symbol that follows; else -1
};

uint8_t Delta(uint8_t previous, uint8_t next) {
    return uint8_t((previous + LengthModulus - next) % LengthModulus);
}

// The lengths of [first, end) sent against their previous values: a pretree, then its symbols.
void WriteLengths(BitWriter& out, const uint8_t* previous, const uint8_t* next, uint32_t first, uint32_t end) {
    std::vector<TreeOp> ops;
    uint32_t freqs[PretreeSymbols] = {};
    for (uint32_t i = first; i < end;) {
        uint32_t run = 1;
        while (i + run < end && next[i + run] == next[i] && run < LongZeroRunMax) ++run;
        if (next[i] == 0 && run >= LongZeroRun) {
            ops.push_back({uint8_t(PretreeZeros20), 5, uint8_t(run - LongZeroRun), -1});
        } else if (next[i] == 0 && run >= ShortZeroRun) {
            run = std::min(run, ShortZeroRunMax);
            ops.push_back({uint8_t(PretreeZeros4), 4, uint8_t(run - ShortZeroRun), -1});
        } else if (next[i] != 0 && run >= SameRun) {
            run = std::min(run, SameRunMax);
            const uint8_t d = Delta(previous[i], next[i]);
            ops.push_back({uint8_t(PretreeSame4), 1, uint8_t(run - SameRun), int8_t(d)});
            ++freqs[d];
        } else {
            run = 1;
            ops.push_back({Delta(previous[i], next[i]), 0, 0, -1});
        }
        ++freqs[ops.back().symbol];
        i += run;
    }
    uint8_t lengths[PretreeSymbols];
    uint32_t codes[PretreeSymbols];
    BuildLengths(freqs, PretreeSymbols, MaxPretreeLength, lengths);
    AssignCodes(lengths, PretreeSymbols, codes);
    for (uint32_t k = 0; k < PretreeSymbols; ++k) out.Put(lengths[k], PretreeLengthBits);
    for (const TreeOp& op : ops) {
        out.Put(codes[op.symbol], lengths[op.symbol]);
        out.Put(op.extra, op.extraBits);
        if (op.delta >= 0) out.Put(codes[op.delta], lengths[op.delta]);
    }
}

void WriteTrees(BitWriter& out, const LzxEncoder& e, const uint8_t* main, const uint8_t* length) {
    WriteLengths(out, e.mainLengths, main, 0, LiteralCount);
    WriteLengths(out, e.mainLengths, main, LiteralCount, e.mainSymbols);
    WriteLengths(out, e.lengthLengths, length, 0, LengthSymbols);
}

void WriteBlockHeader(BitWriter& out, uint32_t type, uint32_t size) {
    out.Put(type, BlockTypeBits);
    out.Put((size >> 16) & 0xFF, 8);
    out.Put((size >> 8) & 0xFF, 8);
    out.Put(size & 0xFF, 8);
}

bool UsesAligned(const Token& t) { return t.footerBits >= AlignedLengthBits; }

}  // namespace

void WriteFrameBlock(LzxEncoder& e, const uint32_t registersBefore[3], bool writeE8Header,
                     std::vector<uint8_t>& out) {
    const uint32_t size = uint32_t(e.frame.size());
    uint32_t mainFreq[MaxMainSymbols] = {}, lengthFreq[LengthSymbols] = {}, alignedFreq[AlignedSymbols] = {};
    for (const Token& t : e.tokens) {
        ++mainFreq[t.mainSymbol];
        if (t.length >= MinMatch + PrimaryLengths) ++lengthFreq[t.length - MinMatch - PrimaryLengths];
        if (UsesAligned(t)) ++alignedFreq[t.footer & (AlignedSymbols - 1)];
    }
    uint8_t main[MaxMainSymbols], length[LengthSymbols], aligned[AlignedSymbols];
    BuildLengths(mainFreq, e.mainSymbols, MaxCodeLength, main);
    BuildLengths(lengthFreq, LengthSymbols, MaxCodeLength, length);
    BuildLengths(alignedFreq, AlignedSymbols, MaxAlignedLength, aligned);

    // Prices in bits. The E8 header and the block header are the same for every type.
    std::vector<uint8_t> scratch;
    BitWriter treeCounter(scratch);
    WriteTrees(treeCounter, e, main, length);
    uint64_t verbatim = treeCounter.BitsWritten(), alignedExtra = AlignedSymbols * AlignedLengthBits;
    for (const Token& t : e.tokens) {
        verbatim += main[t.mainSymbol] + t.footerBits;
        if (t.length >= MinMatch + PrimaryLengths) verbatim += length[t.length - MinMatch - PrimaryLengths];
        if (UsesAligned(t)) alignedExtra += aligned[t.footer & (AlignedSymbols - 1)];
        if (UsesAligned(t)) alignedExtra -= AlignedLengthBits;
    }
    const uint64_t alignedCost = verbatim + alignedExtra;
    const uint64_t uncompressed = 16 + (RegistersSize + size + 1) * BitsPerByte;

    BitWriter bits(out);
    if (writeE8Header) {
        const uint32_t e8Size = e.settings.e8Translation ? E8TranslationSize : 0;
        bits.Put(e8Size != 0, 1);
        if (e8Size != 0) {
            bits.Put(e8Size >> 16, 16);
            bits.Put(e8Size & 0xFFFF, 16);
        }
    }
    if (uncompressed < verbatim && uncompressed < alignedCost) {
        WriteBlockHeader(bits, BlockUncompressed, size);
        bits.AlignForRawBytes();
        std::memcpy(e.r, registersBefore, sizeof e.r);
        uint8_t registers[RegistersSize];
        for (uint32_t i = 0; i < 3; ++i) {
            for (uint32_t b = 0; b < 4; ++b) registers[4 * i + b] = uint8_t(e.r[i] >> (8 * b));
        }
        bits.PutBytes(registers, RegistersSize);
        bits.PutBytes(e.frame.data(), size);
        if (size & 1) {
            const uint8_t pad = 0;
            bits.PutBytes(&pad, 1);
        }
        return;
    }
    const bool useAligned = alignedCost < verbatim;
    WriteBlockHeader(bits, useAligned ? BlockAligned : BlockVerbatim, size);
    if (useAligned) {
        for (uint32_t k = 0; k < AlignedSymbols; ++k) bits.Put(aligned[k], AlignedLengthBits);
    }
    WriteTrees(bits, e, main, length);
    uint32_t mainCodes[MaxMainSymbols], lengthCodes[LengthSymbols], alignedCodes[AlignedSymbols];
    AssignCodes(main, e.mainSymbols, mainCodes);
    AssignCodes(length, LengthSymbols, lengthCodes);
    AssignCodes(aligned, AlignedSymbols, alignedCodes);
    for (const Token& t : e.tokens) {
        bits.Put(mainCodes[t.mainSymbol], main[t.mainSymbol]);
        if (t.length == 0) continue;
        if (t.length >= MinMatch + PrimaryLengths) {
            const uint32_t s = t.length - MinMatch - PrimaryLengths;
            bits.Put(lengthCodes[s], length[s]);
        }
        if (useAligned && UsesAligned(t)) {
            bits.Put(t.footer >> AlignedLengthBits, t.footerBits - AlignedLengthBits);
            const uint32_t a = t.footer & (AlignedSymbols - 1);
            bits.Put(alignedCodes[a], aligned[a]);
        } else {
            bits.Put(t.footer, t.footerBits);
        }
    }
    bits.PadToWord();
    std::memcpy(e.mainLengths, main, e.mainSymbols);
    std::memcpy(e.lengthLengths, length, LengthSymbols);
    UpdateCosts(e.costs, main, e.mainSymbols, length);
}

}  // namespace lzx_encoder
