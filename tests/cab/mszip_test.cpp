// The MSZIP codec on hand-made deflate data: the history shared between CFDATA blocks (matches
// reaching into the previous block, up to distance 32768, wrapping at the buffer's end), the
// output limit of 32768 bytes, BFINAL handling, stored blocks, fixed and dynamic codes at their
// limits, and every kind of invalid data. Each block is written symbol by symbol with the bit
// writer of cab_writer.h; expected output comes from replaying the same symbols over the
// previous block's bytes, the way a deflate decoder given that history would.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "cab/codec.h"
#include "tests/cab/cab_writer.h"
#include "tests/cab/memory_client.h"

namespace cabtest {
namespace {

constexpr uint32_t Window = 32768;

// ---- Writing and replaying symbols ----------------------------------------------------------

struct Symbol {
    uint32_t literalOrLength;  // < 256 literal, else a match length 3-258
    uint32_t distance;         // 0 for literals
};

Symbol Lit(uint8_t b) { return {b, 0}; }
Symbol Match(uint32_t length, uint32_t distance) { return {length, distance}; }

const uint16_t LengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const uint8_t LengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const uint16_t DistanceBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                   33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                   1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const uint8_t DistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

int LengthCode(uint32_t length) {
    for (int c = 28; c >= 0; --c) {
        if (length >= LengthBase[c]) return c;
    }
    return 0;
}
int DistanceCode(uint32_t distance) {
    for (int c = 29; c >= 0; --c) {
        if (distance >= DistanceBase[c]) return c;
    }
    return 0;
}

// Fixed-Huffman symbols, without BFINAL, BTYPE or the end-of-block code.
void WriteFixed(BitWriter& w, const std::vector<Symbol>& symbols) {
    for (const Symbol& s : symbols) {
        if (s.distance == 0) {
            FixedLiteral(w, s.literalOrLength);
            continue;
        }
        const int lc = LengthCode(s.literalOrLength);
        FixedLiteral(w, 257 + lc);
        w.Bits(s.literalOrLength - LengthBase[lc], LengthExtra[lc]);
        const int dc = DistanceCode(s.distance);
        FixedDistance(w, dc);
        w.Bits(s.distance - DistanceBase[dc], DistanceExtra[dc]);
    }
}

Bytes FixedBlock(const std::vector<Symbol>& symbols, bool final = true) {
    BitWriter w;
    w.Bits(final ? 1 : 0, 1);  // BFINAL
    w.Bits(1, 2);              // BTYPE fixed
    WriteFixed(w, symbols);
    FixedLiteral(w, 256);      // end of block
    return w.MszipBlock();
}

Bytes StoredBlock(const Bytes& data, bool final = true) {
    BitWriter w;
    w.Bits(final ? 1 : 0, 1);  // BFINAL
    w.Bits(0, 2);              // BTYPE stored
    w.AlignToByte();
    w.Bits(static_cast<uint32_t>(data.size()), 16);            // LEN
    w.Bits(~static_cast<uint32_t>(data.size()) & 0xFFFF, 16);  // NLEN
    for (uint8_t b : data) w.Bits(b, 8);
    return w.MszipBlock();
}

// The symbols' output when the previous block left `history` (32768 bytes) behind.
Bytes Replay(const Bytes& history, const std::vector<Symbol>& symbols, size_t limit = Window) {
    Bytes all = history;
    for (const Symbol& s : symbols) {
        if (s.distance == 0) {
            all.push_back(static_cast<uint8_t>(s.literalOrLength));
        } else {
            for (uint32_t i = 0; i < s.literalOrLength; ++i) all.push_back(all[all.size() - s.distance]);
        }
    }
    Bytes out(all.begin() + static_cast<long>(history.size()), all.end());
    if (out.size() > limit) out.resize(limit);
    return out;
}

// ---- Running the codec ----------------------------------------------------------------------

void* Alloc(uint32_t size) { return std::malloc(size); }
void Free(void* p) { std::free(p); }

// One codec over one window, as the reader drives it.
class MszipRun {
public:
    MszipRun() : window_(Window, 0) {
        uint32_t blockSize = Window, inputSize = 0;
        EXPECT_EQ(cab::MszipCodec.create(&blockSize, cab::CodecConfig(), Alloc, Free, &inputSize, &handle_),
                  cab::CodecOk);
        EXPECT_EQ(inputSize, Window + 12);
    }
    ~MszipRun() { cab::MszipCodec.destroy(handle_); }

    cab::CodecResult Decode(const Bytes& block, Bytes* out = nullptr) {
        uint32_t size = Window;
        const cab::CodecResult r = cab::MszipCodec.decompress(
            handle_, block.data(), static_cast<uint32_t>(block.size()), window_.data(), &size);
        if (out != nullptr) out->assign(window_.begin(), window_.begin() + (r == cab::CodecOk ? size : 0));
        return r;
    }
    const Bytes& window() const { return window_; }
    void* handle() { return handle_; }

private:
    Bytes window_;
    void* handle_ = nullptr;
};

Bytes Noise(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes b(size);
    for (uint8_t& x : b) x = static_cast<uint8_t>(random());
    return b;
}

// ---- History between blocks -----------------------------------------------------------------

TEST(MszipHistory, MatchesReachIntoThePreviousBlockAndWrapAtItsEnd) {
    MszipRun run;
    const Bytes first = Noise(Window, 1);
    Bytes out;
    ASSERT_EQ(run.Decode(StoredBlock(first), &out), cab::CodecOk);
    ASSERT_EQ(out, first);

    const std::vector<Symbol> symbols = {
        Match(3, 32768),          // at the first byte: the previous block's first bytes
        Match(258, 100),          // from near the previous block's end, wrapping to this block
        Lit('q'),
        Match(40, 32000),
        Match(10, 1),             // overlapping: repeats the last byte
        Match(258, 300),          // within this block
        Match(17, 32768),
    };
    ASSERT_EQ(run.Decode(FixedBlock(symbols), &out), cab::CodecOk);
    EXPECT_EQ(out, Replay(first, symbols));
}

TEST(MszipHistory, FullBlocksWithoutBfinalDecodeAndShortOnesFail) {
    // 1 + 127 * 258 + 1 = 32768 bytes, BFINAL 0: output full, decoding stops there.
    std::vector<Symbol> symbols = {Lit('a')};
    for (int i = 0; i < 127; ++i) symbols.push_back(Match(258, 1));
    symbols.push_back(Lit('b'));
    MszipRun run;
    Bytes out;
    ASSERT_EQ(run.Decode(FixedBlock(symbols, false), &out), cab::CodecOk);
    EXPECT_EQ(out.size(), Window);

    // 100 bytes without BFINAL: the zero bits after the data read as a stored block whose LEN
    // and NLEN disagree.
    EXPECT_EQ(run.Decode(FixedBlock({Lit('a'), Match(99, 1)}, false)), cab::CodecDataError);
}

TEST(MszipHistory, OutputIsCutAt32768AndTheRestIsNeverRead) {
    std::vector<Symbol> symbols = {Lit('z')};
    for (int i = 0; i < 200; ++i) symbols.push_back(Match(258, 1));
    Bytes block = FixedBlock(symbols);
    // Bytes after the cut that would be invalid if they were read.
    block.resize(block.size() - 2);
    block.insert(block.end(), {0xFF, 0xFF, 0xFF, 0xFF});
    MszipRun run;
    Bytes out;
    ASSERT_EQ(run.Decode(block, &out), cab::CodecOk);
    EXPECT_EQ(out, Bytes(Window, 'z'));
}

// ---- Block types and codes at their limits --------------------------------------------------

// Dynamic block with the given code lengths and symbols; symbols are literal/length symbol
// numbers with (extra bits, count) for lengths, then the distance symbol and its extra bits.
struct DynamicSymbol {
    uint32_t litLen;
    uint32_t lengthExtra = 0;
    int lengthExtraBits = 0;
    int32_t distance = -1;  // distance symbol, -1 for none
    uint32_t distanceExtra = 0;
    int distanceExtraBits = 0;
};

Bytes DynamicBlock(const std::vector<uint8_t>& litLenLengths, const std::vector<uint8_t>& distanceLengths,
                   const std::vector<DynamicSymbol>& symbols) {
    BitWriter w;
    w.Bits(1, 1);  // BFINAL
    w.Bits(2, 2);  // BTYPE dynamic
    DynamicHeader(w, litLenLengths, distanceLengths);
    const std::vector<uint32_t> litCodes = CanonicalCodes(litLenLengths);
    const std::vector<uint32_t> distCodes = CanonicalCodes(distanceLengths);
    for (const DynamicSymbol& s : symbols) {
        w.Code(litCodes[s.litLen], litLenLengths[s.litLen]);
        w.Bits(s.lengthExtra, s.lengthExtraBits);
        if (s.distance >= 0) {
            w.Code(distCodes[s.distance], distanceLengths[s.distance]);
            w.Bits(s.distanceExtra, s.distanceExtraBits);
        }
    }
    return w.MszipBlock();
}

// Literal/length lengths: 'a', 'b', end of block and length symbols 257 and 285, each 3 bits
// except two of 2 bits, so the code is complete: 2+2+3+3+3+3... built below.
std::vector<uint8_t> SmallLitLen() {
    std::vector<uint8_t> lengths(286, 0);
    lengths['a'] = 2;
    lengths['b'] = 2;
    lengths[256] = 2;
    lengths[257] = 3;
    lengths[285] = 3;
    return lengths;
}

TEST(MszipCodes, DynamicBlockEdgeCases) {
    struct Case {
        const char* what;
        std::vector<uint8_t> distanceLengths;
        std::vector<DynamicSymbol> symbols;
        bool ok;
        Bytes expected;
    };
    const Case cases[] = {
        {"single one-bit distance code", {1}, {{'a'}, {285, 0, 0, 0}, {256}}, true, Bytes(259, 'a')},
        {"length 285 is 258 bytes", {1, 1}, {{'b'}, {285, 0, 0, 0}, {256}}, true, Bytes(259, 'b')},
        {"two 2-bit distance codes only: incomplete", {2, 2}, {{'a'}, {256}}, false, {}},
        {"no distance codes, no match", {0}, {{'a'}, {'b'}, {256}}, true, {'a', 'b'}},
        {"no distance codes and a match", {0}, {{'a'}, {257, 0, 0, 0}, {256}}, false, {}},
    };
    for (const Case& c : cases) {
        MszipRun run;
        Bytes out;
        const cab::CodecResult r = run.Decode(DynamicBlock(SmallLitLen(), c.distanceLengths, c.symbols), &out);
        EXPECT_EQ(r == cab::CodecOk, c.ok) << c.what;
        if (c.ok) {
            EXPECT_EQ(out, c.expected) << c.what;
        }
    }
}

TEST(MszipCodes, InvalidDataIsADataError) {
    auto header = [](uint32_t bfinalAndType, int bits) {
        BitWriter w;
        w.Bits(bfinalAndType, bits);
        return w;
    };
    std::vector<std::pair<const char*, Bytes>> cases;
    {
        BitWriter w = header(1 | (1 << 1), 3);
        FixedLiteral(w, 286);
        cases.push_back({"fixed length symbol 286", w.MszipBlock()});
    }
    {
        BitWriter w = header(1 | (1 << 1), 3);
        FixedLiteral(w, 287);
        cases.push_back({"fixed length symbol 287", w.MszipBlock()});
    }
    for (uint32_t d : {30u, 31u}) {
        BitWriter w = header(1 | (1 << 1), 3);
        FixedLiteral(w, 'x');
        FixedLiteral(w, 257);
        FixedDistance(w, d);
        cases.push_back({d == 30 ? "fixed distance 30" : "fixed distance 31", w.MszipBlock()});
    }
    cases.push_back({"BTYPE 3", header(1 | (3 << 1), 3).MszipBlock()});
    {
        BitWriter w = header(1, 3);
        w.AlignToByte();
        w.Bits(5, 16);
        w.Bits(5, 16);  // NLEN not the complement
        cases.push_back({"stored LEN/NLEN mismatch", w.MszipBlock()});
    }
    {
        BitWriter w = header(1, 3);
        w.AlignToByte();
        w.Bits(100, 16);
        w.Bits(~100u & 0xFFFF, 16);
        w.Bits('x', 8);  // 1 of 100 bytes
        cases.push_back({"stored LEN past the input", w.MszipBlock()});
    }
    {
        BitWriter w = header(1 | (2 << 1), 3);
        w.Bits(30, 5);  // HLIT: 287 codes
        w.Bits(0, 5);
        w.Bits(0, 4);
        cases.push_back({"HLIT above 286", w.MszipBlock()});
    }
    {
        BitWriter w = header(1 | (2 << 1), 3);
        w.Bits(0, 5);
        w.Bits(30, 5);  // HDIST: 31 codes
        w.Bits(0, 4);
        cases.push_back({"HDIST above 30", w.MszipBlock()});
    }
    {
        std::vector<uint8_t> lengths = SmallLitLen();
        lengths['c'] = 1;  // over-subscribed
        BitWriter w = header(1 | (2 << 1), 3);
        DynamicHeader(w, lengths, {1});
        cases.push_back({"over-subscribed literal/length code", w.MszipBlock()});
    }
    {
        std::vector<uint8_t> lengths = SmallLitLen();
        lengths[285] = 0;  // incomplete
        BitWriter w = header(1 | (2 << 1), 3);
        DynamicHeader(w, lengths, {1});
        cases.push_back({"incomplete literal/length code", w.MszipBlock()});
    }
    {
        // 257 + 1 lengths, then a repeat of 11+ zeros at the last position.
        BitWriter w = header(1 | (2 << 1), 3);
        DynamicHeaderStart(w, 257, 1);
        const std::vector<uint8_t> cl = HeaderCodeLengthLengths();
        const std::vector<uint32_t> codes = CanonicalCodes(cl);
        for (int i = 0; i < 250; ++i) w.Code(codes[1], cl[1]);
        w.Code(codes[18], cl[18]);
        w.Bits(0, 7);  // 11 zeros where 8 are left
        cases.push_back({"repeat past the code lengths", w.MszipBlock()});
    }
    cases.push_back({"empty input", {}});
    cases.push_back({"one byte", {'C'}});
    cases.push_back({"no CK", {'C', 'J', 0x03, 0x00}});

    for (const auto& c : cases) {
        MszipRun run;
        EXPECT_EQ(run.Decode(c.second), cab::CodecDataError) << c.first;
    }
}

TEST(MszipCodes, RepeatAtTheStartRepeatsZeros) {
    // Symbol 16 first: it repeats the length 0. The lengths of 'a' and 256 follow.
    BitWriter w;
    w.Bits(1, 1);  // BFINAL
    w.Bits(2, 2);  // BTYPE dynamic
    DynamicHeaderStart(w, 257, 1);
    const std::vector<uint8_t> cl = HeaderCodeLengthLengths();
    const std::vector<uint32_t> codes = CanonicalCodes(cl);
    w.Code(codes[16], cl[16]);
    w.Bits(3, 2);                                   // 6 zeros: symbols 0-5
    for (int s = 6; s < 'a'; ++s) w.Code(codes[0], cl[0]);
    w.Code(codes[1], cl[1]);                        // 'a': 1 bit
    for (int s = 'a' + 1; s < 256; ++s) w.Code(codes[0], cl[0]);
    w.Code(codes[1], cl[1]);                        // 256: 1 bit
    w.Code(codes[0], cl[0]);                        // the one distance length: 0
    w.Code(0, 1);                                   // 'a'
    w.Code(1, 1);                                   // end of block
    MszipRun run;
    Bytes out;
    ASSERT_EQ(run.Decode(w.MszipBlock(), &out), cab::CodecOk);
    EXPECT_EQ(out, Bytes{'a'});
}

TEST(MszipCodes, EmptyStoredBlockIsValid) {
    Bytes block = StoredBlock({}, false);
    const Bytes rest = FixedBlock({Lit('x')});
    block.insert(block.end(), rest.begin() + 2, rest.end());
    MszipRun run;
    Bytes out;
    ASSERT_EQ(run.Decode(block, &out), cab::CodecOk);
    EXPECT_EQ(out, Bytes{'x'});
}

TEST(MszipCodec, HandleAndSizeChecks) {
    MszipRun run;
    Bytes window(Window);
    uint32_t size = Window;
    int notAHandle = 0;
    EXPECT_EQ(cab::MszipCodec.decompress(&notAHandle, window.data(), 4, window.data(), &size), cab::CodecBadHandle);
    EXPECT_EQ(cab::MszipCodec.reset(&notAHandle), cab::CodecBadHandle);
    Bytes tooLong(Window + 13, 0);
    tooLong[0] = 'C', tooLong[1] = 'K';
    EXPECT_EQ(cab::MszipCodec.decompress(run.handle(), tooLong.data(), static_cast<uint32_t>(tooLong.size()),
                                         window.data(), &size),
              cab::CodecBadParameters);
    EXPECT_EQ(cab::MszipCodec.reset(run.handle()), cab::CodecOk);
}

// ---- Through the reader: the history at a folder's start -------------------------------------

TEST(MszipFolders, MatchBeforeTheFoldersFirstByteReadsZeros) {
    // Folder 0 fills the window with 'F'; folder 1 starts with a match reaching back 10 bytes.
    // The bytes copied must be zeros, not folder 0's.
    ResetDisk();
    ResetSession();
    CabinetSpec layout;
    FolderSpec f0, f1;
    f0.typeCompress = f1.typeCompress = 1;
    std::vector<Symbol> fill = {Lit('F')};
    for (int i = 0; i < 127; ++i) fill.push_back(Match(258, 1));
    fill.push_back(Lit('F'));
    f0.blocks.push_back(Block(FixedBlock(fill), Window));
    f1.blocks.push_back(Block(FixedBlock({Match(5, 10), Lit('!')}), 6));
    layout.folders = {f0, f1};
    layout.files = {File("zero", Window, 0, 0), File("one", 6, 0, 1)};
    PutFile("t.cab", BuildCabinet(layout));
    const CopyResult r = CopyOne("t.cab");
    ASSERT_EQ(r.result, 1) << cab::ErrorName(r.error.code);
    ASSERT_EQ(r.session.entries.size(), 2u);
    EXPECT_EQ(r.session.entries[1].data, (Bytes{0, 0, 0, 0, 0, '!'}));
}

// Damaged deflate data must end in a clean result: decoded bytes or DecompressFailed, never a
// read or write outside a buffer (which the sanitizer build of this test would report).
TEST(MszipFolders, DamagedDeflateDataEndsCleanly) {
    std::vector<uint8_t> litLen = SmallLitLen();
    std::vector<Symbol> text;
    for (int i = 0; i < 300; ++i) text.push_back(i % 5 ? Lit(static_cast<uint8_t>('a' + i % 7)) : Match(3 + i % 250, 1 + i % 600));
    const std::vector<Bytes> blocks = {
        FixedBlock(text),
        DynamicBlock(litLen, {1, 1}, {{'a'}, {285, 0, 0, 0}, {'b'}, {257, 0, 0, 1}, {256}}),
        StoredBlock(Noise(500, 3)),
    };
    // Each block's true size, so that an undamaged block passes and damage is what fails.
    std::vector<uint32_t> sizes;
    for (const Bytes& block : blocks) {
        MszipRun run;
        Bytes out;
        ASSERT_EQ(run.Decode(block, &out), cab::CodecOk);
        sizes.push_back(static_cast<uint32_t>(out.size()));
    }
    std::mt19937 random(1234);
    for (int round = 0; round < 3000; ++round) {
        const size_t which = round % blocks.size();
        Bytes block = blocks[which];
        const int flips = 1 + round % 4;
        for (int f = 0; f < flips; ++f) block[2 + random() % (block.size() - 2)] ^= static_cast<uint8_t>(1u << (random() % 8));
        if (round % 7 == 0) block.resize(2 + random() % (block.size() - 2));
        ResetDisk();
        ResetSession();
        CabinetSpec layout;
        FolderSpec folder;
        folder.typeCompress = 1;
        folder.blocks.push_back(Block(block, sizes[which]));
        folder.blocks.push_back(Block(blocks[which], sizes[which]));
        layout.folders.push_back(folder);
        layout.files = {File("a", 2 * sizes[which], 0)};
        PutFile("t.cab", BuildCabinet(layout));
        const CopyResult r = CopyOne("t.cab");
        if (r.result == 0) {
            EXPECT_EQ(r.error.code, cab::DecompressFailed) << round;
        }
        EXPECT_EQ(r.session.openHandles, 0) << round;
    }
}

}  // namespace
}  // namespace cabtest
