// Naming and removing the Workspace on the real file system.
#include <gtest/gtest.h>
#include <windows.h>

#include "driver/workspace.h"
#include "tests/common/test_files.h"

namespace {

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(RemoveTree, RemovesNestedFolders) {
    std::string root = TestFilePath("tree");
    CreateDirectoryA(root.c_str(), nullptr);
    CreateDirectoryA((root + "\\a").c_str(), nullptr);
    CreateDirectoryA((root + "\\a\\b").c_str(), nullptr);
    WriteBytes(root + "\\a\\b\\f.txt", "x");
    WriteBytes(root + "\\g.txt", "y");
    EXPECT_TRUE(RemoveTree(root + "\\"));  // a trailing separator is accepted
    EXPECT_FALSE(Exists(root));
}

TEST(RemoveTree, LeavesAReadOnlyFileAndItsFolders) {
    std::string root = TestFilePath("readonly");
    CreateDirectoryA(root.c_str(), nullptr);
    CreateDirectoryA((root + "\\sub").c_str(), nullptr);
    WriteBytes(root + "\\sub\\locked.txt", "x");
    SetFileAttributesA((root + "\\sub\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    WriteBytes(root + "\\other.txt", "y");
    EXPECT_FALSE(RemoveTree(root));
    EXPECT_TRUE(Exists(root + "\\sub\\locked.txt"));
    EXPECT_FALSE(Exists(root + "\\other.txt"));
    SetFileAttributesA((root + "\\sub\\locked.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(RemoveTree(root));
}

TEST(RemoveTree, RefusesShortAndMissingFolders) {
    EXPECT_FALSE(RemoveTree(""));
    EXPECT_FALSE(RemoveTree("C"));
    EXPECT_FALSE(RemoveTree(TestFilePath("missing")));
}

TEST(MakeWorkspaceName, TakesTheFirstFreeNumberInTmp) {
    std::string tmp = TestFilePath("tmp");
    RemoveTree(tmp);
    CreateDirectoryA(tmp.c_str(), nullptr);
    CreateDirectoryA((tmp + "\\zelcfg0").c_str(), nullptr);
    WriteBytes(tmp + "\\zelcfg1", "a file takes the name too");
    char saved[1024];
    DWORD savedLength = GetEnvironmentVariableA("TMP", saved, sizeof saved);

    std::string name;
    SetEnvironmentVariableA("TMP", (tmp + "\\").c_str());
    EXPECT_TRUE(MakeWorkspaceName(name));
    EXPECT_EQ(name, tmp + "\\zelcfg2");
    EXPECT_FALSE(Exists(name));  // only the name is made

    SetEnvironmentVariableA("TMP", ("\"" + tmp + "\"").c_str());
    EXPECT_TRUE(MakeWorkspaceName(name));
    EXPECT_EQ(name, tmp + "\\zelcfg2");

    SetEnvironmentVariableA("TMP", (tmp + "\\does-not-exist").c_str());
    EXPECT_TRUE(MakeWorkspaceName(name));
    EXPECT_EQ(name.rfind("\\zelcfg", 0), 0u);  // the root of the current drive

    SetEnvironmentVariableA("TMP", savedLength ? saved : nullptr);
    RemoveTree(tmp);
}

}  // namespace
