// WriteRegistry against Wine's registry: the three value types read back byte for byte, the
// invalid roots, types and keys with their boxes, the Add/Remove Programs entry, and the install
// log lines of the step.
#include <string>
#include <vector>

#include "install/registry.h"
#include "tests/install_win32/install_step_test.h"

namespace {

using RegistryTest = InstallStepTest;

const std::string kHklmTestKey = std::string("HKLM\\") + kTestKey;
const std::string kHkcuTestKey = std::string("HKCU\\") + kTestKey;
const std::string kUninstallPath = UninstallKeyPath(kTestInstallName);
const char kBinaryError[] = "Binary formatting error in registry value";

RegValue Value(const std::string& key, int32_t typeNum, const std::string& name, const std::string& value) {
    RegValue regValue;
    regValue.Key = key;
    regValue.TypeNum = typeNum;
    regValue.Name = name;
    regValue.Value = value;
    return regValue;
}

struct ValueCase {
    const char* label;
    int32_t typeNum;
    const char* text;
    DWORD type;                // as read back
    std::string data;          // as read back
    int binaryErrors;          // boxes "Binary formatting error in registry value"
};

const ValueCase kValueCases[] = {
    {"text", 0, "C:\\Games\\Zel", REG_SZ, std::string("C:\\Games\\Zel\0", 13), 0},
    {"text with a variable", 0, "%ZelTestFolder%bin", REG_SZ, std::string("D:\\Zel\\bin\0", 11), 0},
    {"empty text", 0, "", REG_SZ, std::string("\0", 1), 0},
    {"dword 42", 1, "42", REG_DWORD, std::string("\x2A\0\0\0", 4), 0},
    {"dword abc", 1, "abc", REG_DWORD, std::string("\0\0\0\0", 4), 0},
    {"dword -1", 1, "-1", REG_DWORD, "\xFF\xFF\xFF\xFF", 0},
    {"dword leading blanks and trailing text", 1, "  7 apples", REG_DWORD, std::string("\x07\0\0\0", 4), 0},
    {"dword above 32 bits saturates", 1, "4294967296", REG_DWORD, "\xFF\xFF\xFF\x7F", 0},
    {"dword below 32 bits saturates", 1, "-2147483649", REG_DWORD, std::string("\0\0\0\x80", 4), 0},
    {"binary with spaces", 2, "01 FF 7e", REG_BINARY, "\x01\xFF\x7E", 0},
    {"binary without spaces", 2, "01FF7E", REG_BINARY, "\x01\xFF\x7E", 0},
    {"binary odd digit count", 2, "ABC", REG_BINARY, "\xAB", 1},
    {"binary bad digit", 2, "0G 11", REG_BINARY, "\x11", 1},
    {"binary tab inside pairs", 2, "01\t02", REG_BINARY, "\x01", 2},
    {"binary empty", 2, "", REG_BINARY, "", 0},
};

TEST_F(RegistryTest, WritesEachTypeAsTheRegistryReadsItBack) {
    Defines().Set("ZelTestFolder", "D:\\Zel\\");
    for (const ValueCase& c : kValueCases) {
        SCOPED_TRACE(c.label);
        Installer().Aborted = false;
        Config().Registry = {Value(kHkcuTestKey + "\\Types", c.typeNum, "Value", c.text)};
        EXPECT_TRUE(RunStep(WriteRegistry));
        StoredValue stored = ReadStoredValue(HKEY_CURRENT_USER, std::string(kTestKey) + "\\Types", "Value");
        ASSERT_TRUE(stored.found);
        EXPECT_EQ(stored.type, c.type);
        EXPECT_EQ(stored.data, c.data);
        EXPECT_EQ(BoxTexts(), std::vector<std::string>(c.binaryErrors, kBinaryError));
        // A malformed pair raises Aborted through its box although the step goes on.
        EXPECT_EQ(Installer().Aborted, c.binaryErrors > 0);
    }
}

TEST_F(RegistryTest, EmptyNameWritesTheDefaultValueUnderHklm) {
    Config().Registry = {Value(kHklmTestKey + "\\Sub", 0, "", "default")};
    EXPECT_TRUE(RunStep(WriteRegistry));
    StoredValue stored = ReadStoredValue(HKEY_LOCAL_MACHINE, std::string(kTestKey) + "\\Sub", "");
    EXPECT_TRUE(stored.found);
    EXPECT_EQ(stored.data, std::string("default\0", 8));
    EXPECT_TRUE(BoxTexts().empty());
}

// The whole log of a successful step, byte for byte, with values that need encoding, and the
// uninstall entry's two values.
TEST_F(RegistryTest, LogsEveryValueAndTheUninstallEntry) {
    Config().Registry = {
        Value(kHkcuTestKey, 0, "Path & <Name>", "x"),
        Value(kHklmTestKey + "\\Two  Spaces", 1, "Count", "3"),
    };
    Config().UninstallCmd = "\"%ZelTestFolder%uninstall.exe\" /log";
    Defines().Set("ZelTestFolder", "D:\\Zel\\");
    EXPECT_TRUE(RunStep(WriteRegistry));
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_FALSE(Installer().Aborted);
    EXPECT_EQ(LogText(), LogLines({
                             "\t<Registry>",
                             "\t\t<RegValue>",
                             "\t\t\t<Key>HKCU\\Software\\ZelTestInstall</Key>",
                             "\t\t\t<Name>Path &amp; &lt;Name&gt;</Name>",
                             "\t\t</RegValue>",
                             "\t\t<RegValue>",
                             "\t\t\t<Key>HKLM\\Software\\ZelTestInstall\\Two &nbsp;Spaces</Key>",
                             "\t\t\t<Name>Count</Name>",
                             "\t\t</RegValue>",
                             "\t</Registry>",
                             "\t<UninstallDelRegKey>HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                             "ZelTestInstall Game</UninstallDelRegKey>",
                         }));
    EXPECT_EQ(ReadStoredValue(HKEY_CURRENT_USER, kTestKey, "Path & <Name>").data, std::string("x\0", 2));
    EXPECT_EQ(ReadStoredValue(HKEY_LOCAL_MACHINE, std::string(kTestKey) + "\\Two  Spaces", "Count").data,
              std::string("\x03\0\0\0", 4));

    StoredValue displayName = ReadStoredValue(HKEY_LOCAL_MACHINE, kUninstallPath, "DisplayName");
    EXPECT_EQ(displayName.type, DWORD(REG_SZ));
    EXPECT_EQ(displayName.data, std::string("ZelTestInstall Game\0", 20));
    StoredValue uninstall = ReadStoredValue(HKEY_LOCAL_MACHINE, kUninstallPath, "UninstallString");
    EXPECT_EQ(uninstall.type, DWORD(REG_SZ));
    EXPECT_EQ(uninstall.data, std::string("\"D:\\Zel\\uninstall.exe\" /log\0", 28));
}

TEST_F(RegistryTest, EmptySectionStillWritesTheGroupAndTheUninstallEntry) {
    Defines().Set("ZelTestName", "Game");
    Defines().Set("InstallName", "ZelTestInstall %ZelTestName%");  // expanded when used
    EXPECT_TRUE(RunStep(WriteRegistry));
    EXPECT_EQ(LogText(), LogLines({"\t<Registry>", "\t</Registry>",
                                   "\t<UninstallDelRegKey>HKLM\\" + kUninstallPath + "</UninstallDelRegKey>"}));
    EXPECT_EQ(ReadStoredValue(HKEY_LOCAL_MACHINE, kUninstallPath, "DisplayName").data,
              std::string("ZelTestInstall Game\0", 20));
    EXPECT_EQ(ReadStoredValue(HKEY_LOCAL_MACHINE, kUninstallPath, "UninstallString").data, std::string("\0", 1));
}

// Every failure that ends the step: its box, false, Aborted, and a log that stops after the
// failing value's group, without "</Registry>" and the uninstall line; no uninstall entry.
struct FailureCase {
    const char* label;
    RegValue value;
    std::string message;
};

TEST_F(RegistryTest, FailuresEndTheStepWithTheirMessage) {
    const std::string tooLong(300, 'k');  // a key name longer than the registry's 255
    const FailureCase cases[] = {
        {"lower-case root", Value("hklm\\Software\\ZelTestInstall", 0, "A", "1"),
         "Invalid Key 'hklm\\Software\\ZelTestInstall'"},
        {"long root name", Value("HKEY_LOCAL_MACHINE\\Software\\ZelTestInstall", 0, "A", "1"),
         "Invalid Key 'HKEY_LOCAL_MACHINE\\Software\\ZelTestInstall'"},
        {"root without separator", Value("HKCU", 0, "A", "1"), "Invalid Key 'HKCU'"},
        {"type 3", Value(kHkcuTestKey, 3, "Level", "1"), "Invalid Key Type on 'Level'"},
        {"type -1", Value(kHkcuTestKey, -1, "Level", "1"), "Invalid Key Type on 'Level'"},
        {"key that cannot be created", Value(kHkcuTestKey + "\\" + tooLong, 0, "A", "1"),
         "Failed to Create Key '" + kHkcuTestKey + "\\" + tooLong + "'"},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.label);
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallPath.c_str());
        Installer().Aborted = false;
        ASSERT_TRUE(OpenInstallLog(logPath_));
        Config().Registry = {c.value};
        EXPECT_FALSE(RunStep(WriteRegistry));
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{c.message});
        EXPECT_TRUE(Installer().Aborted);
        EXPECT_EQ(LogText(), LogLines({"\t<Registry>", "\t\t<RegValue>", "\t\t\t<Key>" + c.value.Key + "</Key>",
                                       "\t\t\t<Name>" + c.value.Name + "</Name>", "\t\t</RegValue>"}));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallPath));
        EXPECT_FALSE(ReadStoredValue(HKEY_CURRENT_USER, kTestKey, c.value.Name).found);
    }
}

TEST_F(RegistryTest, InvalidTypeLeavesTheKeyWithoutTheValue) {
    Config().Registry = {Value(kHkcuTestKey + "\\Created", 7, "Level", "1")};
    EXPECT_FALSE(RunStep(WriteRegistry));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, std::string(kTestKey) + "\\Created"));
    EXPECT_FALSE(ReadStoredValue(HKEY_CURRENT_USER, std::string(kTestKey) + "\\Created", "Level").found);
}

TEST_F(RegistryTest, FailingSecondValueKeepsTheFirstAndStopsBeforeTheThird) {
    Config().Registry = {
        Value(kHkcuTestKey, 0, "First", "one"),
        Value("HKXX\\Software\\ZelTestInstall", 0, "Second", "two"),
        Value(kHkcuTestKey, 0, "Third", "three"),
    };
    EXPECT_FALSE(RunStep(WriteRegistry));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Invalid Key 'HKXX\\Software\\ZelTestInstall'"});
    EXPECT_EQ(ReadStoredValue(HKEY_CURRENT_USER, kTestKey, "First").data, std::string("one\0", 4));
    EXPECT_FALSE(ReadStoredValue(HKEY_CURRENT_USER, kTestKey, "Third").found);
    EXPECT_EQ(LogText(), LogLines({
                             "\t<Registry>",
                             "\t\t<RegValue>",
                             "\t\t\t<Key>HKCU\\Software\\ZelTestInstall</Key>",
                             "\t\t\t<Name>First</Name>",
                             "\t\t</RegValue>",
                             "\t\t<RegValue>",
                             "\t\t\t<Key>HKXX\\Software\\ZelTestInstall</Key>",
                             "\t\t\t<Name>Second</Name>",
                             "\t\t</RegValue>",
                         }));
}

// The default install name comes from the shell-folder step; the uninstall entry is then named
// "This Program". Another install in this prefix may own that key: it is removed afterwards only
// when this test made it.
TEST_F(RegistryTest, DefaultInstallNameNamesTheUninstallEntry) {
    const std::string path = UninstallKeyPath("This Program");
    bool existed = KeyExists(HKEY_LOCAL_MACHINE, path);
    Defines().Set("InstallName", "This Program");
    Config().UninstallCmd = "C:\\uninstall.exe";
    EXPECT_TRUE(RunStep(WriteRegistry));
    EXPECT_EQ(ReadStoredValue(HKEY_LOCAL_MACHINE, path, "DisplayName").data, std::string("This Program\0", 13));
    EXPECT_EQ(ReadStoredValue(HKEY_LOCAL_MACHINE, path, "UninstallString").data,
              std::string("C:\\uninstall.exe\0", 17));
    EXPECT_EQ(LogText(), LogLines({"\t<Registry>", "\t</Registry>",
                                   "\t<UninstallDelRegKey>HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\"
                                   "Uninstall\\This Program</UninstallDelRegKey>"}));
    if (!existed) SHDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str());
}

TEST(RegistryBinaryOf, CountsEachMalformedPairOnce) {
    BinaryData data = RegistryBinaryOf(" 0a  B0 x");
    EXPECT_EQ(data.bytes, (std::vector<uint8_t>{0x0A, 0xB0}));
    EXPECT_EQ(data.malformedPairs, 1);
    data = RegistryBinaryOf("1 2");  // a space inside a pair
    EXPECT_TRUE(data.bytes.empty());
    EXPECT_EQ(data.malformedPairs, 2);
}

}  // namespace
