// CreateShortcuts with Wine's shell objects: shell links read back through IShellLinkA, Internet
// shortcuts read as files, the folder chain made first, the log lines of the step, a failing
// shortcut in the middle of three, and a name too long for the shell's buffer.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "install/shortcuts.h"
#include "tests/install_win32/install_step_test.h"

namespace {

using ShortcutsTest = InstallStepTest;

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

Shortcut MakeShortcut(const std::string& dest, const std::string& target, const std::string& args = std::string()) {
    Shortcut shortcut;
    shortcut.Dest = dest;
    shortcut.Target = target;
    shortcut.Args = args;
    return shortcut;
}

// What a saved shell link holds, as the shell reads it back.
struct LinkFields {
    bool loaded = false;
    std::string path, arguments, description, workingFolder;
};

LinkFields ReadLink(const std::string& file) {
    LinkFields fields;
    ComApartment apartment;
    ComRef<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.ReceiveVoid())))
        return fields;
    ComRef<IPersistFile> persist;
    if (FAILED(link->QueryInterface(IID_IPersistFile, persist.ReceiveVoid()))) return fields;
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
    if (FAILED(persist->Load(wide, STGM_READ))) return fields;
    fields.loaded = true;
    char text[1024];
    if (SUCCEEDED(link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH))) fields.path = text;
    if (SUCCEEDED(link->GetArguments(text, sizeof text))) fields.arguments = text;
    if (SUCCEEDED(link->GetDescription(text, sizeof text))) fields.description = text;
    if (SUCCEEDED(link->GetWorkingDirectory(text, sizeof text))) fields.workingFolder = text;
    return fields;
}

TEST_F(ShortcutsTest, ShellLinkCarriesPathDescriptionArgumentsAndWorkingFolder) {
    std::string menu = TestFilePath("menu");
    Defines().Set("ZelTestMenu", menu);
    // Args with quotes around a path, as install.xml's &quot; gives them.
    Config().Shortcuts = {MakeShortcut("%ZelTestMenu%\\Game\\Play Game", "C:\\Games\\Game\\game.exe",
                                       "-config \"C:\\Games\\Game\\my settings.ini\"")};
    EXPECT_TRUE(RunStep(CreateShortcuts));
    EXPECT_TRUE(BoxTexts().empty());
    LinkFields link = ReadLink(menu + "\\Game\\Play Game.lnk");
    ASSERT_TRUE(link.loaded);
    EXPECT_EQ(link.path, "C:\\Games\\Game\\game.exe");
    EXPECT_EQ(link.description, "Play Game");
    EXPECT_EQ(link.arguments, "-config \"C:\\Games\\Game\\my settings.ini\"");
    EXPECT_EQ(link.workingFolder, "C:\\Games\\Game");
    EXPECT_EQ(LogText(), LogLines({"\t<File>" + menu + "\\Game\\Play Game.lnk</File>"}));
}

TEST_F(ShortcutsTest, HttpTargetMakesAnInternetShortcut) {
    std::string dest = TestFilePath("folder\\Home Page");
    Config().Shortcuts = {MakeShortcut(dest, "http://example.com/game?a=1&b=2", "ignored")};
    EXPECT_TRUE(RunStep(CreateShortcuts));
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_FALSE(FileExists(dest + ".lnk"));
    std::string contents = ReadTestFile(dest + ".url");
    EXPECT_NE(contents.find("[InternetShortcut]"), std::string::npos) << contents;
    EXPECT_NE(contents.find("URL=http://example.com/game?a=1&b=2"), std::string::npos) << contents;
    EXPECT_EQ(LogText(), LogLines({"\t<File>" + dest + ".url</File>"}));
}

// Only the exact lower-case "http://" makes an Internet shortcut; any other address becomes a
// shell link given the address as its path. (Wine's shell link takes such a path for a relative
// file name and stores it resolved against the current folder, so the stored path is only shown.)
TEST_F(ShortcutsTest, OtherAddressesMakeShellLinks) {
    const std::string targets[] = {"https://example.com/", "HTTP://EXAMPLE.COM/", "Http://example.com/"};
    for (const std::string& target : targets) {
        SCOPED_TRACE(target);
        std::string dest = TestFilePath("link " + std::to_string(&target - targets));
        ASSERT_TRUE(OpenInstallLog(logPath_));
        Config().Shortcuts = {MakeShortcut(dest, target)};
        EXPECT_TRUE(RunStep(CreateShortcuts));
        EXPECT_TRUE(BoxTexts().empty());
        EXPECT_FALSE(FileExists(dest + ".url"));
        LinkFields link = ReadLink(dest + ".lnk");
        EXPECT_TRUE(link.loaded);
        std::printf("shell link path for %s: %s\n", target.c_str(), link.path.c_str());
        EXPECT_EQ(LogText(), LogLines({"\t<File>" + dest + ".lnk</File>"}));
    }
}

TEST_F(ShortcutsTest, SecondOfThreeFailingStopsTheStepAndNamesItsTarget) {
    // A folder chain cannot pass through an existing file, so the second shortcut cannot be saved.
    std::string blocker = WriteTestFile("blocker", "a file, not a folder");
    std::string first = TestFilePath("one\\First");
    std::string second = blocker + "\\sub\\Second";
    std::string third = TestFilePath("three\\Third");
    Config().Shortcuts = {
        MakeShortcut(first, "C:\\Games\\first.exe"),
        MakeShortcut(second, "http://example.com/second"),
        MakeShortcut(third, "C:\\Games\\third.exe"),
    };
    EXPECT_FALSE(RunStep(CreateShortcuts));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Failed to Create Link to 'http://example.com/second'"});
    EXPECT_TRUE(Installer().Aborted);
    EXPECT_TRUE(FileExists(first + ".lnk"));
    EXPECT_FALSE(FileExists(third + ".lnk"));
    EXPECT_FALSE(FileExists(TestFilePath("three")));
    EXPECT_EQ(LogText(), LogLines({"\t<File>" + first + ".lnk</File>", "\t<File>" + second + ".url</File>"}));
}

TEST_F(ShortcutsTest, CreatesTheWholeFolderChainFirst) {
    std::string root = TestFilePath("chain");
    std::string dest = root + "\\Start Menu\\Programs\\New Group\\Game";
    Config().Shortcuts = {MakeShortcut(dest, "C:\\Games\\game.exe"), MakeShortcut(root + "/slashes/Site", "http://x.test/")};
    EXPECT_TRUE(RunStep(CreateShortcuts));
    EXPECT_TRUE(FileExists(dest + ".lnk"));
    EXPECT_TRUE(FileExists(root + "/slashes/Site.url"));
}

// A name that does not fit the shell's 260 UTF-16 units fails, and nothing is saved under a cut
// name; the folder chain has been made all the same.
TEST_F(ShortcutsTest, NameTooLongForTheShellIsRefusedWhole) {
    std::string folder = TestFilePath("long");
    std::string dest = folder + "\\" + std::string(260, 'n');
    ComApartment apartment;
    EXPECT_FALSE(CreateShortcut("C:\\Games\\game.exe", dest, "n", ""));
    EXPECT_FALSE(CreateShortcut("http://example.com/", dest, "n", ""));
    EXPECT_TRUE(FileExists(folder));
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*n*").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << found.cFileName;
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

}  // namespace
