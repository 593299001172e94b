// Cabinets from the writer must decode to their source bytes in every decoder at hand: the
// project's own (in process, and `cabx test` when it is built), cabextract and 7-Zip. The data
// sets aim at what a writer gets wrong: empty entries, sizes at and around the 32768-byte block
// size (entries that start or end on a block boundary, or straddle it), incompressible data
// (the MSZIP stored fallback), repetitive data and data repeating across blocks (matches that
// reach into the previous block through the preset dictionary), many entries and nested names,
// the read-only attribute, and folders split at the block limit. Every cabinet's block layout is
// checked too: 32768 uncompressed bytes in every block but a folder's last, correct checksums,
// "CK" before every MSZIP block, no block beyond the reader's buffer.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>

#include "cab/cab_format.h"
#include "cab/checksum.h"
#include "tests/common/test_files.h"
#include "tests/tools/tool_test_support.h"
#include "tools/cabwriter/source_files.h"
#include "tools/mksetup/cabinet_listing.h"
#ifdef HAVE_CAB_MEMORY_CLIENT
#include "tests/cab/memory_client.h"
#endif

namespace {

using cabwriter::CabinetEntry;
using cabwriter::CabinetOptions;
using tooltest::MemoryEntry;

struct DataSet {
    const char* name;
    std::vector<CabinetEntry> (*make)();
    uint32_t maxBlocksPerFolder;
};

std::vector<CabinetEntry> EmptyEntries() {
    return {MemoryEntry("empty.txt", ""), MemoryEntry("sub\\also empty.txt", ""), MemoryEntry("z.txt", "last")};
}

// Entries that end exactly on, just before and just after block boundaries.
std::vector<CabinetEntry> BlockBoundaries() {
    return {MemoryEntry("a.bin", tooltest::RandomBytes(32767, 1)), MemoryEntry("b.bin", tooltest::RandomBytes(1, 2)),
            MemoryEntry("c.bin", tooltest::RepetitiveBytes(32768)), MemoryEntry("d.bin", tooltest::RandomBytes(32769, 3)),
            MemoryEntry("e.bin", tooltest::RepetitiveBytes(65536 - 1)), MemoryEntry("f.bin", "")};
}

std::vector<CabinetEntry> Incompressible() { return {MemoryEntry("noise.bin", tooltest::RandomBytes(200000, 7))}; }

std::vector<CabinetEntry> Repetitive() {
    return {MemoryEntry("text.txt", tooltest::RepetitiveBytes(300000)),
            MemoryEntry("zeros.bin", std::string(100000, '\0'))};
}

// A random piece repeated: each copy matches the one before it, 20000 bytes back, which from
// the second block on lies in the previous block.
std::vector<CabinetEntry> RepeatsAcrossBlocks() {
    std::string piece = tooltest::RandomBytes(20000, 11), data;
    for (int i = 0; i < 8; ++i) data += piece;
    return {MemoryEntry("repeats.bin", data)};
}

std::vector<CabinetEntry> ManyNestedFiles() {
    std::vector<CabinetEntry> entries;
    for (int i = 0; i < 300; ++i) {
        std::string name = "dir" + std::to_string(i % 7) + "\\sub" + std::to_string(i % 3) + "\\deeper\\file" +
                           std::to_string(i) + ".txt";
        entries.push_back(MemoryEntry(name, tooltest::RepetitiveBytes(size_t(i) * 37 % 5000)));
    }
    std::string error;
    EXPECT_TRUE(cabwriter::SortEntries(entries, error)) << error;
    return entries;
}

std::vector<CabinetEntry> ReadOnly() {
    return {MemoryEntry("readme.txt", "read me\n", 0x21), MemoryEntry("save\\game.sav", "saved\n", 0x20)};
}

// With the block limit lowered to 3: 40000-byte entries take 2 blocks each, so two entries
// fill a folder (3 blocks) and the third starts a new one.
std::vector<CabinetEntry> FolderSplit() {
    std::vector<CabinetEntry> entries;
    for (int i = 0; i < 5; ++i) {
        entries.push_back(MemoryEntry("part" + std::to_string(i) + ".bin", tooltest::RandomBytes(40000, 20 + i)));
    }
    return entries;
}

const DataSet DataSets[] = {
    {"empty_entries", EmptyEntries, cabwriter::MaxBlocksPerFolder},
    {"block_boundaries", BlockBoundaries, cabwriter::MaxBlocksPerFolder},
    {"incompressible", Incompressible, cabwriter::MaxBlocksPerFolder},
    {"repetitive", Repetitive, cabwriter::MaxBlocksPerFolder},
    {"repeats_across_blocks", RepeatsAcrossBlocks, cabwriter::MaxBlocksPerFolder},
    {"many_nested_files", ManyNestedFiles, cabwriter::MaxBlocksPerFolder},
    {"read_only", ReadOnly, cabwriter::MaxBlocksPerFolder},
    {"folder_split", FolderSplit, 3},
};

struct Method {
    const char* name;
    uint16_t method;
};
const Method Methods[] = {{"stored", cab::MethodStored}, {"mszip", cab::MethodMszip}};

// Names in test listings instead of the parameters' bytes.
void PrintTo(const DataSet& set, std::ostream* out) { *out << set.name; }
void PrintTo(const Method& method, std::ostream* out) { *out << method.name; }

std::string ReadAll(const std::string& path) { return ReadTestFile(path); }

// The block layout of every folder, read from the cabinet bytes.
void CheckBlocks(const std::string& cabinet, const CabinetListing& listing, const std::vector<CabinetEntry>& entries,
                 uint16_t method) {
    ASSERT_EQ(listing.cabinetSize, cabinet.size());
    for (size_t f = 0; f < listing.folders.size(); ++f) {
        const ListedFolder& folder = listing.folders[f];
        EXPECT_EQ(folder.typeCompress, method);
        uint64_t folderBytes = 0;
        for (const ListedEntry& entry : listing.entries) {
            if (entry.folder == f) folderBytes += entry.size;
        }
        size_t at = folder.dataStart;
        uint64_t produced = 0;
        for (uint32_t b = 0; b < folder.blockCount; ++b) {
            ASSERT_LE(at + cab::DataHeaderSize, cabinet.size());
            const uint8_t* header = reinterpret_cast<const uint8_t*>(cabinet.data()) + at;
            uint16_t cbData = cab::ReadU16(header + cab::DataOffsetCompressed);
            uint16_t cbUncomp = cab::ReadU16(header + cab::DataOffsetUncompressed);
            ASSERT_LE(at + cab::DataHeaderSize + cbData, cabinet.size());
            const uint8_t* data = header + cab::DataHeaderSize;
            bool last = b + 1 == folder.blockCount;
            if (!last) {
                EXPECT_EQ(cbUncomp, cab::BlockSize) << "folder " << f << " block " << b;
            }
            EXPECT_GT(cbUncomp, 0u);
            uint32_t sum = cab::Checksum(header + 4, 4, cab::Checksum(data, cbData, 0));
            EXPECT_EQ(cab::ReadU32(header + cab::DataOffsetChecksum), sum) << "folder " << f << " block " << b;
            if (method == cab::MethodMszip) {
                EXPECT_LE(cbData, cab::BlockSize + 12);
                EXPECT_TRUE(cbData >= 2 && data[0] == 'C' && data[1] == 'K');
            } else {
                EXPECT_EQ(cbData, cbUncomp);
            }
            produced += cbUncomp;
            at += cab::DataHeaderSize + cbData;
        }
        EXPECT_EQ(produced, folderBytes) << "folder " << f;
    }
    ASSERT_EQ(listing.entries.size(), entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(listing.entries[i].name, entries[i].name);
        EXPECT_EQ(listing.entries[i].size, entries[i].size);
        EXPECT_EQ(listing.entries[i].date, entries[i].date);
        EXPECT_EQ(listing.entries[i].time, entries[i].time);
        EXPECT_EQ(listing.entries[i].attribs, entries[i].attribs);
    }
}

class CabinetRoundTrip : public ::testing::TestWithParam<std::tuple<DataSet, Method>> {
protected:
    void SetUp() override {
        const DataSet& set = std::get<0>(GetParam());
        method = std::get<1>(GetParam()).method;
        entries = set.make();
        CabinetOptions options;
        options.compression.method = method;
        options.maxBlocksPerFolder = set.maxBlocksPerFolder;
        path = tooltest::WriteTestCabinet(entries, options, "test.cab");
        ASSERT_FALSE(path.empty());
        expected = tooltest::ExpectedTree(entries);
    }
    void TearDown() override {
        if (!path.empty()) std::remove(path.c_str());
    }

#ifndef _WIN32
    // Runs an extracting tool and compares what came out, the read-only bit included.
    void ExtractWith(const std::string& commandBeforeFolder, const std::string& commandAfterFolder) {
        auto checkReadOnly = [this](const std::string& folder) {
            for (const CabinetEntry& entry : entries) {
                std::string file = folder + "/" + entry.name;
                for (char& c : file) {
                    if (c == '\\') c = '/';
                }
                struct stat info;
                if (stat(file.c_str(), &info) != 0) continue;
                EXPECT_EQ((info.st_mode & S_IWUSR) == 0, (entry.attribs & 0x01) != 0) << entry.name;
            }
        };
        EXPECT_EQ(tooltest::ExtractWithTool(commandBeforeFolder, commandAfterFolder, checkReadOnly), expected);
    }
#endif

    uint16_t method = 0;
    std::vector<CabinetEntry> entries;
    std::map<std::string, std::string> expected;
    std::string path;
};

TEST_P(CabinetRoundTrip, BlockLayoutAndListing) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_TRUE(file);
    CabinetListing listing;
    std::string error;
    bool listed = ListCabinet(file, 0, listing, error);
    std::fclose(file);
    ASSERT_TRUE(listed) << error;
    CheckBlocks(ReadAll(path), listing, entries, method);
    if (std::string(std::get<0>(GetParam()).name) == "folder_split") {
        ASSERT_EQ(listing.folders.size(), 3u);
        EXPECT_EQ(listing.folders[0].blockCount, 3);
        EXPECT_EQ(listing.folders[2].blockCount, 2);
        const uint16_t folderOf[] = {0, 0, 1, 1, 2};
        const uint32_t offsetOf[] = {0, 40000, 0, 40000, 0};
        for (size_t i = 0; i < 5; ++i) {
            EXPECT_EQ(listing.entries[i].folder, folderOf[i]);
            EXPECT_EQ(listing.entries[i].folderOffset, offsetOf[i]);
        }
    } else {
        EXPECT_EQ(listing.folders.size(), 1u);
    }
}

#ifdef HAVE_CAB_MEMORY_CLIENT
TEST_P(CabinetRoundTrip, ProjectDecoder) {
    cabtest::ResetDisk();
    cabtest::ResetSession();
    ASSERT_TRUE(cabtest::PutRealFile(path, "test.cab"));
    cabtest::CopyResult copy = cabtest::CopyOne("test.cab");
    ASSERT_EQ(copy.result, 1) << "error " << copy.error.code;
    ASSERT_EQ(copy.session.entries.size(), entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const cabtest::ExtractedEntry& got = copy.session.entries[i];
        EXPECT_EQ(got.name, entries[i].name);
        EXPECT_TRUE(std::string(got.data.begin(), got.data.end()) == entries[i].contents) << entries[i].name;
        EXPECT_EQ(got.date, entries[i].date);
        EXPECT_EQ(got.time, entries[i].time);
        EXPECT_EQ(got.attribs, entries[i].attribs);
    }
}
#endif

#ifndef _WIN32
TEST_P(CabinetRoundTrip, Cabextract) {
    if (!tooltest::HaveProgram("cabextract")) GTEST_SKIP() << "cabextract is not installed";
    tooltest::CommandResult test = tooltest::RunCommand("cabextract -t " + tooltest::Quote(path));
    EXPECT_EQ(test.exitCode, 0) << test.out << test.err;
    ExtractWith("cabextract -q -d ", " " + tooltest::Quote(path));
}

TEST_P(CabinetRoundTrip, SevenZip) {
    if (!tooltest::HaveProgram("7zz")) GTEST_SKIP() << "7zz is not installed";
    tooltest::CommandResult test = tooltest::RunCommand("7zz t " + tooltest::Quote(path));
    EXPECT_EQ(test.exitCode, 0) << test.out << test.err;
    ExtractWith("7zz x -y -o", " " + tooltest::Quote(path));
}

TEST_P(CabinetRoundTrip, CabxTest) {
    if (!std::filesystem::exists(CABX_PATH)) GTEST_SKIP() << CABX_PATH << " is not built";
    tooltest::CommandResult test = tooltest::RunCommand(tooltest::Quote(CABX_PATH) + " test " + tooltest::Quote(path));
    EXPECT_EQ(test.exitCode, 0) << test.out << test.err;
}
#endif

INSTANTIATE_TEST_SUITE_P(DataSets, CabinetRoundTrip,
                         ::testing::Combine(::testing::ValuesIn(DataSets), ::testing::ValuesIn(Methods)),
                         [](const ::testing::TestParamInfo<CabinetRoundTrip::ParamType>& info) {
                             return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
                         });

}  // namespace
