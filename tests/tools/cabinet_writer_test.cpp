// The cabinet writer's own rules: byte-identical output for the same entries, the refusals
// (names, sizes, counts, unreadable or changing source files), DOS stamps and attributes taken
// from files on disk, the name order and the command-line compression names.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <ctime>
#include <filesystem>

#include "cab/cab_format.h"
#include "tests/common/test_files.h"
#include "tests/tools/tool_test_support.h"
#include "tools/cabwriter/source_files.h"

namespace {

using cabwriter::CabinetEntry;
using cabwriter::CabinetOptions;
using tooltest::MemoryEntry;

std::vector<CabinetEntry> SomeEntries() {
    return {MemoryEntry("a.txt", tooltest::RepetitiveBytes(70000)), MemoryEntry("b\\c.bin", tooltest::RandomBytes(5000, 3))};
}

uint16_t SetIdOf(const std::string& cabinet) {
    return cab::ReadU16(reinterpret_cast<const uint8_t*>(cabinet.data()) + cab::HeaderOffsetSetId);
}

TEST(CabinetWriter, SameEntriesGiveIdenticalBytes) {
    for (uint16_t method : {cab::MethodStored, cab::MethodMszip}) {
        CabinetOptions options;
        options.compression.method = method;
        std::string first = ReadTestFile(tooltest::WriteTestCabinet(SomeEntries(), options, "first.cab"));
        std::string second = ReadTestFile(tooltest::WriteTestCabinet(SomeEntries(), options, "second.cab"));
        ASSERT_FALSE(first.empty());
        EXPECT_TRUE(first == second) << "method " << method;

        // The setID follows the contents: one changed byte gives another one.
        std::vector<CabinetEntry> changed = SomeEntries();
        changed[1].contents[100] ^= 1;
        std::string third = ReadTestFile(tooltest::WriteTestCabinet(changed, options, "third.cab"));
        EXPECT_NE(SetIdOf(first), SetIdOf(third));
    }
}

TEST(CabinetWriter, FixedSetIdIsWritten) {
    CabinetOptions options;
    options.fixedSetId = true;
    options.setId = 0xBEEF;
    EXPECT_EQ(SetIdOf(ReadTestFile(tooltest::WriteTestCabinet(SomeEntries(), options, "fixed.cab"))), 0xBEEF);
}

// The writer appends at the position it is given and leaves the position at the cabinet's end,
// as mksetup needs when the cabinet follows the stub.
TEST(CabinetWriter, WritesAtTheCurrentPosition) {
    std::string path = TestFilePath("behind.bin");
    std::FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(out);
    std::fwrite("stub!", 1, 5, out);
    uint64_t size = 0;
    std::string error;
    CabinetOptions options;
    options.compression.method = cab::MethodMszip;
    ASSERT_TRUE(cabwriter::WriteCabinet(SomeEntries(), options, out, size, error)) << error;
    std::fwrite("end", 1, 3, out);
    std::fclose(out);
    std::string bytes = ReadTestFile(path);
    ASSERT_EQ(bytes.size(), 5 + size + 3);
    std::string alone = ReadTestFile(tooltest::WriteTestCabinet(SomeEntries(), options, "alone.cab"));
    EXPECT_TRUE(bytes.substr(5, size) == alone);
    EXPECT_EQ(bytes.substr(5 + size), "end");
}

struct RefusalCase {
    const char* name;
    std::vector<CabinetEntry> entries;
    uint32_t maxBlocksPerFolder;
    const char* message;  // a part of the error text
};

std::vector<RefusalCase> RefusalCases() {
    std::vector<RefusalCase> cases;
    cases.push_back({"empty_name", {MemoryEntry("", "x")}, cabwriter::MaxBlocksPerFolder, "must have 1 to 255 bytes"});
    cases.push_back({"name_of_256_bytes", {MemoryEntry(std::string(256, 'n'), "x")}, cabwriter::MaxBlocksPerFolder,
                     "must have 1 to 255 bytes"});
    CabinetEntry mismatch = MemoryEntry("m.txt", "abc");
    mismatch.size = 4;
    cases.push_back({"size_not_contents", {mismatch}, cabwriter::MaxBlocksPerFolder, "size does not match"});
    cases.push_back({"entry_larger_than_a_folder", {MemoryEntry("big.bin", std::string(40000, 'x'))}, 1,
                     "too large for one cabinet folder"});
    std::vector<CabinetEntry> many(cabwriter::MaxEntries + 1, MemoryEntry("e", ""));
    cases.push_back({"too_many_entries", many, cabwriter::MaxBlocksPerFolder, "too many files"});
    CabinetEntry missing;
    missing.name = "gone.txt";
    missing.sourcePath = TestFilePath("does-not-exist.txt");
    missing.size = 3;
    cases.push_back({"unreadable_source", {missing}, cabwriter::MaxBlocksPerFolder, "cannot read"});
    return cases;
}

TEST(CabinetWriter, RefusesWhatACabinetCannotHold) {
    for (const RefusalCase& c : RefusalCases()) {
        CabinetOptions options;
        options.maxBlocksPerFolder = c.maxBlocksPerFolder;
        std::string path = TestFilePath(std::string(c.name) + ".cab"), error;
        EXPECT_FALSE(cabwriter::WriteCabinetFile(c.entries, options, path, error)) << c.name;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.name << ": " << error;
        EXPECT_FALSE(std::filesystem::exists(path)) << c.name << ": a failed cabinet must not stay behind";
    }
}

// A source file whose size changed between listing and packing would give a cabinet whose
// entry sizes lie about its data.
TEST(CabinetWriter, RefusesSourceFilesThatChangedSize) {
    for (size_t listedSize : {size_t(10), size_t(30)}) {
        std::string source = WriteTestFile("source.txt", std::string(20, 's'));
        CabinetEntry entry;
        std::string error;
        ASSERT_TRUE(cabwriter::EntryFromFile(source, "source.txt", entry, error)) << error;
        entry.size = listedSize;
        EXPECT_FALSE(cabwriter::WriteCabinetFile({entry}, CabinetOptions(), TestFilePath("changed.cab"), error));
        EXPECT_NE(error.find("changed size"), std::string::npos) << error;
    }
}

TEST(SourceFiles, DosDateTimeOfLocalMoments) {
    std::tm moment{};
    moment.tm_year = 2024 - 1900;
    moment.tm_mon = 4;  // May
    moment.tm_mday = 17;
    moment.tm_hour = 13;
    moment.tm_min = 45;
    moment.tm_sec = 59;
    moment.tm_isdst = -1;
    uint16_t date = 0, time = 0;
    cabwriter::DosDateTime(std::mktime(&moment), date, time);
    EXPECT_EQ(date, (44 << 9) | (5 << 5) | 17);
    EXPECT_EQ(time, (13 << 11) | (45 << 5) | 29);  // seconds rounded down to even

    cabwriter::DosDateTime(std::time_t(0) + 3600 * 24 * 365, date, time);  // 1971: before DOS time
    EXPECT_EQ(date, (0 << 9) | (1 << 5) | 1);
    EXPECT_EQ(time, 0);
}

TEST(SourceFiles, FolderFilesAreNamedSortedAndStamped) {
    std::string root = TestFilePath("tree");
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root + "/Data/Levels");
    std::filesystem::create_directories(root + "/empty folder");
    WriteBytes(root + "/b.txt", "b");
    WriteBytes(root + "/a.txt", "aa");
    WriteBytes(root + "/Data/Levels/one.lvl", "1");
    std::string readOnly = WriteBytes(root + "/Data/locked.dat", "locked");
    chmod(readOnly.c_str(), 0444);

    std::vector<CabinetEntry> entries;
    std::string error;
    ASSERT_TRUE(cabwriter::AddFolderFiles(root, "files\\", entries, error)) << error;
    std::vector<std::string> names;
    for (const CabinetEntry& entry : entries) names.push_back(entry.name);
    EXPECT_EQ(names, (std::vector<std::string>{"files\\Data\\Levels\\one.lvl", "files\\Data\\locked.dat",
                                               "files\\a.txt", "files\\b.txt"}));
    EXPECT_EQ(entries[0].attribs, 0x20);
    EXPECT_EQ(entries[1].attribs, 0x21);
    EXPECT_EQ(entries[2].size, 2u);

    struct stat info;
    ASSERT_EQ(stat((root + "/a.txt").c_str(), &info), 0);
    uint16_t date = 0, time = 0;
    cabwriter::DosDateTime(info.st_mtime, date, time);
    EXPECT_EQ(entries[2].date, date);
    EXPECT_EQ(entries[2].time, time);
    chmod(readOnly.c_str(), 0644);
    std::filesystem::remove_all(root);
}

TEST(SourceFiles, NamesDifferingOnlyInCaseAreRefused) {
    std::vector<CabinetEntry> entries = {MemoryEntry("Game.exe", "1"), MemoryEntry("data\\x", ""), MemoryEntry("game.EXE", "2")};
    std::string error;
    EXPECT_FALSE(cabwriter::SortEntries(entries, error));
    EXPECT_NE(error.find("differ only in letter case"), std::string::npos) << error;
}

TEST(Compression, CommandLineNames) {
    struct Case {
        const char* text;
        bool ok;
        uint16_t method;
    };
    const Case cases[] = {
        {"none", true, cab::MethodStored}, {"mszip", true, cab::MethodMszip}, {"MSZIP", false, 0},
        {"mszip:15", false, 0},           {"zip", false, 0},                 {"", false, 0},
    };
    for (const Case& c : cases) {
        cabwriter::CompressionChoice choice;
        std::string error;
        EXPECT_EQ(cabwriter::ParseCompression(c.text, choice, error), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(choice.method, c.method) << c.text;
        } else {
            EXPECT_FALSE(error.empty()) << c.text;
        }
    }
    // Every name the usage text offers is accepted (methods with an encoder only).
    std::string names = cabwriter::CompressionNames() + "|";
    EXPECT_EQ(names.rfind("none|mszip|", 0), 0u) << names;
    for (size_t start = 0, bar; (bar = names.find('|', start)) != std::string::npos; start = bar + 1) {
        cabwriter::CompressionChoice choice;
        std::string error;
        EXPECT_TRUE(cabwriter::ParseCompression(names.substr(start, bar - start), choice, error)) << error;
    }
}

}  // namespace
