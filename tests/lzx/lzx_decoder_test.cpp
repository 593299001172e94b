// The LZX codec on hand-built frames: the edge cases of the format that encoder round trips do
// not reliably reach (block changes inside a frame, the uncompressed block's alignment and pad
// byte, the repeated-offset registers, a 257-byte match over the window's end, the E8
// translation's limits), every malformed stream the decoder must refuse, the Codec interface's
// checks, random input, which must fail cleanly and quickly, and the decoding tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "cab/cab_format.h"
#include "cab/codec.h"
#include "cab/lzx_decoder.h"
#include "cab/lzx_e8.h"
#include "tests/lzx/lzx_stream_writer.h"

namespace {

using namespace lzxtest;
using Bytes = std::vector<uint8_t>;

void* Alloc(uint32_t size) { return std::malloc(size); }
void Free(void* p) { std::free(p); }

// One LZX codec handle for a test.
class Codec {
public:
    explicit Codec(uint32_t windowBits) {
        cab::CodecConfig config;
        config.windowBits = windowBits;
        uint32_t blockSize = cab::BlockSize, inputSize = 0;
        EXPECT_EQ(cab::LzxCodec.create(&blockSize, config, Alloc, Free, &inputSize, &handle_), cab::CodecOk);
    }
    ~Codec() {
        if (handle_) cab::LzxCodec.destroy(handle_);
    }
    // Decodes one frame of `size` bytes; the result, with the bytes in `out`.
    cab::CodecResult Frame(const Bytes& input, uint32_t size, Bytes& out) {
        out.assign(cab::BlockSize, 0xCC);
        uint32_t produced = size;
        cab::CodecResult result = cab::LzxCodec.decompress(handle_, input.data(), uint32_t(input.size()),
                                                           out.data(), &produced);
        out.resize(result == cab::CodecOk ? produced : 0);
        if (result == cab::CodecDataError) {
            EXPECT_EQ(produced, 0u);
        }
        return result;
    }
    Bytes Decode(const Bytes& input, uint32_t size) {
        Bytes out;
        EXPECT_EQ(Frame(input, size, out), cab::CodecOk);
        return out;
    }
    void Reset() { EXPECT_EQ(cab::LzxCodec.reset(handle_), cab::CodecOk); }

private:
    void* handle_ = nullptr;
};

Bytes Text(const char* text) { return Bytes(text, text + std::strlen(text)); }

// Main-tree lengths giving a code to the listed literals and match symbols.
std::vector<uint8_t> MainTree(const StreamWriter& w, const std::vector<uint32_t>& symbols) {
    return CompleteLengths(w.mainSymbols, symbols);
}
uint32_t MatchSymbol(uint32_t slot, uint32_t length) {
    const uint32_t header = length - 2 < 7 ? length - 2 : 7;
    return 256 + slot * 8 + header;
}

// ---- Blocks and frames --------------------------------------------------------------------

// An odd uncompressed block (pad byte), then a verbatim block in the same frame, whose bits
// start on the byte after the pad; the length tree is empty (no long matches).
TEST(LzxFrames, OddUncompressedBlockThenVerbatimBlock) {
    StreamWriter w(16);
    w.E8Header(0);
    w.Uncompressed(Text("abc"), 1, 1, 1);
    w.BlockHeader(cab::lzx::BlockVerbatim, 2);
    w.MainAndLengthTrees(MainTree(w, {'d', 'e'}), std::vector<uint8_t>(249, 0));
    w.Literal('d');
    w.Literal('e');
    Codec codec(16);
    EXPECT_EQ(codec.Decode(w.TakeFrame(), 5), Text("abcde"));
}

// An uncompressed block header that ends exactly on a word boundary is followed by a whole
// word of padding before the registers.
TEST(LzxFrames, UncompressedHeaderOnWordBoundarySkipsWholeWord) {
    StreamWriter w(15);
    w.E8Header(0);
    w.BlockHeader(cab::lzx::BlockVerbatim, 0);
    w.MainAndLengthTrees(MainTree(w, {'a', 'b'}), std::vector<uint8_t>(249, 0));
    // A verbatim block of one-bit literals, as long as it takes to put the end of the next
    // block header (27 bits) on a word boundary.
    uint32_t literals = 1;
    while ((w.BitsWritten() + literals + 27) % 16 != 0) ++literals;
    Bytes expected(literals, 'a');
    // The block size is fixed in the header already written, so write a fresh frame with it.
    StreamWriter v(15);
    v.E8Header(0);
    v.BlockHeader(cab::lzx::BlockVerbatim, literals);
    v.MainAndLengthTrees(MainTree(v, {'a', 'b'}), std::vector<uint8_t>(249, 0));
    for (uint32_t i = 0; i < literals; ++i) v.Literal('a');
    ASSERT_EQ((v.BitsWritten() + 27) % 16, 0u);
    v.Uncompressed(Text("XY"), 1, 1, 1);
    expected.push_back('X');
    expected.push_back('Y');
    Codec codec(15);
    EXPECT_EQ(codec.Decode(v.TakeFrame(), uint32_t(expected.size())), expected);
}

// A block longer than a frame carries on into the next decompress call without a header;
// one that ends inside a frame is followed by a new header in the same frame. Trees of the
// second block are sent against the first block's.
TEST(LzxFrames, BlocksAcrossAndInsideFrames) {
    StreamWriter w(15);
    w.E8Header(0);
    w.BlockHeader(cab::lzx::BlockVerbatim, 6);
    w.MainAndLengthTrees(MainTree(w, {'a', 'b', 'c'}), std::vector<uint8_t>(249, 0));
    for (char c : std::string("abca")) w.Literal(uint8_t(c));
    Bytes first = w.TakeFrame();
    for (char c : std::string("bc")) w.Literal(uint8_t(c));
    w.BlockHeader(cab::lzx::BlockVerbatim, 2);
    w.MainAndLengthTrees(MainTree(w, {'x', 'y', 'z', 'c'}), std::vector<uint8_t>(249, 0));
    w.Literal('z');
    w.Literal('y');
    Codec codec(15);
    EXPECT_EQ(codec.Decode(first, 4), Text("abca"));
    EXPECT_EQ(codec.Decode(w.TakeFrame(), 4), Text("bczy"));
}

// Slot 0 uses R0 and leaves the registers; slots 1 and 2 swap R1 or R2 with R0; slot 3 is
// offset 1 and pushes the registers down. The uncompressed block sets R0-R2 first.
TEST(LzxFrames, RepeatedOffsetRegisters) {
    StreamWriter w(17);
    w.E8Header(0);
    w.Uncompressed(Text("0123456789"), 3, 5, 7);
    w.BlockHeader(cab::lzx::BlockVerbatim, 12);
    w.MainAndLengthTrees(MainTree(w, {MatchSymbol(0, 2), MatchSymbol(1, 2), MatchSymbol(2, 2), MatchSymbol(3, 2),
                                      MatchSymbol(4, 2)}),
                         std::vector<uint8_t>(249, 0));
    w.Match(2, 0);  // R0 = 3: "78"       registers 3 5 7
    w.Match(2, 1);  // R1 = 5: "78"       registers 5 3 7
    w.Match(2, 2);  // R2 = 7: "78"       registers 7 3 5
    w.Match(2, 3);  // offset 1: "88"     registers 1 7 3
    w.Match(2, 1);  // R1 = 7: "87"       registers 7 1 3
    w.Match(2, 4, 2);  // offset 2: "87"  registers 2 7 1
    Codec codec(17);
    EXPECT_EQ(codec.Decode(w.TakeFrame(), 22), Text("0123456789787878888787"));
}

// A window filled by one frame, then in the next pass two matches of 257 bytes whose sources
// start near the window's end: the first while the write position is below the mirror size
// (it reads bytes it is writing through the mirror), the second above it.
TEST(LzxFrames, LongestMatchesAcrossTheWindowEnd) {
    const uint32_t window = 1u << 15;
    std::mt19937 random(9);
    Bytes fill(window);
    for (uint8_t& b : fill) b = uint8_t(random());
    StreamWriter w(15);
    w.E8Header(0);
    w.Uncompressed(fill, 1, 1, 1);
    Bytes frame1 = w.TakeFrame();

    const uint32_t firstOffset = 101, secondOffset = 258 + 50;
    const uint32_t s1 = SlotOfOffset(firstOffset), s2 = SlotOfOffset(secondOffset);
    w.BlockHeader(cab::lzx::BlockVerbatim, 1 + 257 + 257);
    std::vector<uint8_t> lengthTree = CompleteLengths(249, {248, 0});
    w.MainAndLengthTrees(MainTree(w, {'q', MatchSymbol(s1, 257), MatchSymbol(s2, 257)}), lengthTree);
    w.Literal('q');
    w.Match(257, s1, firstOffset);
    w.Match(257, s2, secondOffset);

    // What a plain ring buffer gives.
    Bytes ring = fill, expected;
    auto put = [&](uint8_t b) {
        ring[(window + expected.size()) % window] = b;
        expected.push_back(b);
    };
    put('q');
    for (uint32_t i = 0; i < 257; ++i) put(ring[(window + expected.size() - firstOffset) % window]);
    for (uint32_t i = 0; i < 257; ++i) put(ring[(window + expected.size() - secondOffset) % window]);

    Codec codec(15);
    EXPECT_EQ(codec.Decode(frame1, window), fill);
    EXPECT_EQ(codec.Decode(w.TakeFrame(), uint32_t(expected.size())), expected);
}

// Match copies that run in chunks may write past a match's end; the bytes there are the
// window's previous pass until this pass reaches them, and a match with an offset of nearly the
// window size reads them. Each case fills the window, moves past the mirror, then decodes its
// matches; the result must be what a plain ring buffer gives.
TEST(LzxFrames, BytesAheadOfAMatchStayAsTheyWere) {
    const uint32_t window = 1u << 15;
    struct MatchCase {
        const char* name;
        std::vector<std::pair<uint32_t, uint32_t>> matches;  // length, offset
    };
    const MatchCase cases[] = {
        {"16-byte chunks, then the bytes just ahead", {{5, 20}, {10, window - 3}}},
        {"8-byte chunks, then the bytes just ahead", {{3, 9}, {10, window - 3}}},
        {"from the previous pass, then the bytes just ahead", {{20, window - 40}, {30, window - 3}}},
        {"from the previous pass 12 bytes ahead", {{12, window - 12}, {9, window - 3}}},
        {"short repeats, then the bytes just ahead", {{40, 3}, {40, 13}, {20, window - 5}}},
        {"the longest match straight after a short one", {{2, 16}, {257, window - 3}}},
    };
    std::mt19937 random(11);
    Bytes fill(window);
    for (uint8_t& b : fill) b = uint8_t(random());
    for (const MatchCase& c : cases) {
        SCOPED_TRACE(c.name);
        StreamWriter w(15);
        w.E8Header(0);
        w.Uncompressed(fill, 1, 1, 1);
        Bytes frame1 = w.TakeFrame();

        const uint32_t leadOffset = 101;
        std::vector<uint32_t> mainSymbols = {'q', MatchSymbol(SlotOfOffset(leadOffset), 257)};
        std::vector<uint32_t> lengthSymbols = {0, 248};
        uint32_t size = 1 + 257;
        for (const auto& m : c.matches) {
            mainSymbols.push_back(MatchSymbol(SlotOfOffset(m.second), m.first));
            if (m.first >= 9) lengthSymbols.push_back(m.first - 9);
            size += m.first;
        }
        std::sort(mainSymbols.begin(), mainSymbols.end());
        mainSymbols.erase(std::unique(mainSymbols.begin(), mainSymbols.end()), mainSymbols.end());
        std::sort(lengthSymbols.begin(), lengthSymbols.end());
        lengthSymbols.erase(std::unique(lengthSymbols.begin(), lengthSymbols.end()), lengthSymbols.end());
        w.BlockHeader(cab::lzx::BlockVerbatim, size);
        w.MainAndLengthTrees(MainTree(w, mainSymbols), CompleteLengths(249, lengthSymbols));
        w.Literal('q');
        w.Match(257, SlotOfOffset(leadOffset), leadOffset);
        for (const auto& m : c.matches) w.Match(m.first, SlotOfOffset(m.second), m.second);

        Bytes ring = fill, expected;
        auto copy = [&](uint32_t length, uint32_t offset) {
            for (uint32_t i = 0; i < length; ++i) {
                const uint8_t b = ring[(window + expected.size() - offset) % window];
                ring[expected.size() % window] = b;
                expected.push_back(b);
            }
        };
        ring[0] = 'q';
        expected.push_back('q');
        copy(257, leadOffset);
        for (const auto& m : c.matches) copy(m.first, m.second);

        Codec codec(15);
        EXPECT_EQ(codec.Decode(frame1, window), fill);
        EXPECT_EQ(codec.Decode(w.TakeFrame(), size), expected);
    }
}

// ---- E8 translation -------------------------------------------------------------------------

struct E8Case {
    const char* name;
    uint32_t position;  // folder position of the frame
    Bytes frame;
    Bytes expected;
};

Bytes Le(int32_t v) { return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}; }
Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(LzxE8, DecodeCases) {
    const uint32_t size = 1000000;
    const Bytes tail(12, 0);
    const E8Case cases[] = {
        {"operand below the size becomes relative", 100, Join({{0xE8}, Le(5000), tail}), Join({{0xE8}, Le(4900), tail})},
        {"operand at the size is left", 100, Join({{0xE8}, Le(int32_t(size)), tail}),
         Join({{0xE8}, Le(int32_t(size)), tail})},
        {"negative operand within the position", 100, Join({{0xE8}, Le(-100), tail}),
         Join({{0xE8}, Le(int32_t(size) - 100), tail})},
        {"negative operand beyond the position is left", 100, Join({{0xE8}, Le(-101), tail}),
         Join({{0xE8}, Le(-101), tail})},
        {"E8 within the last 10 bytes is left", 0, Join({Bytes(2, 0), {0xE8}, Le(5), Bytes(5, 0)}),
         Join({Bytes(2, 0), {0xE8}, Le(5), Bytes(5, 0)})},
        {"frames of 6 bytes are not walked", 0, Join({{0xE8}, Le(5), {0}}), Join({{0xE8}, Le(5), {0}})},
        {"operand bytes are not walked", 0, Join({{0xE8, 0xE8, 0, 0, 0}, tail}),
         Join({{0xE8}, Le(int32_t(0xE8)), tail})},
    };
    for (const E8Case& c : cases) {
        Bytes frame = c.frame;
        cab::lzx::E8Decode(frame.data(), uint32_t(frame.size()), c.position, size);
        EXPECT_EQ(frame, c.expected) << c.name;
    }
}

// The encoder's translation is undone by the decoder's, whatever the bytes and position.
TEST(LzxE8, EncodeThenDecodeGivesTheInputBack) {
    std::mt19937 random(4);
    for (int round = 0; round < 200; ++round) {
        Bytes frame(7 + random() % 3000);
        for (uint8_t& b : frame) b = random() % 4 == 0 ? 0xE8 : uint8_t(random());
        const uint32_t position = random() % (1u << 30);
        const uint32_t size = 1 + random() % 0x7FFFFFFF;
        Bytes translated = frame;
        cab::lzx::E8Encode(translated.data(), uint32_t(translated.size()), position, size);
        cab::lzx::E8Decode(translated.data(), uint32_t(translated.size()), position, size);
        ASSERT_EQ(translated, frame) << "round " << round;
    }
}

// The header is read once per folder; frames from the 32769th on are not translated. One
// uncompressed block runs through 32769 frames of 16 bytes, each "E8 00000000" and zeros.
TEST(LzxE8, OnlyTheFirst32768FramesAreTranslated) {
    const uint32_t frames = 32769, frameSize = 16;
    Bytes frameBytes(frameSize, 0);
    frameBytes[0] = 0xE8;
    StreamWriter w(20);
    w.E8Header(0x10000000);
    w.BlockHeader(cab::lzx::BlockUncompressed, frames * frameSize);
    w.Bits(0, 16 - (w.BitsWritten() % 16));
    w.RawBytes(Join({Le(1), Le(1), Le(1)}));
    w.RawBytes(frameBytes);
    Codec codec(20);
    Bytes out;
    ASSERT_EQ(codec.Frame(w.TakeFrame(), frameSize, out), cab::CodecOk);
    EXPECT_EQ(out, Join({{0xE8}, Le(0), Bytes(11, 0)}));
    for (uint32_t k = 1; k < frames; ++k) {
        ASSERT_EQ(codec.Frame(frameBytes, frameSize, out), cab::CodecOk) << k;
        const Bytes expected = k < 32768 ? Join({{0xE8}, Le(-int32_t(k * frameSize)), Bytes(11, 0)}) : frameBytes;
        ASSERT_EQ(out, expected) << "frame " << k;
    }
}

TEST(LzxE8, HeaderBitZeroMeansNoTranslation) {
    StreamWriter w(15);
    w.E8Header(0);
    const Bytes data = Join({{0xE8}, Le(5), Bytes(20, 1)});
    w.Uncompressed(data, 1, 1, 1);
    Codec codec(15);
    EXPECT_EQ(codec.Decode(w.TakeFrame(), uint32_t(data.size())), data);
}

// ---- Refused streams ----------------------------------------------------------------------

struct BadFrame {
    const char* name;
    Bytes (*make)();
    uint32_t size;
};

Bytes BlockOfType(uint32_t type) {
    StreamWriter w(15);
    w.E8Header(0);
    w.BlockHeader(type, 4);
    w.Bits(0, 32);
    return w.TakeFrame();
}
Bytes TreeWith(std::vector<uint8_t> main) {
    StreamWriter w(15);
    w.E8Header(0);
    w.BlockHeader(cab::lzx::BlockVerbatim, 4);
    w.MainAndLengthTrees(main, std::vector<uint8_t>(249, 0));
    w.Bits(0, 32);
    return w.TakeFrame();
}
Bytes OverSubscribed() {
    std::vector<uint8_t> main(656, 0);
    main['a'] = main['b'] = main['c'] = 1;
    return TreeWith(main);
}
Bytes Incomplete() {
    std::vector<uint8_t> main(656, 0);
    main['a'] = 1;
    main['b'] = 2;
    return TreeWith(main);
}
Bytes EmptyMainTree() { return TreeWith(std::vector<uint8_t>(656, 0)); }
Bytes SameRunWithRunSymbol() {
    StreamWriter w(15);
    w.E8Header(0);
    w.BlockHeader(cab::lzx::BlockVerbatim, 4);
    w.PretreeSymbols({19});
    w.Bits(0, 1);
    w.PretreeSymbols({});  // not a new pretree: the next 4 bits are read as one symbol
    return w.TakeFrame();
}
Bytes TruncatedTree() {
    Bytes frame = TreeWith(CompleteLengths(656, {'a', 'b'}));
    frame.resize(40);
    return frame;
}
// A literal and a 5-byte match in a verbatim block of blockSize bytes.
Bytes LiteralAndMatchInBlockOf(uint32_t blockSize) {
    StreamWriter w(15);
    w.E8Header(0);
    w.BlockHeader(cab::lzx::BlockVerbatim, blockSize);
    w.MainAndLengthTrees(MainTree(w, {'a', MatchSymbol(3, 5)}), std::vector<uint8_t>(249, 0));
    w.Literal('a');
    w.Match(5, 3, 1);
    return w.TakeFrame();
}
Bytes MatchPastFrameEnd() { return LiteralAndMatchInBlockOf(10); }
Bytes MatchPastBlockEnd() { return LiteralAndMatchInBlockOf(3); }
Bytes InputEndsBeforeSymbols() {
    StreamWriter w(15);
    w.E8Header(0);
    w.BlockHeader(cab::lzx::BlockVerbatim, 30000);
    w.MainAndLengthTrees(MainTree(w, {'a', 'b'}), std::vector<uint8_t>(249, 0));
    for (int i = 0; i < 100; ++i) w.Literal('a');
    return w.TakeFrame();
}
Bytes UncompressedBytesMissing() {
    StreamWriter w(15);
    w.E8Header(0);
    w.Uncompressed(Bytes(100, 'x'), 1, 1, 1);
    Bytes frame = w.TakeFrame();
    frame.resize(frame.size() - 10);
    return frame;
}
Bytes UncompressedHeaderMissing() {
    StreamWriter w(15);
    w.E8Header(0);
    w.BlockHeader(cab::lzx::BlockUncompressed, 100);
    return w.TakeFrame();
}
Bytes AlignedSymbolFromEmptyTree() {
    StreamWriter w(21);
    w.E8Header(0);
    w.BlockHeader(cab::lzx::BlockAligned, 30);
    w.AlignedTree(std::vector<uint8_t>(8, 0));
    w.MainAndLengthTrees(CompleteLengths(656, {'a', MatchSymbol(10, 3)}), std::vector<uint8_t>(249, 0));
    for (int i = 0; i < 20; ++i) w.Literal('a');
    w.Match(3, 10, cab::lzx::PositionBase(10) - 2);  // slot 10 has 4 footer bits: aligned
    w.Bits(0, 32);
    return w.TakeFrame();
}

TEST(LzxRefused, MalformedFrames) {
    const BadFrame cases[] = {
        {"block type 0", [] { return BlockOfType(0); }, 4},
        {"block type 4", [] { return BlockOfType(4); }, 4},
        {"block type 7", [] { return BlockOfType(7); }, 4},
        {"over-subscribed main tree", OverSubscribed, 4},
        {"incomplete main tree", Incomplete, 4},
        {"a symbol from an empty main tree", EmptyMainTree, 4},
        {"pretree run of equal lengths followed by a run symbol", SameRunWithRunSymbol, 4},
        {"input ends inside the trees", TruncatedTree, 4},
        {"match past the frame's end", MatchPastFrameEnd, 4},
        {"match past the block's end", MatchPastBlockEnd, 6},
        {"input ends before the block's symbols", InputEndsBeforeSymbols, 30000},
        {"uncompressed bytes beyond the input", UncompressedBytesMissing, 100},
        {"uncompressed registers beyond the input", UncompressedHeaderMissing, 100},
        {"aligned symbol from an empty aligned tree", AlignedSymbolFromEmptyTree, 30},
    };
    for (const BadFrame& c : cases) {
        Codec codec(c.name == std::string("aligned symbol from an empty aligned tree") ? 21 : 15);
        Bytes out;
        EXPECT_EQ(codec.Frame(c.make(), c.size, out), cab::CodecDataError) << c.name;
    }
}

// A failed frame leaves the decoder refusing until the reader resets it for the next folder.
TEST(LzxRefused, FailureHoldsUntilReset) {
    StreamWriter w(15);
    w.E8Header(0);
    w.Uncompressed(Text("good"), 1, 1, 1);
    const Bytes good = w.TakeFrame();
    Codec codec(15);
    Bytes out;
    EXPECT_EQ(codec.Frame(BlockOfType(0), 4, out), cab::CodecDataError);
    EXPECT_EQ(codec.Frame(good, 4, out), cab::CodecDataError);
    codec.Reset();
    EXPECT_EQ(codec.Decode(good, 4), Text("good"));
}

// Frames after a short one could run past the window's end: refused, nothing written beyond
// it (the sanitizer build would see a write past the window).
TEST(LzxRefused, FrameRunningPastTheWindowEnd) {
    StreamWriter w(15);
    w.E8Header(0);
    w.BlockHeader(cab::lzx::BlockUncompressed, 100 + 32768);
    w.Bits(0, 16 - (w.BitsWritten() % 16));
    w.RawBytes(Join({Le(1), Le(1), Le(1)}));
    w.RawBytes(Bytes(100, 'a'));
    Codec codec(15);
    Bytes out;
    ASSERT_EQ(codec.Frame(w.TakeFrame(), 100, out), cab::CodecOk);
    EXPECT_EQ(codec.Frame(Bytes(32768, 'b'), 32768, out), cab::CodecDataError);
}

// Random input must end in an error or a frame, never a crash, and with bounded work: every
// symbol consumes input, so a frame of noise ends when its input does.
TEST(LzxRefused, RandomInputEndsCleanly) {
    std::mt19937 random(12);
    for (int round = 0; round < 3000; ++round) {
        Codec codec(15 + round % 7);
        Bytes input(random() % 2000);
        for (uint8_t& b : input) b = uint8_t(random());
        // Mostly valid-looking starts: no E8 header and a verbatim or aligned block.
        if (input.size() > 2 && round % 2) input[1] = uint8_t((input[1] & 0x0F) | 0x10 | (round % 4 == 1 ? 0x20 : 0));
        Bytes out;
        cab::CodecResult result = codec.Frame(input, 1 + random() % 32768, out);
        EXPECT_TRUE(result == cab::CodecOk || result == cab::CodecDataError);
    }
}

// ---- The Codec interface ------------------------------------------------------------------

TEST(LzxCodecInterface, WindowsAndSizes) {
    for (uint32_t bits : {0u, 14u, 22u, 31u}) {
        cab::CodecConfig config;
        config.windowBits = bits;
        uint32_t blockSize = cab::BlockSize, inputSize = 0;
        EXPECT_EQ(cab::LzxCodec.create(&blockSize, config, Alloc, Free, &inputSize, nullptr),
                  cab::CodecBadConfiguration) << bits;
    }
    for (uint32_t bits = 15; bits <= 21; ++bits) {
        cab::CodecConfig config;
        config.windowBits = bits;
        uint32_t blockSize = cab::BlockSize, inputSize = 0;
        EXPECT_EQ(cab::LzxCodec.create(&blockSize, config, Alloc, Free, &inputSize, nullptr), cab::CodecOk);
        EXPECT_EQ(inputSize, cab::BlockSize + 6144);
        EXPECT_EQ(blockSize, cab::BlockSize);
    }
    Codec codec(15);
    Bytes out;
    EXPECT_EQ(codec.Frame(Bytes(10, 0), cab::BlockSize + 1, out), cab::CodecBadParameters);
    uint32_t size = 10;
    uint8_t buffer[16] = {};
    int notAHandle[8] = {};
    EXPECT_EQ(cab::LzxCodec.decompress(notAHandle, buffer, 4, buffer, &size), cab::CodecBadHandle);
    EXPECT_EQ(cab::LzxCodec.reset(notAHandle), cab::CodecBadHandle);
    EXPECT_EQ(cab::LzxCodec.destroy(notAHandle), cab::CodecBadHandle);
}

int allocationsLeft = -1;
void* CountedAlloc(uint32_t size) {
    if (allocationsLeft == 0) return nullptr;
    if (allocationsLeft > 0) --allocationsLeft;
    return std::malloc(size);
}

// Each of the three allocations failing gives CodecNoMemory and leaves nothing allocated (the
// sanitizer build checks for leaks).
TEST(LzxCodecInterface, AllocationFailures) {
    for (int failing = 0; failing < 3; ++failing) {
        cab::CodecConfig config;
        config.windowBits = 16;
        uint32_t blockSize = cab::BlockSize, inputSize = 0;
        void* handle = nullptr;
        allocationsLeft = failing;
        EXPECT_EQ(cab::LzxCodec.create(&blockSize, config, CountedAlloc, Free, &inputSize, &handle),
                  cab::CodecNoMemory) << failing;
        allocationsLeft = -1;
    }
}

}  // namespace

namespace {

// Decoding tables: every symbol of complete codes that run past the root (sub-tables of
// several widths, up to 16-bit codes) decodes from its canonical code and consumes exactly
// its length; incomplete and over-subscribed lengths are refused, all zeros is the empty table.
TEST(LzxTables, CanonicalCodesThroughRootAndSubTables) {
    struct Case {
        const char* name;
        std::vector<uint8_t> lengths;
        uint32_t rootBits;
        bool accepted;
    };
    std::vector<uint8_t> ladder;  // lengths 1 to 15, then two of 16: one prefix per width
    for (uint8_t len = 1; len <= 15; ++len) ladder.push_back(len);
    ladder.push_back(16);
    ladder.push_back(16);
    std::vector<uint8_t> wide(255, 8);  // 255 of 8 bits, 256 of 16 bits behind the last slots
    wide.insert(wide.end(), 256, 16);
    std::vector<uint8_t> shuffled = wide;  // the same lengths, interleaved by symbol
    std::mt19937 random(7);
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    std::vector<uint8_t> incomplete = ladder;
    incomplete.back() = 0;
    std::vector<uint8_t> oversubscribed = ladder;
    oversubscribed.push_back(16);
    const Case cases[] = {
        {"ladder root 10", ladder, 10, true},
        {"ladder root 8", ladder, 8, true},
        {"ladder root 6", ladder, 6, true},
        {"wide root 10", wide, 10, true},
        {"shuffled root 10", shuffled, 10, true},
        {"shuffled root 12", shuffled, 12, true},
        {"incomplete", incomplete, 10, false},
        {"over-subscribed", oversubscribed, 10, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const uint32_t count = uint32_t(c.lengths.size());
        std::vector<uint32_t> table(cab::lzx::TableSize(count, c.rootBits), 0xDEADBEEF);
        bool empty = true;
        ASSERT_EQ(cab::lzx::BuildTable(c.lengths.data(), count, 16, c.rootBits, table.data(), &empty),
                  c.accepted);
        if (!c.accepted) continue;
        EXPECT_FALSE(empty);
        // Canonical codes: by length, then by symbol.
        uint32_t code = 0;
        for (uint32_t len = 1; len <= 16; ++len, code <<= 1) {
            for (uint32_t s = 0; s < count; ++s) {
                if (c.lengths[s] != len) continue;
                cab::lzx::BitReader reader;
                reader.bits = (uint64_t(code) << (64 - len)) | (0x5A5A5A5Aull >> len);
                reader.count = 64;
                ASSERT_EQ(cab::lzx::DecodeSymbol(reader, table.data(), c.rootBits), s) << "length " << len;
                ASSERT_EQ(reader.count, int(64 - len));
                ++code;
            }
        }
    }
    const std::vector<uint8_t> zeros(20, 0);
    std::vector<uint32_t> table(cab::lzx::TableSize(20, 8));
    bool empty = false;
    EXPECT_TRUE(cab::lzx::BuildTable(zeros.data(), 20, 16, 8, table.data(), &empty));
    EXPECT_TRUE(empty);
    const std::vector<uint8_t> tooLong(20, 17);
    EXPECT_FALSE(cab::lzx::BuildTable(tooLong.data(), 20, 16, 8, table.data(), &empty));
}

}  // namespace
