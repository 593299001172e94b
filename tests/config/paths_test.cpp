// Path helpers: either separator counts, and the splits follow the last (or first from index 2).
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "config/paths.h"
#include "tests/common/test_files.h"

namespace {

struct PathCase {
    std::string path, directory, fileName, root, stripped;
};

TEST(Paths, Splits) {
    const PathCase cases[] = {
        {"game.exe", "", "game.exe", "game.exe", "game.exe"},
        {"C:\\Games\\Zel\\game.exe", "C:\\Games\\Zel", "game.exe", "C:", "C:\\Games\\Zel\\game.exe"},
        {"C:/Games\\Zel/game.exe", "C:/Games\\Zel", "game.exe", "C:", "C:/Games\\Zel/game.exe"},
        {"C:\\Games/", "C:\\Games", "", "C:", "C:\\Games"},
        {"C:\\Games\\\\", "C:\\Games\\", "", "C:", "C:\\Games\\"},  // one separator stripped
        {"//server/share/x", "//server/share", "x", "//server", "//server/share/x"},
        {"\\x", "", "x", "\\x", "\\x"},
        {"C:", "", "C:", "C:", "C:"},
        {"", "", "", "", ""},
    };
    for (const PathCase& c : cases) {
        EXPECT_EQ(DirectoryPart(c.path), c.directory) << c.path;
        EXPECT_EQ(FileNamePart(c.path), c.fileName) << c.path;
        EXPECT_EQ(RootPart(c.path), c.root) << c.path;
        EXPECT_EQ(StripTrailingSeparator(c.path), c.stripped) << c.path;
    }
}

TEST(Paths, UpperCaseTouchesOnlyAsciiLetters) {
    EXPECT_EQ(UpperCase("Software\\zel-1.0 \xe9\xff"), "SOFTWARE\\ZEL-1.0 \xe9\xff");
}

bool IsDirectory(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

TEST(Paths, MakeDirectoriesCreatesEveryLevel) {
    std::string base = TestFilePath("mkdirs");
    MakeDirectories(base + "/a/b/c/");          // trailing separator: the last create fails harmlessly
    EXPECT_TRUE(IsDirectory(base + "/a/b/c"));
    MakeDirectories(base + "/a/b/c");           // existing folders are no error
    MakeDirectories(base + "/x//y");
    EXPECT_TRUE(IsDirectory(base + "/x/y"));
}

}  // namespace
