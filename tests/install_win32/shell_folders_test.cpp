// LoadShellFolders against the Wine prefix's registry, and the 256-byte value limit on test keys
// of our own.
#include <string>

#include "install/shell_folders.h"
#include "tests/install_win32/install_step_test.h"

namespace {

const char kUserShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kMachineShellFolders[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kUnchanged[] = "(unchanged)";

struct FolderVariable {
    HKEY root;
    const char* variable;
    const char* valueName;
};

const FolderVariable kFolderVariables[] = {
    {HKEY_CURRENT_USER, "Desktop", "Desktop"},
    {HKEY_CURRENT_USER, "Favorites", "Favorites"},
    {HKEY_CURRENT_USER, "ProgramGroup", "Programs"},
    {HKEY_CURRENT_USER, "SendTo", "SendTo"},
    {HKEY_CURRENT_USER, "StartMenu", "Start Menu"},
    {HKEY_LOCAL_MACHINE, "CommonDesktop", "Common Desktop"},
    {HKEY_LOCAL_MACHINE, "CommonFavorites", "Common Favorites"},
    {HKEY_LOCAL_MACHINE, "CommonProgramGroup", "Common Programs"},
};

void PresetVariables() {
    Defines().Set("InstallName", kUnchanged);
    for (const FolderVariable& folder : kFolderVariables) Defines().Set(folder.variable, kUnchanged);
}

void SetTestValue(HKEY root, const std::string& path, const char* name, DWORD type, const std::string& data) {
    RegistryKey key;
    ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key.get(), name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
}

using ShellFoldersTest = InstallStepTest;

TEST_F(ShellFoldersTest, CopiesThePrefixShellFolders) {
    PresetVariables();
    LoadShellFolders();
    EXPECT_EQ(Defines().Lookup("InstallName"), "This Program");
    for (const FolderVariable& folder : kFolderVariables) {
        SCOPED_TRACE(folder.variable);
        StoredValue stored = ReadStoredValue(
            folder.root, folder.root == HKEY_CURRENT_USER ? kUserShellFolders : kMachineShellFolders, folder.valueName);
        ASSERT_TRUE(stored.found);
        std::string expected = stored.data.substr(0, stored.data.find('\0'));
        std::printf("%s = %s\n", folder.variable, expected.c_str());
        EXPECT_EQ(Defines().Lookup(folder.variable), expected);
    }
}

// Values of 255 bytes and a terminator fit the 256-byte buffer, longer ones are not taken; the
// type is not looked at and the text ends at its first zero byte; a missing value or key leaves
// its variables as they were.
TEST_F(ShellFoldersTest, TakesValuesUpTo255BytesAndLeavesTheRestUnset) {
    const std::string userKey = std::string(kTestKey) + "\\User";
    const std::string machineKey = std::string(kTestKey) + "\\Machine";
    const std::string fits = "C:\\" + std::string(252, 'f');
    const std::string tooLong = "C:\\" + std::string(253, 't');
    SetTestValue(HKEY_CURRENT_USER, userKey, "Desktop", REG_SZ, fits + '\0');
    SetTestValue(HKEY_CURRENT_USER, userKey, "Favorites", REG_SZ, tooLong + '\0');
    SetTestValue(HKEY_CURRENT_USER, userKey, "Programs", REG_EXPAND_SZ, std::string("%Games%\\Menu\0", 13));
    SetTestValue(HKEY_CURRENT_USER, userKey, "SendTo", REG_BINARY, std::string("ab\0cd", 5));
    SetTestValue(HKEY_LOCAL_MACHINE, machineKey, "Common Desktop", REG_SZ, std::string("D:\\Public\0", 10));

    PresetVariables();
    LoadShellFoldersFrom(userKey, machineKey);
    EXPECT_EQ(Defines().Lookup("InstallName"), "This Program");
    EXPECT_EQ(Defines().Lookup("Desktop"), fits);
    EXPECT_EQ(Defines().Lookup("Favorites"), kUnchanged);
    EXPECT_EQ(Defines().Lookup("ProgramGroup"), "%Games%\\Menu");
    EXPECT_EQ(Defines().Lookup("SendTo"), "ab");
    EXPECT_EQ(Defines().Lookup("StartMenu"), kUnchanged);
    EXPECT_EQ(Defines().Lookup("CommonDesktop"), "D:\\Public");
    EXPECT_EQ(Defines().Lookup("CommonFavorites"), kUnchanged);

    PresetVariables();
    LoadShellFoldersFrom(userKey + "\\Missing", machineKey + "\\Missing");
    EXPECT_EQ(Defines().Lookup("InstallName"), "This Program");
    for (const FolderVariable& folder : kFolderVariables) EXPECT_EQ(Defines().Lookup(folder.variable), kUnchanged);
}

}  // namespace
