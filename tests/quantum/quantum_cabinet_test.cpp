// Quantum cabinets from the cabinet writer decode to their source bytes in every decoder at
// hand: the project's own, in process and as `cabx test`, and two independent ones, cabextract
// and 7-Zip. The peers agreeing with the source show that the encoder writes the format (its
// arithmetic coder, its models' adaptation and rescaling, its slots and extra bits) and not
// merely something our own decoder happens to read back; our decoder is then checked against
// streams the peers accept.
//
// Every window size 10 to 21 gets a mix of what an encoder gets wrong: empty entries, entries
// ending on, before and after block boundaries, incompressible data, long runs (the longest
// matches, overlapping copies), text, and data repeating at distances inside and beyond the
// window. Further sets: many entries over several folders (each folder restarting the models
// and the window), and at the largest window, repeats almost 2 MB apart (the top position
// slots).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cab/cab_format.h"
#include "cab/quantum_format.h"
#include "tests/common/test_files.h"
#include "tests/tools/tool_test_support.h"
#include "tools/cabwriter/block_encoder.h"
#include "tools/cabx/md5.h"
#include "tools/mksetup/cabinet_listing.h"
#ifdef HAVE_CAB_MEMORY_CLIENT
#include "tests/cab/memory_client.h"
#endif

namespace {

using cabwriter::CabinetEntry;
using tooltest::MemoryEntry;
using tooltest::RandomBytes;
using tooltest::RepetitiveBytes;

std::vector<CabinetEntry> Mixed() {
    std::string piece = RandomBytes(3000, 5), repeats;
    for (int i = 0; i < 12; ++i) repeats += piece + RepetitiveBytes(size_t(i) * 700);
    return {MemoryEntry("empty.txt", ""),
            MemoryEntry("one.bin", "x"),
            MemoryEntry("a.bin", RandomBytes(32767, 1)),
            MemoryEntry("b.bin", RandomBytes(1, 2)),
            MemoryEntry("c.txt", RepetitiveBytes(32768)),
            MemoryEntry("d.bin", RandomBytes(32769, 3)),
            MemoryEntry("runs.bin", std::string(70000, '\0') + std::string(5000, 'A') + std::string(300, 'B')),
            MemoryEntry("sub\\repeats.bin", repeats),
            MemoryEntry("sub\\text.txt", RepetitiveBytes(65536 + 1)),
            MemoryEntry("z.txt", "")};
}

// Entries of 30000 to 70000 bytes with the folder limit at 3 blocks: several folders.
std::vector<CabinetEntry> ManyFolders() {
    std::vector<CabinetEntry> entries;
    for (int i = 0; i < 40; ++i) {
        const size_t size = 30000 + size_t(i) * 1000;
        entries.push_back(MemoryEntry("dir" + std::to_string(i % 4) + "\\file" + std::to_string(100 + i) + ".dat",
                                      i % 3 == 0 ? RandomBytes(size, uint32_t(i)) : RepetitiveBytes(size)));
    }
    return entries;
}

// The same random megabyte twice with 900 KB of text between: matches about 1.9 MB back.
std::vector<CabinetEntry> FarRepeats() {
    const std::string piece = RandomBytes(1 << 20, 9);
    return {MemoryEntry("far.bin", piece + RepetitiveBytes(900000) + piece)};
}

struct Case {
    std::string name;
    std::vector<CabinetEntry> (*make)();
    uint16_t windowBits;
    uint32_t maxBlocksPerFolder;
};

std::vector<Case> Cases() {
    std::vector<Case> cases;
    for (uint16_t bits = cab::quantum::MinWindowBits; bits <= cab::quantum::MaxWindowBits; ++bits) {
        cases.push_back({"mixed_" + std::to_string(bits), Mixed, bits, cabwriter::MaxBlocksPerFolder});
    }
    for (uint16_t bits : {10, 21}) {
        cases.push_back({"many_folders_" + std::to_string(bits), ManyFolders, bits, 3});
    }
    cases.push_back({"far_repeats_21", FarRepeats, 21, cabwriter::MaxBlocksPerFolder});
    return cases;
}

// Names in test listings instead of the parameter's bytes.
void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class QuantumCabinet : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        entries = GetParam().make();
        cabwriter::CabinetOptions options;
        options.compression.method = cab::MethodQuantum;
        options.compression.windowBits = GetParam().windowBits;
        options.maxBlocksPerFolder = GetParam().maxBlocksPerFolder;
        path = tooltest::WriteTestCabinet(entries, options, "quantum.cab");
        ASSERT_FALSE(path.empty());
        expected = tooltest::ExpectedTree(entries);
    }
    void TearDown() override {
        if (!path.empty()) std::remove(path.c_str());
    }

#ifndef _WIN32
    // Runs an extracting tool and compares what came out with the source.
    void ExtractWith(const std::string& before, const std::string& after) {
        EXPECT_TRUE(tooltest::ExtractWithTool(before, after) == expected) << "extracted files differ from the source";
    }
#endif

    std::vector<CabinetEntry> entries;
    std::map<std::string, std::string> expected;
    std::string path;
};

TEST_P(QuantumCabinet, FoldersAreQuantumAndBlocksFitTheReader) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_TRUE(file);
    CabinetListing listing;
    std::string error;
    const bool listed = ListCabinet(file, 0, listing, error);
    std::fclose(file);
    ASSERT_TRUE(listed) << error;
    const std::string cabinet = ReadTestFile(path);
    const uint16_t typeCompress = uint16_t(cab::MethodQuantum | (GetParam().windowBits << cab::CompressionWindowShift));
    ASSERT_FALSE(listing.folders.empty());
    for (const ListedFolder& folder : listing.folders) {
        EXPECT_EQ(folder.typeCompress, typeCompress);
        size_t at = folder.dataStart;
        for (uint32_t b = 0; b < folder.blockCount; ++b) {
            ASSERT_LE(at + cab::DataHeaderSize, cabinet.size());
            const auto* header = reinterpret_cast<const uint8_t*>(cabinet.data()) + at;
            const uint16_t cbData = cab::ReadU16(header + cab::DataOffsetCompressed);
            EXPECT_LE(cbData, cab::BlockSize + cab::quantum::InputSlack);
            at += cab::DataHeaderSize + cbData;
        }
    }
    if (GetParam().maxBlocksPerFolder == 3) {
        EXPECT_GT(listing.folders.size(), 5u);
    }
}

#ifdef HAVE_CAB_MEMORY_CLIENT
TEST_P(QuantumCabinet, ProjectDecoder) {
    cabtest::ResetDisk();
    cabtest::ResetSession();
    ASSERT_TRUE(cabtest::PutRealFile(path, "quantum.cab"));
    const cabtest::CopyResult copy = cabtest::CopyOne("quantum.cab");
    ASSERT_EQ(copy.result, 1) << cab::ErrorName(copy.error.code);
    ASSERT_EQ(copy.session.entries.size(), entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const cabtest::ExtractedEntry& got = copy.session.entries[i];
        EXPECT_EQ(got.name, entries[i].name);
        EXPECT_TRUE(std::string(got.data.begin(), got.data.end()) == entries[i].contents) << entries[i].name;
    }
}
#endif

#ifndef _WIN32
TEST_P(QuantumCabinet, CabxTest) {
    if (!std::filesystem::exists(CABX_PATH)) GTEST_SKIP() << CABX_PATH << " is not built";
    const tooltest::CommandResult test = tooltest::RunCommand(tooltest::Quote(CABX_PATH) + " test " + tooltest::Quote(path));
    EXPECT_EQ(test.exitCode, 0) << test.err;
    std::string listing;
    for (const CabinetEntry& entry : entries) {
        listing += Md5Hex(entry.contents.data(), entry.contents.size()) + "  " + entry.name + "\n";
    }
    for (char& c : listing) {
        if (c == '\\') c = '/';
    }
    std::string printed = test.out;
    for (char& c : printed) {
        if (c == '\\') c = '/';
    }
    EXPECT_EQ(printed, listing);
}

TEST_P(QuantumCabinet, Cabextract) {
    if (!tooltest::HaveProgram("cabextract")) GTEST_SKIP() << "cabextract is not installed";
    const tooltest::CommandResult test = tooltest::RunCommand("cabextract -t " + tooltest::Quote(path));
    EXPECT_EQ(test.exitCode, 0) << test.out << test.err;
    ExtractWith("cabextract -q -d ", " " + tooltest::Quote(path));
}

TEST_P(QuantumCabinet, SevenZip) {
    if (!tooltest::HaveProgram("7zz")) GTEST_SKIP() << "7zz is not installed";
    const tooltest::CommandResult test = tooltest::RunCommand("7zz t " + tooltest::Quote(path));
    EXPECT_EQ(test.exitCode, 0) << test.out << test.err;
    ExtractWith("7zz x -y -o", " " + tooltest::Quote(path));
}
#endif

INSTANTIATE_TEST_SUITE_P(Windows, QuantumCabinet, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Case>& info) { return info.param.name; });

TEST(QuantumCompressionChoice, WindowBitsOnTheCommandLine) {
    struct Row {
        const char* text;
        bool ok;
        uint16_t windowBits;
    } rows[] = {{"quantum", true, 21}, {"quantum:10", true, 10}, {"quantum:21", true, 21}, {"quantum:15", true, 15},
                {"quantum:9", false, 0}, {"quantum:22", false, 0}, {"quantum:", false, 0}, {"quantum:x", false, 0}};
    for (const Row& row : rows) {
        cabwriter::CompressionChoice choice;
        std::string error;
        EXPECT_EQ(cabwriter::ParseCompression(row.text, choice, error), row.ok) << row.text;
        if (row.ok) {
            EXPECT_EQ(choice.method, cab::MethodQuantum) << row.text;
            EXPECT_EQ(choice.windowBits, row.windowBits) << row.text;
        } else {
            EXPECT_FALSE(error.empty()) << row.text;
        }
    }
}

}  // namespace
