// The extraction client on the real file system: which entries are taken, where they go, their
// bytes, times and attributes, the space the whole cabinet needs, and the names it refuses.
#include <gtest/gtest.h>
#include <windows.h>

#include "driver/cabinet_extractor.h"
#include "driver/extraction_state.h"
#include "driver/workspace.h"
#include "tests/cab/cab_writer.h"
#include "tests/common/test_files.h"

namespace {

using cabtest::Bytes;

Bytes Content(size_t size, uint8_t seed) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 31 + i / 256);
    return bytes;
}

std::string AsText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The read-only, hidden and system bits of a file. Wine reports every file with the archive bit,
// so that bit is left out of the comparisons.
DWORD KeptBits(const std::string& path) { return GetFileAttributesA(path.c_str()) & 0x07; }

class Extraction_ : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = TestFilePath("x");
        RemoveTree(root_);
        CreateDirectoryA(root_.c_str(), nullptr);
        destination_ = root_ + "\\dest\\";
        Extraction().ExtractedFiles.clear();
        Extraction().TotalPercent = 0;
        Extraction().FilePercent = 0;
    }
    void TearDown() override {
        if (!HasFailure()) RemoveTree(root_);
    }

    // Writes a stored cabinet of the entries; each entry's date, time and attributes may be set.
    std::string WriteCabinet(const cabtest::CabinetSpec& layout) {
        std::string path = root_ + "\\test.cab";
        WriteBytes(path, AsText(cabtest::BuildCabinet(layout)));
        return path;
    }

    std::string root_, destination_;
};

TEST_F(Extraction_, TakesTheEntriesUnderThePrefixWithTheirDetails) {
    Bytes a = Content(40000, 1), b = Content(5, 2), game = Content(70000, 3);
    cabtest::CabinetSpec layout = cabtest::StoredCabinet({{"cfg\\a.txt", a}, {"cfg\\sub\\deep\\b.bin", b}, {"files\\game.exe", game}});
    layout.files[0].attribs = 0x21;                 // read-only, archive
    layout.files[0].date = (45 << 9) | (3 << 5) | 14;  // 2025-03-14
    layout.files[0].time = (13 << 11) | (37 << 5) | 21;  // 13:37:42
    layout.files[1].attribs = 0x80;                 // no attribute that is kept
    std::string cabinet = WriteCabinet(layout);

    ASSERT_TRUE(Extract(cabinet, "cfg\\", destination_));
    EXPECT_EQ(ReadTestFile(destination_ + "a.txt"), AsText(a));
    EXPECT_EQ(ReadTestFile(destination_ + "sub\\deep\\b.bin"), AsText(b));
    EXPECT_FALSE(Exists(destination_ + "game.exe"));
    EXPECT_FALSE(Exists(destination_ + "files"));
    EXPECT_EQ(Extraction().ExtractedFiles, (std::vector<std::string>{destination_ + "a.txt", destination_ + "sub\\deep\\b.bin"}));
    EXPECT_EQ(CurrentEntry(), "sub\\deep\\b.bin");
    EXPECT_EQ(Extraction().TotalPercent, 100);
    EXPECT_EQ(Extraction().FilePercent, 100);
    // Every entry counts, the one outside the prefix included.
    EXPECT_EQ(Extraction().SpaceNeeded, 65536 + 32768 + 98304);

    EXPECT_EQ(GetFileAttributesA((destination_ + "a.txt").c_str()), DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(KeptBits(destination_ + "sub\\deep\\b.bin"), 0u);
    HANDLE file = CreateFileA((destination_ + "a.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME created, written, local;
    GetFileTime(file, &created, nullptr, &written);
    CloseHandle(file);
    WORD date = 0, time = 0;
    FileTimeToLocalFileTime(&written, &local);
    FileTimeToDosDateTime(&local, &date, &time);
    EXPECT_EQ(date, layout.files[0].date);
    EXPECT_EQ(time, layout.files[0].time);
    EXPECT_EQ(CompareFileTime(&created, &written), 0);
}

TEST_F(Extraction_, SpaceNeededRoundsEveryEntry) {
    const std::pair<uint32_t, int64_t> sizes[] = {{0, 32768}, {1, 32768}, {32767, 32768}, {32768, 65536}, {40000, 65536}};
    for (const auto& [size, space] : sizes) EXPECT_EQ(RoundedEntrySpace(size), space) << size;
    // Sizes of 2 GB and more still count right.
    EXPECT_EQ(RoundedEntrySpace(0xFFFFFFFFu), int64_t(0x100000000));

    cabtest::CabinetSpec layout = cabtest::StoredCabinet(
        {{"a", Content(0, 0)}, {"b", Content(1, 0)}, {"c", Content(32767, 0)}, {"d", Content(32768, 0)}, {"e", Content(40000, 0)}});
    ASSERT_TRUE(Extract(WriteCabinet(layout), "nothing-matches\\", destination_));
    EXPECT_EQ(Extraction().SpaceNeeded, 3 * 32768 + 2 * 65536);
    EXPECT_EQ(Extraction().TotalPercent, 0);
    EXPECT_TRUE(Extraction().ExtractedFiles.empty());
}

TEST_F(Extraction_, PrefixRules) {
    std::string cabinet = WriteCabinet(cabtest::StoredCabinet(
        {{"CFG\\upper.txt", Content(3, 1)}, {"cf", Content(3, 2)}, {"cfg\\lower.txt", Content(3, 3)}, {"top.txt", Content(3, 4)}}));
    ASSERT_TRUE(Extract(cabinet, "cfg\\", destination_));
    EXPECT_EQ(Extraction().ExtractedFiles, (std::vector<std::string>{destination_ + "lower.txt"}));

    Extraction().ExtractedFiles.clear();
    std::string everything = root_ + "\\all\\";
    ASSERT_TRUE(Extract(cabinet, "", everything));
    EXPECT_EQ(Extraction().ExtractedFiles.size(), 4u);
    EXPECT_TRUE(Exists(everything + "CFG\\upper.txt"));
    EXPECT_TRUE(Exists(everything + "top.txt"));
}

TEST_F(Extraction_, EmptyEntryIsCreatedWithItsDetails) {
    cabtest::CabinetSpec layout = cabtest::StoredCabinet({{"cfg\\empty.txt", Bytes()}});
    layout.files[0].attribs = 0x22;  // hidden, archive
    ASSERT_TRUE(Extract(WriteCabinet(layout), "cfg\\", destination_));
    EXPECT_EQ(ReadTestFile(destination_ + "empty.txt"), "");
    EXPECT_EQ(GetFileAttributesA((destination_ + "empty.txt").c_str()), DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(Extraction().FilePercent, 0);
}

TEST_F(Extraction_, ReplacesAReadOnlyTarget) {
    CreateDirectoryA(destination_.c_str(), nullptr);
    WriteBytes(destination_ + "a.txt", "old contents");
    SetFileAttributesA((destination_ + "a.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    cabtest::CabinetSpec layout = cabtest::StoredCabinet({{"cfg\\a.txt", Content(10, 7)}});
    layout.files[0].attribs = 0x01;
    ASSERT_TRUE(Extract(WriteCabinet(layout), "cfg\\", destination_));
    EXPECT_EQ(ReadTestFile(destination_ + "a.txt"), AsText(Content(10, 7)));
    EXPECT_EQ(KeptBits(destination_ + "a.txt"), DWORD(FILE_ATTRIBUTE_READONLY));
    SetFileAttributesA((destination_ + "a.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A name that would leave the destination is refused before anything of the cabinet is written.
TEST_F(Extraction_, RefusesNamesThatLeaveTheDestination) {
    const char* names[] = {"files\\..\\evil.txt", "files\\sub\\..\\..\\evil.txt", "files\\..", "files\\\\evil.txt",
                           "files\\/evil.txt", "files\\C:\\evil.txt", "files\\C:evil.txt"};
    for (const char* name : names) {
        Extraction().ExtractedFiles.clear();
        std::string cabinet = WriteCabinet(cabtest::StoredCabinet({{"files\\good.txt", Content(4, 1)}, {name, Content(4, 2)}}));
        EXPECT_FALSE(Extract(cabinet, "files\\", destination_)) << name;
        EXPECT_TRUE(Extraction().ExtractedFiles.empty()) << name;
        EXPECT_FALSE(Exists(root_ + "\\evil.txt")) << name;
        EXPECT_FALSE(Exists(destination_ + "good.txt")) << name;
    }
    EXPECT_TRUE(IsSafeRelativeName("a..b\\..c\\d.."));
    EXPECT_FALSE(IsSafeRelativeName(""));
}

TEST_F(Extraction_, RefusesPathsLongerThan255Bytes) {
    std::string fits = "files\\" + std::string(255 - destination_.size(), 'f');       // 255 bytes in all
    std::string longName = "files\\" + std::string(256 - destination_.size(), 'n');  // one byte too long
    std::string cabinet = WriteCabinet(cabtest::StoredCabinet({{fits, Content(3, 1)}}));
    EXPECT_TRUE(Extract(cabinet, "files\\", destination_));
    cabinet = WriteCabinet(cabtest::StoredCabinet({{longName, Content(3, 1)}}));
    Extraction().ExtractedFiles.clear();
    EXPECT_FALSE(Extract(cabinet, "files\\", destination_));
    EXPECT_TRUE(Extraction().ExtractedFiles.empty());
}

TEST_F(Extraction_, TargetThatCannotBeCreatedEndsTheExtraction) {
    CreateDirectoryA(destination_.c_str(), nullptr);
    CreateDirectoryA((destination_ + "b.txt").c_str(), nullptr);  // a folder where a file must go
    std::string cabinet = WriteCabinet(cabtest::StoredCabinet(
        {{"files\\a.txt", Content(3, 1)}, {"files\\b.txt", Content(3, 2)}, {"files\\c.txt", Content(3, 3)}}));
    EXPECT_FALSE(Extract(cabinet, "files\\", destination_));
    EXPECT_EQ(Extraction().ExtractedFiles, (std::vector<std::string>{destination_ + "a.txt"}));
    EXPECT_TRUE(Exists(destination_ + "a.txt"));
    EXPECT_FALSE(Exists(destination_ + "c.txt"));
}

TEST_F(Extraction_, CabinetWithoutFolderIsLookedForInTheCurrentFolder) {
    std::string cabinet = WriteCabinet(cabtest::StoredCabinet({{"cfg\\a.txt", Content(3, 1)}}));
    char saved[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, saved);
    SetCurrentDirectoryA(root_.c_str());
    bool ok = Extract("test.cab", "cfg\\", destination_);
    SetCurrentDirectoryA(saved);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(Exists(destination_ + "a.txt"));
    EXPECT_FALSE(Extract(cabinet + ".missing", "cfg\\", destination_));
}

}  // namespace
