// The whole installer, clicked through under Wine: every path of the wizard on the real
// setup.exe, with the exit code, the Workspace removed, and what ended up on the machine.
#include "driver/cabinet_extractor.h"
#include "tests/e2e/wizard_fixture.h"
#include "tools/mksetup/installer_image.h"

namespace {

TEST_F(Wizard, NextGoesStraightToLicenseAndInstalls) {
    InstallerRun& run = Build(TestPackage());
    ASSERT_TRUE(run.Start({"DEMO_GAME_EXIT=1"}));
    HWND welcome = run.Wait(c::Welcome);
    ASSERT_TRUE(welcome != nullptr);
    EXPECT_EQ(run.Text(welcome, WelcomeFolderLine), games_);
    EXPECT_EQ(run.Text(welcome, WelcomeGroupLine), "Zel Group");
    ASSERT_TRUE(run.Press(c::Welcome, "Next"));
    FinishFromLicense(run, true);
    EXPECT_EQ(run.ExitCode(), 0u);
    EXPECT_TRUE(run.WorkspaceGone());
    ExpectInstalled();
    for (int i = 0; i < 100 && !FileExists(games_ + "started.txt"); ++i) Sleep(100);
    EXPECT_TRUE(FileExists(games_ + "started.txt"));  // the game was launched
}

TEST_F(Wizard, ChangeSettingsBackThenATypedFolder) {
    InstallerRun& run = Build(TestPackage());
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Press(c::Welcome, "Change Settings"));
    HWND options = run.Wait(c::Options);
    ASSERT_TRUE(options != nullptr);
    EXPECT_EQ(run.Text(options, InstallFolderBox), games_);
    run.SetText(options, InstallFolderBox, folder_ + "\\Elsewhere");
    ASSERT_TRUE(run.Press(c::Options, "Back"));
    HWND welcome = run.Wait(c::Welcome);
    ASSERT_TRUE(welcome != nullptr);
    EXPECT_EQ(run.Text(welcome, WelcomeFolderLine), games_);  // Back stores nothing
    ASSERT_TRUE(run.Press(c::Welcome, "Change Settings"));
    options = run.Wait(c::Options);
    ASSERT_TRUE(options != nullptr);
    Sleep(100);
    run.SetText(options, InstallFolderBox, folder_ + "\\Typed\\");  // the trailing separator is dropped
    run.SetText(options, GroupBox, "Typed Group");
    ASSERT_TRUE(run.Press(c::Options, "Next"));
    FinishFromLicense(run, false);
    EXPECT_EQ(run.ExitCode(), 0u);
    EXPECT_TRUE(run.WorkspaceGone());
    EXPECT_TRUE(FileExists(folder_ + "\\Typed\\data\\level.dat"));
    EXPECT_TRUE(FileExists(folder_ + "\\Menu\\Typed Group\\Play.lnk"));
    EXPECT_FALSE(FileExists(folder_ + "\\Typed\\started.txt"));  // not launched
}

// Cancel is asked about on every page; No keeps the page, Yes abandons the run.
TEST_F(Wizard, CancelOnEachPageAnsweredNoThenYes) {
    const struct {
        const char* page;
        std::vector<const char*> before;  // buttons pressed on the way, page by page
        const char* cancel;
    } cases[] = {
        {c::Welcome, {}, "Cancel"},
        {c::Options, {"Change Settings"}, "Cancel"},
        {c::License, {"Next"}, "I Disagree"},
    };
    for (const auto& cancelCase : cases) {
        InstallerRun& run = Build(TestPackage());
        ASSERT_TRUE(run.Start());
        if (!cancelCase.before.empty()) {
            ASSERT_TRUE(run.Press(c::Welcome, cancelCase.before[0]));
        }
        ASSERT_TRUE(run.Press(cancelCase.page, cancelCase.cancel));
        EXPECT_EQ(run.Answer(c::CancelQuestion, IDNO), "Really cancel?");
        ASSERT_TRUE(run.Press(cancelCase.page, cancelCase.cancel)) << "the page stays after No";
        run.Answer(c::CancelQuestion, IDYES);
        ASSERT_TRUE(run.Press(c::Abort, "Exit"));
        EXPECT_EQ(run.ExitCode(), Abandoned) << cancelCase.page;
        EXPECT_TRUE(run.WorkspaceGone()) << cancelCase.page;
        EXPECT_FALSE(FileExists(games_)) << cancelCase.page;
    }
}

TEST_F(Wizard, InvalidDriveReturnsToOptions) {
    TestPackage package;
    package.definesXml =
        "<Defines><Define><Name>InstallPath</Name><Value>Q:\\Zel</Value></Define>"
        "<Define><Name>InstallGroup</Name><Value>Zel Group</Value></Define></Defines>";
    InstallerRun& run = Build(package);
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Press(c::Welcome, "Next"));  // also from Welcome, the gate sends to Options
    EXPECT_EQ(run.Answer("Invalid Drive!", IDOK), "The drive specified is not valid.  Please select a different path.");
    HWND options = run.Wait(c::Options);
    ASSERT_TRUE(options != nullptr);
    Sleep(100);
    run.SetText(options, InstallFolderBox, "R:\\Zel");
    ASSERT_TRUE(run.Press(c::Options, "Next"));
    EXPECT_EQ(run.Answer("Invalid Drive!", IDOK), "The drive specified is not valid.  Please select a different path.");
    options = run.Wait(c::Options);
    ASSERT_TRUE(options != nullptr);
    Sleep(100);
    run.SetText(options, InstallFolderBox, games_);
    ASSERT_TRUE(run.Press(c::Options, "Next"));
    FinishFromLicense(run, false);
    EXPECT_EQ(run.ExitCode(), 0u);
    EXPECT_TRUE(FileExists(games_ + "data\\level.dat"));
}

TEST_F(Wizard, BrokenPropertiesShowOneBoxAndNoAbortPage) {
    TestPackage package;
    package.extraCfg["props.xml"] = "<Properties>\n<String id=\"X\">a</Strin>\n</Properties>";
    InstallerRun& run = Build(package);
    ASSERT_TRUE(run.Start());
    std::string text = run.Answer("Fatal Error!", IDOK);
    EXPECT_EQ(text.rfind("Properties file error: 'End 'Strin' Doesn't Match Start 'String' on Line 2 in File '", 0), 0u) << text;
    EXPECT_EQ(run.ExitCode(), Abandoned);
    EXPECT_TRUE(run.WorkspaceGone());
}

TEST_F(Wizard, BrokenInstallOrDefinesShowTheirErrorThenTheAbortPage) {
    const struct {
        const char* file;
        const char* contents;
        const char* message;
    } cases[] = {
        {"install.xml", "<InstallConfig>\n<Runexe>x</Runexe></InstallConfig>", "Invalid Section 'Runexe' on Line 2 in File '"},
        {"defines.xml", "<Defines><Define>text</Define></Defines>", "Element Not Expected 'text' on Line 1 in File '"},
    };
    for (const auto& brokenCase : cases) {
        TestPackage package;
        package.extraCfg[brokenCase.file] = brokenCase.contents;
        InstallerRun& run = Build(package);
        ASSERT_TRUE(run.Start());
        std::string text = run.Answer(c::Fatal, IDOK);
        EXPECT_EQ(text.rfind(brokenCase.message, 0), 0u) << text;
        EXPECT_NE(text.find(brokenCase.file), std::string::npos) << text;
        ASSERT_TRUE(run.Press(c::Abort, "Exit"));
        EXPECT_EQ(run.ExitCode(), Abandoned) << brokenCase.file;
        EXPECT_TRUE(run.WorkspaceGone()) << brokenCase.file;
    }
}

TEST_F(Wizard, AttachedDefinesOverrideAndFail) {
    TestPackage package;
    package.props["WELCOME_DIALOG_LINE1"] = "From props";
    package.attachedDefines = {
        "<Defines><Define><Name>InstallGroup</Name><Value>First Attached</Value></Define></Defines>",
        "<Defines><Define><Name>InstallGroup</Name><Value>Last Attached</Value></Define>"
        "<Define><Name>WELCOME_DIALOG_LINE1</Name><Value>From attached</Value></Define></Defines>",
    };
    {
        InstallerRun& run = Build(package);
        ASSERT_TRUE(run.Start());
        HWND welcome = run.Wait(c::Welcome);
        ASSERT_TRUE(welcome != nullptr);
        Sleep(100);
        EXPECT_EQ(run.Text(welcome, WelcomeGroupLine), "Last Attached");
        EXPECT_EQ(run.Text(welcome, 1019), "From attached");
        ASSERT_TRUE(run.Press(c::Welcome, "Cancel"));
        run.Answer(c::CancelQuestion, IDYES);
        ASSERT_TRUE(run.Press(c::Abort, "Exit"));
        EXPECT_EQ(run.ExitCode(), Abandoned);
    }
    package.attachedDefines = {"<Defines>\n<Define>\n</Defines>"};
    InstallerRun& run = Build(package);
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(run.Answer(c::Fatal, IDOK), "Attached Defines: End 'Defines' Doesn't Match Start 'Define' on Line 3");
    ASSERT_TRUE(run.Press(c::Abort, "Exit"));
    EXPECT_EQ(run.ExitCode(), Abandoned);
    EXPECT_TRUE(run.WorkspaceGone());
}

TEST_F(Wizard, EmptyRunExeEndsWithoutLaunchPage) {
    TestPackage package;
    package.installXml = "<InstallConfig><InstallLog>%InstallPath%install.log</InstallLog></InstallConfig>";
    InstallerRun& run = Build(package);
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Press(c::Welcome, "Next"));
    ASSERT_TRUE(run.Press(c::License, "I Agree"));
    EXPECT_EQ(run.ExitCode(), 0u);
    EXPECT_TRUE(run.WorkspaceGone());
    EXPECT_EQ(ReadTestFile(games_ + "install.log").substr(0, 14), "<InstallLog>\r\n");
}

TEST_F(Wizard, FailingPreExecAbandonsTheRun) {
    TestPackage package;
    package.installXml =
        "<InstallConfig><InstallLog>%InstallPath%install.log</InstallLog>"
        "<PreExec><Exe>%Root%\\missing.exe</Exe></PreExec>"
        "<UninstallDeltree>%InstallPath%</UninstallDeltree><RunExe>x</RunExe></InstallConfig>";
    InstallerRun& run = Build(package);
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Press(c::Welcome, "Next"));
    ASSERT_TRUE(run.Press(c::License, "I Agree"));
    EXPECT_EQ(run.Answer(c::Fatal, IDOK), "Failed to execute '" + folder_ + "\\missing.exe'");
    ASSERT_TRUE(run.Press(c::Abort, "Exit"));
    EXPECT_EQ(run.ExitCode(), Abandoned);
    EXPECT_TRUE(run.WorkspaceGone());
    EXPECT_EQ(ReadTestFile(games_ + "install.log"),
              "<InstallLog>\r\n\t<InstallName>Zel Test</InstallName>\r\n\t<UninstallDeltree>" + games_ +
                  "</UninstallDeltree>\r\n</InstallLog>\r\n");
}

TEST_F(Wizard, ExtractionFailingOnceSucceedsOnRetry) {
    InstallerRun& run = Build(TestPackage());
    CreateDirectoryA((folder_ + "\\Games").c_str(), nullptr);
    CreateDirectoryA(games_.c_str(), nullptr);
    HANDLE lock = CreateFileA((games_ + "game.exe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Press(c::Welcome, "Next"));
    ASSERT_TRUE(run.Press(c::License, "I Agree"));
    HWND box = run.Wait(c::FilesInUse);
    ASSERT_TRUE(box != nullptr);
    CloseHandle(lock);
    EXPECT_EQ(run.Answer(c::FilesInUse, IDOK), "Close Zel and press OK.");
    HWND launch = run.Wait(c::Launch, 60000);
    ASSERT_TRUE(launch != nullptr);
    SendDlgItemMessageA(launch, LaunchCheck, BM_SETCHECK, BST_UNCHECKED, 0);
    ASSERT_TRUE(run.Press(c::Launch, "Done"));
    EXPECT_EQ(run.ExitCode(), 0u);
    ExpectInstalled();
}

// Cancel while a long PreExec command runs: the page stays until the worker has finished,
// then the AbortPage; the log is closed with its last line.
TEST_F(Wizard, CancelDuringInstallWaitsForTheWorker) {
    TestPackage package;
    package.files["sleeper.exe"] = ReadTestFile(TestBinFolder() + "sleeper.exe");
    package.installXml =
        "<InstallConfig><InstallLog>%Root%\\log\\install.log</InstallLog>"
        "<PreExec><Exe>" + TestBinFolder() + "sleeper.exe</Exe><Params>60000</Params></PreExec>"
        "<RunExe>x</RunExe></InstallConfig>";
    InstallerRun& run = Build(package);
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Press(c::Welcome, "Next"));
    ASSERT_TRUE(run.Press(c::License, "I Agree"));
    ASSERT_TRUE(run.Press(c::Install, "Cancel"));
    EXPECT_EQ(run.Answer(c::CancelQuestion, IDNO), "Really cancel?");
    ASSERT_TRUE(run.Press(c::Install, "Cancel")) << "the page stays after No";
    run.Answer(c::CancelQuestion, IDYES);
    ASSERT_TRUE(run.Press(c::Abort, "Exit"));
    EXPECT_EQ(run.ExitCode(), Abandoned);
    EXPECT_TRUE(run.WorkspaceGone());
    std::string log = ReadTestFile(folder_ + "\\log\\install.log");
    EXPECT_EQ(log.substr(log.size() - 15), "</InstallLog>\r\n") << log;
    EXPECT_FALSE(FileExists(games_ + "data\\level.dat"));
    EndProcessesNamed("sleeper.exe");  // the command goes on running after a cancel
}

}  // namespace

namespace {

// Space the Prepare step counts for a package: every cabinet entry, rounded.
int64_t SpaceNeededFor(const std::string& packageFolder) {
    std::vector<cabwriter::CabinetEntry> entries;
    std::string error;
    EXPECT_TRUE(PackageEntries(packageFolder, entries, error)) << error;
    int64_t needed = 0;
    for (const auto& entry : entries) needed += RoundedEntrySpace(static_cast<uint32_t>(entry.size));
    return needed;
}

// The install drive is a small file system of its own: free space one page short of what the
// cabinet needs sends the user back to Options; exactly what it needs lets the install go on.
// (Free space on that file system comes in whole pages of 4096 bytes, so "short" is one page.)
TEST_F(Wizard, TooLittleSpaceOnTheInstallDrive) {
    std::string root, target;
    TestPackage package;
    if (!OnSmallDrive(root, target, package)) GTEST_SKIP() << "no small drive (./run test maps one when it runs as root)";
    package.installXml = "<InstallConfig><InstallLog>%InstallPath%install.log</InstallLog></InstallConfig>";
    package.files["data\\level.dat"] = std::string(40000, 'L');
    InstallerRun& run = Build(package);
    int64_t needed = SpaceNeededFor(folder_ + "\\package");
    std::string filler = root + "filler-" + FileNamePart(folder_);
    DeleteFileA(filler.c_str());
    int64_t free = static_cast<int64_t>(FreeBytes(root));
    ASSERT_GE(free, needed + 8192) << "the small drive is too small for the test";

    WriteBytes(filler, std::string(size_t(free - needed + 4096), 'f'));
    ASSERT_EQ(static_cast<int64_t>(FreeBytes(root)), needed - 4096);
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Press(c::Welcome, "Next"));
    EXPECT_EQ(run.Answer("Insufficient Space!", IDOK),
              "The drive specified does not have sufficient space.  Please select a different path.");
    ASSERT_TRUE(run.Press(c::Options, "Cancel"));
    run.Answer(c::CancelQuestion, IDYES);
    ASSERT_TRUE(run.Press(c::Abort, "Exit"));
    EXPECT_EQ(run.ExitCode(), Abandoned);

    WriteBytes(filler, std::string(size_t(free - needed), 'f'));
    ASSERT_EQ(static_cast<int64_t>(FreeBytes(root)), needed);
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Press(c::Welcome, "Next"));
    ASSERT_TRUE(run.Press(c::License, "I Agree"));
    EXPECT_EQ(run.ExitCode(), 0u);
    EXPECT_EQ(ReadTestFile(target + "data\\level.dat"), std::string(40000, 'L'));
    DeleteFileA(filler.c_str());
    RemoveTree(target);
}

// A machine whose DirectX is older than 3.0 (a prefix without the diagnostics provider and
// without the system libraries the file checks read): the message, then exit code 2.
TEST_F(Wizard, DirectXTooOld) {
    if (Setting("ZEL_OLD_DIRECTX").empty()) GTEST_SKIP() << "runs only in the prefix prepared for it (./run test)";
    InstallerRun& run = Build(TestPackage());
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(run.Answer("Zel DirectX", IDCANCEL), "Zel needs DirectX 3.0.");
    EXPECT_EQ(run.ExitCode(), 2u);
    EXPECT_TRUE(run.WorkspaceGone());
    EXPECT_FALSE(FileExists(games_));
}

BOOL CALLBACK CollectTitle(HWND window, LPARAM param) {
    if (IsWindowVisible(window)) *reinterpret_cast<std::string*>(param) += "[" + WindowText(window) + "] ";
    return TRUE;
}

// View Readme opens the Workspace's readme.txt with the shell and leaves the page open.
TEST_F(Wizard, ViewReadmeOpensTheReadme) {
    TestPackage package;
    package.readme = "Zel readme text\n";
    InstallerRun& run = Build(package);
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Press(c::Welcome, "Next"));
    ASSERT_TRUE(run.Press(c::License, "I Agree"));
    ASSERT_TRUE(run.Press(c::Launch, "View Readme"));
    // The shell's viewer for text files shows a window named after the file.
    HWND viewer = nullptr;
    for (int i = 0; i < 300 && !viewer; ++i) {
        viewer = FindWindowA(nullptr, "readme.txt - Notepad");
        if (!viewer) viewer = FindWindowA(nullptr, "readme - Notepad");
        if (!viewer) Sleep(50);
    }
    if (!viewer) {
        std::string titles;
        EnumWindows(CollectTitle, reinterpret_cast<LPARAM>(&titles));
        ADD_FAILURE() << "no viewer window for readme.txt; windows: " << titles;
    }
    if (viewer) PostMessageA(viewer, WM_CLOSE, 0, 0);
    HWND launch = run.Wait(c::Launch);
    ASSERT_TRUE(launch != nullptr);  // the page stays
    SendDlgItemMessageA(launch, LaunchCheck, BM_SETCHECK, BST_UNCHECKED, 0);
    ASSERT_TRUE(run.Press(c::Launch, "Done"));
    EXPECT_EQ(run.ExitCode(), 0u);
}

}  // namespace
