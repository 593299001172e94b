// Cabinets made with the LZX encoder must decode to their source bytes in three decoders: the
// project's own (in process), cabextract and 7-Zip; the last two are independent, so when both
// agree with the source the encoder is right, and the project's decoder meets real streams.
// Every window size from 15 to 21 bits is crossed with data sets aimed at what an LZX encoder
// or decoder gets wrong: sizes at and around multiples of the 32768-byte frame, empty entries,
// incompressible data (uncompressed blocks, also of odd size at a folder's end), long runs
// (overlapping matches of 257 bytes), x86-like code full of 0xE8 bytes (the E8 translation),
// data repeating just inside the window's reach (the largest offsets and the window's wrap),
// and many entries over several folders (the encoder and decoder reset at each).
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "cab/cab_format.h"
#include "tests/cab/memory_client.h"
#include "tests/common/test_files.h"
#include "tests/tools/tool_test_support.h"

namespace {

using cabwriter::CabinetEntry;
using tooltest::MemoryEntry;

struct DataSet {
    const char* name;
    std::vector<CabinetEntry> (*make)(uint32_t windowBits);
    uint32_t maxBlocksPerFolder;
};

std::vector<CabinetEntry> FrameBoundaries(uint32_t) {
    std::vector<CabinetEntry> entries;
    const size_t sizes[] = {0, 1, 32767, 32768, 32769, 65535, 65536, 65537, 0, 98303};
    for (size_t i = 0; i < sizeof sizes / sizeof sizes[0]; ++i) {
        std::string data = i % 2 ? tooltest::RepetitiveBytes(sizes[i]) : tooltest::RandomBytes(sizes[i], uint32_t(i));
        entries.push_back(MemoryEntry("f" + std::to_string(i) + ".bin", data));
    }
    return entries;
}

std::vector<CabinetEntry> OnlyEmpty(uint32_t) {
    return {MemoryEntry("empty.txt", ""), MemoryEntry("also\\empty.txt", "")};
}

// Noise of odd size: uncompressed blocks, the last one odd (its pad byte ends the folder).
std::vector<CabinetEntry> Incompressible(uint32_t) {
    return {MemoryEntry("noise.bin", tooltest::RandomBytes(3 * 32768 + 4001, 7)),
            MemoryEntry("text.txt", tooltest::RepetitiveBytes(5000))};
}

std::vector<CabinetEntry> LongRuns(uint32_t) {
    std::string data(70000, 'a');
    data += std::string(300, 'b') + "x" + std::string(100000, '\0') + "ab";
    for (int i = 0; i < 2000; ++i) data += "abc";
    return {MemoryEntry("runs.bin", data)};
}

// Something like x86 code: many CALLs (0xE8 and a displacement) to a few targets, between
// random bytes, plus 0xE8 bytes at the very end of frames.
std::string CallHeavyBytes(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    std::string data;
    const int32_t targets[] = {0x1000, 0x2340, 0x8000, 0x123456, -5};
    while (data.size() < size) {
        if (random() % 3 == 0) {
            const int32_t at = int32_t(data.size());
            const int32_t relative = targets[random() % 5] - at;
            data += char(0xE8);
            for (int b = 0; b < 4; ++b) data += char(uint32_t(relative) >> (8 * b));
        } else {
            data += char(random() % 8 == 0 ? 0xE8 : random() & 0xFF);
        }
    }
    data.resize(size);
    for (size_t end = 32768; end < size; end += 32768) data[end - 3] = char(0xE8);
    return data;
}

std::vector<CabinetEntry> CallHeavy(uint32_t) {
    return {MemoryEntry("game.exe", CallHeavyBytes(200000, 3)), MemoryEntry("e8.bin", std::string(40000, char(0xE8)))};
}

// A random piece, then filler, then the piece again at an offset just inside the window, so
// matches use the largest offsets and (past the first window) read across the window's wrap.
std::vector<CabinetEntry> FarRepeats(uint32_t windowBits) {
    const size_t window = size_t(1) << windowBits;
    std::string piece = tooltest::RandomBytes(6000, 5);
    std::string data = piece + tooltest::RandomBytes(window - piece.size() - 100, 6) + piece + piece;
    return {MemoryEntry("far.bin", data)};
}

// Many entries; with 2 blocks per folder they spread over several folders.
std::vector<CabinetEntry> ManyFolders(uint32_t) {
    std::vector<CabinetEntry> entries;
    for (int i = 0; i < 40; ++i) {
        std::string data = i % 3 == 0 ? tooltest::RandomBytes(size_t(i) * 997, uint32_t(i))
                                      : tooltest::RepetitiveBytes(size_t(i) * 3001 % 20000);
        entries.push_back(MemoryEntry("dir" + std::to_string(i % 4) + "\\file" + std::to_string(i) + ".dat", data));
    }
    return entries;
}

const DataSet DataSets[] = {
    {"frame_boundaries", FrameBoundaries, cabwriter::MaxBlocksPerFolder},
    {"only_empty", OnlyEmpty, cabwriter::MaxBlocksPerFolder},
    {"incompressible", Incompressible, cabwriter::MaxBlocksPerFolder},
    {"long_runs", LongRuns, cabwriter::MaxBlocksPerFolder},
    {"call_heavy", CallHeavy, cabwriter::MaxBlocksPerFolder},
    {"far_repeats", FarRepeats, cabwriter::MaxBlocksPerFolder},
    {"many_folders", ManyFolders, 2},
};

void PrintTo(const DataSet& set, std::ostream* out) { *out << set.name; }

class LzxRoundTrip : public ::testing::TestWithParam<std::tuple<DataSet, uint32_t>> {
protected:
    void SetUp() override {
        const DataSet& set = std::get<0>(GetParam());
        windowBits = std::get<1>(GetParam());
        entries = set.make(windowBits);
        cabwriter::CabinetOptions options;
        options.compression.method = cab::MethodLzx;
        options.compression.windowBits = uint16_t(windowBits);
        options.maxBlocksPerFolder = set.maxBlocksPerFolder;
        path = tooltest::WriteTestCabinet(entries, options, "test.cab");
        ASSERT_FALSE(path.empty());
        for (const CabinetEntry& entry : entries) allBytes += entry.contents;
    }
    void TearDown() override {
        if (!path.empty()) std::remove(path.c_str());
    }

    uint32_t windowBits = 0;
    std::vector<CabinetEntry> entries;
    std::string allBytes;  // every entry's bytes in cabinet order
    std::string path;
};

TEST_P(LzxRoundTrip, ProjectDecoder) {
    cabtest::ResetDisk();
    cabtest::ResetSession();
    ASSERT_TRUE(cabtest::PutRealFile(path, "test.cab"));
    // The folders must really be LZX with the window asked for.
    const std::vector<uint8_t>& cabinet = cabtest::DiskFile("test.cab");
    ASSERT_GE(cabinet.size(), cab::HeaderSize + cab::FolderSize);
    EXPECT_EQ(cab::ReadU16(cabinet.data() + cab::HeaderSize + cab::FolderOffsetCompression),
              cab::MethodLzx | (windowBits << cab::CompressionWindowShift));
    cabtest::CopyResult copy = cabtest::CopyOne("test.cab");
    ASSERT_EQ(copy.result, 1) << "error " << copy.error.code;
    ASSERT_EQ(copy.session.entries.size(), entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const cabtest::ExtractedEntry& got = copy.session.entries[i];
        EXPECT_EQ(got.name, entries[i].name);
        EXPECT_TRUE(std::string(got.data.begin(), got.data.end()) == entries[i].contents) << entries[i].name;
    }
}

#ifndef _WIN32
// Both peers write every entry to standard output in cabinet order.
TEST_P(LzxRoundTrip, Cabextract) {
    if (!tooltest::HaveProgram("cabextract")) GTEST_SKIP() << "cabextract is not installed";
    tooltest::CommandResult test = tooltest::RunCommand("cabextract -t " + tooltest::Quote(path));
    EXPECT_EQ(test.exitCode, 0) << test.out << test.err;
    tooltest::CommandResult piped = tooltest::RunCommand("cabextract -q -p " + tooltest::Quote(path));
    EXPECT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_TRUE(piped.out == allBytes) << "cabextract gave " << piped.out.size() << " bytes, not "
                                       << allBytes.size();
}

TEST_P(LzxRoundTrip, SevenZip) {
    if (!tooltest::HaveProgram("7zz")) GTEST_SKIP() << "7zz is not installed";
    tooltest::CommandResult test = tooltest::RunCommand("7zz t " + tooltest::Quote(path));
    EXPECT_EQ(test.exitCode, 0) << test.out << test.err;
    tooltest::CommandResult piped = tooltest::RunCommand("7zz x -so " + tooltest::Quote(path));
    EXPECT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_TRUE(piped.out == allBytes) << "7-Zip gave " << piped.out.size() << " bytes, not " << allBytes.size();
}
#endif

INSTANTIATE_TEST_SUITE_P(Windows, LzxRoundTrip,
                         ::testing::Combine(::testing::ValuesIn(DataSets), ::testing::Range(15u, 22u)),
                         [](const ::testing::TestParamInfo<LzxRoundTrip::ParamType>& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    std::to_string(std::get<1>(info.param));
                         });

}  // namespace
