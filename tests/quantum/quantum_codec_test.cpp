// The Quantum codec through its Codec interface: which configurations create accepts, clean
// failures when memory runs out or a handle is foreign, and hand-built frames for the decoding
// rules that ordinary streams rarely reach: the longest matches, matches reaching before the
// decoded data (into what the window held before a reset), a match running past the frame, a
// frame whose data ends one bit early, and arbitrary bytes, which must end in CodecOk or
// CodecDataError and nothing worse.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cab/cab_format.h"
#include "cab/codec.h"
#include "tests/quantum/frame_builder.h"

namespace {

using cab::QuantumCodec;
using quantumtest::FrameBuilder;

// Allocation for the codec, counting what is outstanding; the n-th allocation from a call of
// FailAllocation(n) fails.
int outstanding = 0;
int failAt = -1;
void* Alloc(uint32_t size) {
    if (failAt == 0) {
        failAt = -1;
        return nullptr;
    }
    if (failAt > 0) --failAt;
    ++outstanding;
    return std::malloc(size);
}
void Free(void* p) {
    if (p != nullptr) --outstanding;
    std::free(p);
}
void FailAllocation(int n) { failAt = n; }

// A handle for a window of 2^bits bytes, destroyed at the end of the test.
class Handle {
public:
    explicit Handle(uint32_t bits) {
        uint32_t blockSize = cab::BlockSize;
        uint32_t inputSize = 0;
        cab::CodecConfig config;
        config.windowBits = bits;
        EXPECT_EQ(QuantumCodec.create(&blockSize, config, Alloc, Free, &inputSize, &handle_), cab::CodecOk);
    }
    ~Handle() {
        if (handle_ != nullptr) {
            EXPECT_EQ(QuantumCodec.destroy(handle_), cab::CodecOk);
        }
    }
    void* get() const { return handle_; }

    // Decodes one frame of `wanted` bytes; the bytes produced are left in output.
    cab::CodecResult Decode(const std::vector<uint8_t>& frame, uint32_t wanted) {
        output.assign(wanted, 0xEE);
        uint32_t size = wanted;
        const cab::CodecResult result =
            QuantumCodec.decompress(handle_, frame.data(), static_cast<uint32_t>(frame.size()), output.data(), &size);
        EXPECT_EQ(size, wanted) << "the output size is left as it came in";
        return result;
    }

    std::vector<uint8_t> output;

private:
    void* handle_ = nullptr;
};

std::string Text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(QuantumCreate, AcceptsWindowBits10To21) {
    struct Case {
        uint32_t bits;
        cab::CodecResult result;
    } cases[] = {{0, cab::CodecBadConfiguration},  {9, cab::CodecBadConfiguration}, {10, cab::CodecOk},
                 {15, cab::CodecOk},                {21, cab::CodecOk},               {22, cab::CodecBadConfiguration},
                 {31, cab::CodecBadConfiguration}};
    for (const Case& c : cases) {
        cab::CodecConfig config;
        config.windowBits = c.bits;
        uint32_t blockSize = cab::BlockSize;
        uint32_t inputSize = 0;
        EXPECT_EQ(QuantumCodec.create(&blockSize, config, Alloc, Free, &inputSize, nullptr), c.result) << c.bits;
        void* handle = nullptr;
        EXPECT_EQ(QuantumCodec.create(&blockSize, config, Alloc, Free, &inputSize, &handle), c.result) << c.bits;
        if (handle != nullptr) {
            EXPECT_EQ(QuantumCodec.destroy(handle), cab::CodecOk);
        }
    }
    EXPECT_EQ(outstanding, 0);
}

TEST(QuantumCreate, BufferSizes) {
    struct Case {
        uint32_t blockSizeIn, blockSizeOut, inputSize;
    } cases[] = {{32768, 32768, 43008}, {0, 32768, 43008}, {40000, 32768, 43008}, {1000, 1000, 11240}};
    cab::CodecConfig config;
    config.windowBits = 21;
    for (const Case& c : cases) {
        uint32_t blockSize = c.blockSizeIn;
        uint32_t inputSize = 0;
        ASSERT_EQ(QuantumCodec.create(&blockSize, config, Alloc, Free, &inputSize, nullptr), cab::CodecOk);
        EXPECT_EQ(blockSize, c.blockSizeOut) << c.blockSizeIn;
        EXPECT_EQ(inputSize, c.inputSize) << c.blockSizeIn;
    }
}

TEST(QuantumCreate, OutOfMemoryLeavesNothingAllocated) {
    cab::CodecConfig config;
    config.windowBits = 16;
    for (int n : {0, 1}) {  // the handle, then the window
        FailAllocation(n);
        uint32_t blockSize = cab::BlockSize;
        uint32_t inputSize = 0;
        void* handle = nullptr;
        EXPECT_EQ(QuantumCodec.create(&blockSize, config, Alloc, Free, &inputSize, &handle), cab::CodecNoMemory) << n;
        EXPECT_EQ(handle, nullptr);
        EXPECT_EQ(outstanding, 0) << n;
    }
    FailAllocation(-1);
}

TEST(QuantumHandle, RefusesForeignHandlesAndOversizedRequests) {
    uint32_t blockSize = cab::BlockSize;
    uint32_t inputSize = 0;
    void* mszip = nullptr;
    ASSERT_EQ(cab::MszipCodec.create(&blockSize, cab::CodecConfig(), Alloc, Free, &inputSize, &mszip), cab::CodecOk);
    uint8_t in[4] = {0, 0, 0, 0};
    uint8_t out[16];
    for (void* foreign : {static_cast<void*>(nullptr), mszip}) {
        uint32_t size = sizeof out;
        EXPECT_EQ(QuantumCodec.decompress(foreign, in, sizeof in, out, &size), cab::CodecBadHandle);
        EXPECT_EQ(QuantumCodec.reset(foreign), cab::CodecBadHandle);
        EXPECT_EQ(QuantumCodec.destroy(foreign), cab::CodecBadHandle);
    }
    EXPECT_EQ(cab::MszipCodec.destroy(mszip), cab::CodecOk);

    Handle h(16);
    std::vector<uint8_t> big(cab::BlockSize + 1);
    uint32_t size = cab::BlockSize + 1;
    EXPECT_EQ(QuantumCodec.decompress(h.get(), in, sizeof in, big.data(), &size), cab::CodecBadParameters);
    std::vector<uint8_t> hugeInput(cab::BlockSize + 10240 + 1);
    size = 16;
    EXPECT_EQ(QuantumCodec.decompress(h.get(), hugeInput.data(), static_cast<uint32_t>(hugeInput.size()), out, &size),
              cab::CodecBadParameters);
}

TEST(QuantumFrame, LongestMatches) {
    // Length slot 26 has no extra bits and gives 259; slot 25 with all five extra bits 258.
    FrameBuilder b(16);
    b.Literal('x');
    b.LongMatch(26, 0, 0, 0);   // offset 1
    b.LongMatch(25, 31, 0, 0);
    b.ShortMatch(3, 0, 0);
    b.ShortMatch(4, 0, 0);
    Handle h(16);
    ASSERT_EQ(h.Decode(b.Finish(), 1 + 259 + 258 + 3 + 4), cab::CodecOk);
    EXPECT_EQ(Text(h.output), std::string(525, 'x'));
}

TEST(QuantumFrame, MatchesReachingBeforeTheDataReadTheWindow) {
    // Window of 1024 bytes. The first frame fills it with 0, 1, 2, ...; after the reset a match
    // at position 0 with offset 3 starts at window index 1021 and wraps to index 0, which it has
    // itself just overwritten: 1021, 1022, 1023, then its own first two bytes again.
    Handle h(10);
    FrameBuilder first(10);
    std::string filled;
    for (int i = 0; i < 1024; ++i) {
        first.Literal(static_cast<uint8_t>(i % 251));
        filled += static_cast<char>(i % 251);
    }
    ASSERT_EQ(h.Decode(first.Finish(), 1024), cab::CodecOk);
    ASSERT_EQ(Text(h.output), filled);

    ASSERT_EQ(QuantumCodec.reset(h.get()), cab::CodecOk);
    FrameBuilder second(10);
    second.LongMatch(0, 0, 2, 0);  // length 5, offset 3
    ASSERT_EQ(h.Decode(second.Finish(), 5), cab::CodecOk);
    const uint8_t expected[5] = {1021 % 251, 1022 % 251, 1023 % 251, 1021 % 251, 1022 % 251};
    EXPECT_EQ(h.output, std::vector<uint8_t>(expected, expected + 5));

    // A fresh handle's window reads as zeros.
    Handle fresh(12);
    FrameBuilder third(12);
    third.ShortMatch(4, 10, 3);  // offset 16 + 3 + 1 = 20
    ASSERT_EQ(fresh.Decode(third.Finish(), 4), cab::CodecOk);
    EXPECT_EQ(fresh.output, std::vector<uint8_t>(4, 0));
}

TEST(QuantumFrame, MatchRunningPastTheFrameFails) {
    FrameBuilder b(16);
    for (char c : std::string("abc")) b.Literal(static_cast<uint8_t>(c));
    b.ShortMatch(4, 2, 0);  // offset 3, length 4: "abca"
    const std::vector<uint8_t> frame = b.Finish();
    Handle fits(16);
    ASSERT_EQ(fits.Decode(frame, 7), cab::CodecOk);
    EXPECT_EQ(Text(fits.output), "abcabca");
    Handle tooShort(16);
    EXPECT_EQ(tooShort.Decode(frame, 6), cab::CodecDataError);
}

TEST(QuantumFrame, DataEndingOneBitEarlyFailsThoughEveryByteWasWritten) {
    // The last bits of a frame are the ones the decoder shifts in after its last symbol: cut
    // them short and every byte still comes out right, yet the frame fails.
    FrameBuilder b(16);
    const std::string text = "the quick brown fox jumps over the lazy dog";
    for (char c : text) b.Literal(static_cast<uint8_t>(c));
    b.LongMatch(3, 0, 29, 0);  // length 8, offset 24577: before the data, zeros
    const std::vector<uint8_t> frame = b.Finish();
    const uint32_t wanted = static_cast<uint32_t>(text.size() + 8);

    size_t shortest = frame.size();
    while (shortest > 0) {
        Handle h(16);
        if (h.Decode(std::vector<uint8_t>(frame.begin(), frame.begin() + shortest - 1), wanted) != cab::CodecOk) break;
        --shortest;
    }
    ASSERT_GT(shortest, 0u);
    Handle whole(16);
    ASSERT_EQ(whole.Decode(std::vector<uint8_t>(frame.begin(), frame.begin() + shortest), wanted), cab::CodecOk);
    Handle cut(16);
    EXPECT_EQ(cut.Decode(std::vector<uint8_t>(frame.begin(), frame.begin() + shortest - 1), wanted),
              cab::CodecDataError);
    EXPECT_EQ(cut.output, whole.output);
    EXPECT_EQ(Text(whole.output).substr(0, text.size()), text);
}

TEST(QuantumFrame, ArbitraryBytesEndInOkOrDataError) {
    // Under the sanitizers this also shows that no input makes the decoder read or write outside
    // its buffers; every call returns, its work bounded by the wanted size.
    uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    const uint32_t wantedSizes[] = {1, 100, 4096, cab::BlockSize};
    for (uint32_t bits : {10u, 15u, 21u}) {
        Handle h(bits);
        for (int round = 0; round < 300; ++round) {
            std::vector<uint8_t> frame(next() % 3000);
            const int fill = round % 3;
            for (uint8_t& byte : frame) byte = fill == 0 ? static_cast<uint8_t>(next()) : fill == 1 ? 0x00 : 0xFF;
            const cab::CodecResult r = h.Decode(frame, wantedSizes[round % 4]);
            EXPECT_TRUE(r == cab::CodecOk || r == cab::CodecDataError) << r;
            if (round % 7 == 0) {
                ASSERT_EQ(QuantumCodec.reset(h.get()), cab::CodecOk);
            }
        }
    }
    Handle h(16);
    EXPECT_EQ(h.Decode({}, 1), cab::CodecDataError);
}

}  // namespace
