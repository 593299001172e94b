// The DirectX file checks, run on folders that the tests assemble from small libraries with
// chosen version resources (built beside this program in dxfiles\<file>-<version>\<file>).
//
// Wine hands out its own built-in library when a file named like one (ddraw.dll, d3d8.dll, ...)
// is opened for its resources, whatever its folder; ctest therefore runs this program with those
// names set to "native, then built-in" in WINEDLLOVERRIDES, as Windows itself reads the file.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "install/directx_version.h"
#include "tests/common/test_files.h"

namespace {

std::string TestLibrary(const std::string& file, const std::string& version) {
    char exe[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string folder(exe, length);
    folder.erase(folder.find_last_of('\\') + 1);
    return folder + "dxfiles\\" + file + "-" + version + "\\" + file;
}

// A fresh folder holding the given libraries, each "file version" with version "none" for one
// without a version resource.
std::string SystemFolderWith(const std::vector<std::pair<std::string, std::string>>& libraries) {
    std::string folder = TestFilePath("system");
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const auto& [file, version] : libraries) {
        std::string source = TestLibrary(file, version);
        EXPECT_TRUE(CopyFileA(source.c_str(), (folder + "\\" + file).c_str(), FALSE)) << source;
    }
    return folder;
}

struct FilesCase {
    const char* label;
    std::vector<std::pair<std::string, std::string>> libraries;
    const char* text;
    uint32_t number;
};

const std::pair<std::string, std::string> kDdraw81{"ddraw.dll", "5.1.2600.0"};
const std::pair<std::string, std::string> kD3d881{"d3d8.dll", "5.1.2600.881"};

const FilesCase kFilesCases[] = {
    {"no library", {}, "0.0", 0},
    {"ddraw just below 1.0", {{"ddraw.dll", "4.2.0.94"}}, "0.0", 0},
    {"ddraw 3.0", {{"ddraw.dll", "4.4.0.68"}}, "3.0", 0x00030000},
    {"3.0a from d3drg8x", {{"ddraw.dll", "4.4.0.68"}, {"d3drg8x.dll", "4.4.0.70"}}, "3.0a", 0x00030001},
    {"ddraw 8.0 on major 4", {{"ddraw.dll", "4.8.0.400"}}, "8.0", 0x00080000},
    {"ddraw major 5 just below 8.0", {{"ddraw.dll", "5.1.2258.399"}}, "7.0", 0x00070000},
    {"ddraw major 6 is no 8.0", {{"ddraw.dll", "6.0.0.0"}}, "7.0", 0x00070000},
    {"d3d8 8.1", {kDdraw81, kD3d881}, "8.1", 0x00080100},
    {"d3d8 8.1a on major 4", {kDdraw81, {"d3d8.dll", "4.8.1.901"}}, "8.1a", 0x00080101},
    {"mpg2splt 8.1b", {kDdraw81, kD3d881, {"mpg2splt.ax", "6.3.1.885"}}, "8.1b", 0x00080102},
    {"dpnet just below 8.2",
     {kDdraw81, kD3d881, {"mpg2splt.ax", "6.3.1.885"}, {"dpnet.dll", "5.2.3677.133"}},
     "8.1b",
     0x00080102},
    {"d3d8 alone, the last passing check decides", {kD3d881}, "8.1", 0x00080100},
    {"d3d9 with any version", {{"ddraw.dll", "4.4.0.68"}, {"d3d9.dll", "1.0.0.0"}}, "9.0", 0x00090000},
    {"d3d9 without a version resource", {{"d3d9.dll", "none"}}, "0.0", 0},
};

TEST(DirectXVersionFromFiles, LastPassingCheckDecides) {
    for (const FilesCase& c : kFilesCases) {
        SCOPED_TRACE(c.label);
        std::string folder = SystemFolderWith(c.libraries);
        DirectXVersion version;
        version.major = 99;  // overwritten in every case
        EXPECT_TRUE(DirectXVersionFromFilesIn(folder, version));
        EXPECT_EQ(DirectXVersionText(version), c.text);
        EXPECT_EQ(DirectXVersionNumber(version), c.number);
        for (const auto& library : c.libraries) DeleteFileA((folder + "\\" + library.first).c_str());
    }
}

TEST(FileVersionOf, ReadsTheFixedFileVersion) {
    uint64_t version = 0;
    EXPECT_TRUE(FileVersionOf(TestLibrary("d3d8.dll", "5.1.2600.881"), version));
    EXPECT_EQ(version, (uint64_t(5) << 48) | (uint64_t(1) << 32) | (uint64_t(2600) << 16) | 881)
        << "Wine read its built-in d3d8.dll: run with WINEDLLOVERRIDES containing d3d8=n,b";
    EXPECT_FALSE(FileVersionOf(TestLibrary("d3d9.dll", "none"), version));
    EXPECT_FALSE(FileVersionOf(TestFilePath("missing.dll"), version));
}

TEST(DirectXVersionNumber, LetterCountsInEitherCase) {
    EXPECT_EQ(DirectXVersionNumber({9, 0, ' '}), 0x00090000u);
    EXPECT_EQ(DirectXVersionNumber({8, 1, 'b'}), 8u * 65536 + 256 + 2);
    EXPECT_EQ(DirectXVersionNumber({8, 1, 'B'}), 8u * 65536 + 256 + 2);
    EXPECT_EQ(DirectXVersionNumber({9, 0, 'z'}), 0x0009001Au);
    EXPECT_EQ(DirectXVersionNumber({9, 0, '1'}), 0x00090000u);
}

}  // namespace
