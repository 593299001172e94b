// The install worker on the real machine: a whole run's files, registry values, shortcuts and
// install log (compared byte for byte), a failing PreExec command, an extraction that succeeds
// on its retry, and the name of the props.xml copy.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include "config/entities.h"
#include "driver/extraction_state.h"
#include "driver/installer_state.h"
#include "driver/workspace.h"
#include "install/install_log.h"
#include "install/install_worker.h"
#include "tests/cab/cab_writer.h"
#include "tests/common/test_files.h"
#include "tests/win32/box_answerer.h"

namespace {

using cabtest::Bytes;

const char kRegistryKey[] = "Software\\ZelWorkerTest";
const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zel & Worker";

Bytes AsBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadRegistryText(HKEY root, const std::string& key, const std::string& name) {
    char value[512] = {};
    DWORD size = sizeof value;
    if (RegGetValueA(root, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) return "<missing>";
    return value;
}

class InstallWorker : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = TestFilePath("w");
        RemoveTree(root_);
        CreateDirectoryA(root_.c_str(), nullptr);
        InstallerState& installer = Installer();
        installer.Aborted = false;
        installer.Workspace = root_ + "\\workspace";
        CreateDirectoryA(installer.Workspace.c_str(), nullptr);
        installer.CabinetFile = installer.Workspace + "\\files.cab";
        installer.ExtractPrefix = "files\\";
        installer.ExtractDestination = root_ + "\\game\\";
        WriteBytes(installer.Workspace + "\\props.xml", "<Properties><String id=\"UNINSTALL_X\">x</String></Properties>\r\n");
        cabtest::CabinetSpec cabinet = cabtest::StoredCabinet(
            {{"cfg\\props.xml", AsBytes("p")}, {"files\\game.exe", AsBytes("MZ game")}, {"files\\data\\level1.dat", AsBytes("level")}});
        WriteBytes(installer.CabinetFile, std::string(reinterpret_cast<const char*>(cabtest::BuildCabinet(cabinet).data()),
                                                      cabtest::BuildCabinet(cabinet).size()));
        Extraction().ExtractedFiles.clear();
        Extraction().ExtractFailed = false;
        Config() = InstallConfig();
        DefineTable& defines = Defines();
        defines.Set("InstallPath", installer.ExtractDestination);
        defines.Set("InstallName", "Zel & Worker");
        defines.Set("Menu", root_ + "\\menu\\Zel Group");
        defines.Set("Root", root_);
        defines.Set("UNINSTALL_ENSURE_NOT_RUNNING_TITLE", "Files in use");
        defines.Set("UNINSTALL_ENSURE_NOT_RUNNING_TEXT", "Close the game, then press OK.");
    }

    void TearDown() override {
        CloseInstallLog();
        SHDeleteKeyA(HKEY_CURRENT_USER, kRegistryKey);
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
        if (!HasFailure()) RemoveTree(root_);
    }

    void LoadConfig(const std::string& xml) {
        std::string path = WriteBytes(root_ + "\\install.xml", xml);
        ASSERT_TRUE(Config().Load(path)) << Config().ErrorText();
    }

    // The log as the uninstaller reads it, after the driver's closing line.
    std::string FinishedLog() {
        WriteLogLine(LogLine::End);
        CloseInstallLog();
        return ReadTestFile(root_ + "\\log\\install.log");
    }

    std::string root_;
};

const char kFullConfig[] =
    "<InstallConfig>\n"
    "  <InstallLog>%Root%\\log\\install.log</InstallLog>\n"
    "  <UninstallCmd>\"%InstallPath%uninst.exe\" /log</UninstallCmd>\n"
    "  <UninstallDeltree>%InstallPath%</UninstallDeltree>\n"
    "  <UserDirectory>%InstallPath%saves &nbsp;here</UserDirectory>\n"
    "  <UninstallDelRegKey>HKCU\\Software\\ZelWorkerTest</UninstallDelRegKey>\n"
    "  <UserRegKey>HKCU\\Software\\ZelWorkerTest\\User</UserRegKey>\n"
    "  <Registry>\n"
    "    <RegValue><Key>HKCU\\Software\\ZelWorkerTest</Key><TypeNum>0</TypeNum><Name>Path</Name><Value>%InstallPath%</Value></RegValue>\n"
    "    <RegValue><Key>HKCU\\Software\\ZelWorkerTest</Key><TypeNum>1</TypeNum><Name>Runs &amp; Wins</Name><Value>42</Value></RegValue>\n"
    "  </Registry>\n"
    "  <Shortcuts>\n"
    "    <Shortcut><Dest>%Menu%\\Play</Dest><Target>%InstallPath%game.exe</Target><Args>&quot;-x&quot;</Args></Shortcut>\n"
    "    <Shortcut><Dest>%Menu%\\Web Site</Dest><Target>http://example.com/zel</Target></Shortcut>\n"
    "  </Shortcuts>\n"
    "</InstallConfig>\n";

TEST_F(InstallWorker, FullRunWritesEverythingAndItsLog) {
    LoadConfig(kFullConfig);
    BoxAnswerer answerer;
    RunInstallWorker();
    EXPECT_TRUE(WorkerDone());
    EXPECT_TRUE(answerer.Boxes().empty());
    EXPECT_FALSE(Installer().Aborted);
    EXPECT_FALSE(Extraction().ExtractFailed);

    std::string game = root_ + "\\game\\";
    std::string menu = root_ + "\\menu\\Zel Group\\";
    EXPECT_EQ(ReadTestFile(game + "game.exe"), "MZ game");
    EXPECT_EQ(ReadTestFile(game + "data\\level1.dat"), "level");
    EXPECT_FALSE(Exists(game + "props.xml"));
    EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, kRegistryKey, "Path"), game);
    EXPECT_EQ(ReadRegistryText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"), "Zel & Worker");
    EXPECT_EQ(ReadRegistryText(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"), "\"" + game + "uninst.exe\" /log");
    EXPECT_TRUE(Exists(menu + "Play.lnk"));
    EXPECT_TRUE(Exists(menu + "Web Site.url"));
    EXPECT_EQ(ReadTestFile(root_ + "\\log\\install_props.xml"), ReadTestFile(Installer().Workspace + "\\props.xml"));

    std::string expected =
        "<InstallLog>\r\n"
        "\t<InstallName>Zel &amp; Worker</InstallName>\r\n"
        "\t<UninstallDeltree>" + EncodeEntities(game) + "</UninstallDeltree>\r\n"
        "\t<UserDirectory>" + EncodeEntities(game) + "saves &nbsp;here</UserDirectory>\r\n"
        "\t<UninstallDelRegKey>HKCU\\Software\\ZelWorkerTest</UninstallDelRegKey>\r\n"
        "\t<UserRegKey>HKCU\\Software\\ZelWorkerTest\\User</UserRegKey>\r\n"
        "\t<File>" + EncodeEntities(game) + "game.exe</File>\r\n"
        "\t<File>" + EncodeEntities(game) + "data\\level1.dat</File>\r\n"
        "\t<Registry>\r\n"
        "\t\t<RegValue>\r\n"
        "\t\t\t<Key>HKCU\\Software\\ZelWorkerTest</Key>\r\n"
        "\t\t\t<Name>Path</Name>\r\n"
        "\t\t</RegValue>\r\n"
        "\t\t<RegValue>\r\n"
        "\t\t\t<Key>HKCU\\Software\\ZelWorkerTest</Key>\r\n"
        "\t\t\t<Name>Runs &amp; Wins</Name>\r\n"
        "\t\t</RegValue>\r\n"
        "\t</Registry>\r\n"
        "\t<UninstallDelRegKey>HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zel &amp; Worker</UninstallDelRegKey>\r\n"
        "\t<File>" + EncodeEntities(menu) + "Play.lnk</File>\r\n"
        "\t<File>" + EncodeEntities(menu) + "Web Site.url</File>\r\n"
        "</InstallLog>\r\n";
    EXPECT_EQ(FinishedLog(), expected);
}

TEST_F(InstallWorker, FailingPreExecLeavesOnlyTheHeader) {
    LoadConfig(
        "<InstallConfig>\n"
        "  <InstallLog>%Root%\\log\\install.log</InstallLog>\n"
        "  <PreExec><Exe>%Root%\\missing.exe</Exe></PreExec>\n"
        "  <UninstallDeltree>%InstallPath%</UninstallDeltree>\n"
        "  <Registry><RegValue><Key>HKCU\\Software\\ZelWorkerTest</Key><Name>x</Name></RegValue></Registry>\n"
        "</InstallConfig>\n");
    BoxAnswerer answerer;
    RunInstallWorker();
    ASSERT_EQ(answerer.Boxes().size(), 1u);
    EXPECT_EQ(answerer.Boxes()[0].text, "Failed to execute '" + root_ + "\\missing.exe'");
    EXPECT_TRUE(Installer().Aborted);
    EXPECT_FALSE(Exists(root_ + "\\game"));
    EXPECT_EQ(FinishedLog(),
              "<InstallLog>\r\n"
              "\t<InstallName>Zel &amp; Worker</InstallName>\r\n"
              "\t<UninstallDeltree>" + EncodeEntities(root_ + "\\game\\") + "</UninstallDeltree>\r\n"
              "</InstallLog>\r\n");
}

TEST_F(InstallWorker, EmptyLogPathIsFatalAndInstallsNothing) {
    LoadConfig("<InstallConfig><InstallLog></InstallLog></InstallConfig>");
    BoxAnswerer answerer;
    RunInstallWorker();
    std::vector<SeenBox> boxes = answerer.Boxes();
    ASSERT_GE(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Failed to Create Install Log ''");
    EXPECT_FALSE(Exists(root_ + "\\game"));
    EXPECT_TRUE(Installer().Aborted);
    DeleteFileA("_props.xml");  // the copy's name for an empty log path, in the current folder
}

// The first extraction fails on a locked file; the warning box is answered with OK after the
// lock is gone, and the retry completes the install. A second failure shows no second box.
TEST_F(InstallWorker, ExtractionSucceedsOnItsRetry) {
    LoadConfig("<InstallConfig><InstallLog>%Root%\\log\\install.log</InstallLog></InstallConfig>");
    std::string locked = root_ + "\\game\\game.exe";
    CreateDirectoryA((root_ + "\\game").c_str(), nullptr);
    HANDLE lock = CreateFileA(locked.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    BoxAnswerer answerer;
    answerer.OnBox([&](const SeenBox&) { CloseHandle(lock); });
    RunInstallWorker();
    ASSERT_EQ(answerer.Boxes().size(), 1u);
    EXPECT_EQ(answerer.Boxes()[0].title, "Files in use");
    EXPECT_EQ(answerer.Boxes()[0].text, "Close the game, then press OK.");
    EXPECT_FALSE(Extraction().ExtractFailed);
    EXPECT_FALSE(Installer().Aborted);
    EXPECT_EQ(ReadTestFile(locked), "MZ game");
}

TEST_F(InstallWorker, SecondExtractionFailureEndsWithoutAnotherBox) {
    LoadConfig("<InstallConfig><InstallLog>%Root%\\log\\install.log</InstallLog></InstallConfig>");
    CreateDirectoryA((root_ + "\\game").c_str(), nullptr);
    CreateDirectoryA((root_ + "\\game\\game.exe").c_str(), nullptr);  // can never be a file
    BoxAnswerer answerer;
    RunInstallWorker();
    EXPECT_EQ(answerer.Boxes().size(), 1u);
    EXPECT_TRUE(Extraction().ExtractFailed);
    EXPECT_FALSE(Installer().Aborted);  // the driver shows the fatal box when the page has closed
    std::string log = FinishedLog();
    EXPECT_EQ(log.find("<Registry>"), std::string::npos);
}

TEST(PropsCopyName, TakesTheLogPathUpToItsLastDot) {
    EXPECT_EQ(PropsCopyName("C:\\Games\\Install.log"), "C:\\Games\\Install_props.xml");
    EXPECT_EQ(PropsCopyName("C:\\Games\\Install"), "C:\\Games\\Install_props.xml");
    EXPECT_EQ(PropsCopyName("C:\\My.Games\\Install"), "C:\\My_props.xml");
}

}  // namespace
