// Faults on a real machine, end to end: a disk that fills up during the install, a locked and a
// read-only target, the installer killed in the middle, and entry names that try to leave the
// install folder. Nothing is lost that was written, the log's lines are whole, and nothing lands
// outside the folders the installer owns.
#include "tests/e2e/wizard_fixture.h"

namespace {

// Every line of the log ends with CR LF: the file ends with one and holds no lone line feed.
void ExpectWholeLines(const std::string& log) {
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.substr(log.size() - 2), "\r\n") << log;
    for (size_t at = log.find('\n'); at != std::string::npos; at = log.find('\n', at + 1)) {
        EXPECT_EQ(log[at - 1], '\r') << "a line without its CR at byte " << at;
    }
}

// The disk fills up while the files are written: the warning, the retry, then the fatal box,
// the AbortPage and exit 10; the log's lines are whole.
TEST_F(Wizard, DiskFillsUpDuringTheInstall) {
    std::string root, target;
    TestPackage package;
    if (!OnSmallDrive(root, target, package)) GTEST_SKIP() << "no small drive (./run test maps one when it runs as root)";
    package.installXml = "<InstallConfig><InstallLog>%InstallPath%install.log</InstallLog>"
                         "<UninstallDeltree>%InstallPath%</UninstallDeltree><RunExe>x</RunExe></InstallConfig>";
    package.files["big.dat"] = std::string(1500000, 'B');
    InstallerRun& run = Build(package);
    std::string filler = root + "filler-" + FileNamePart(folder_);
    DeleteFileA(filler.c_str());
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Press(c::Welcome, "Next"));  // the space check passes here
    ASSERT_TRUE(run.Wait(c::License) != nullptr);
    uint64_t free = FreeBytes(root);
    ASSERT_GT(free, 300000u);
    WriteBytes(filler, std::string(size_t(free - 200 * 1024), 'f'));  // leaves 200 KB
    ASSERT_TRUE(run.Press(c::License, "I Agree"));
    ExpectExtractionFailsTwice(run);
    EXPECT_TRUE(run.WorkspaceGone());
    std::string log = ReadTestFile(target + "install.log");
    ExpectWholeLines(log);
    EXPECT_EQ(log.rfind("<InstallLog>\r\n\t<InstallName>This Program</InstallName>\r\n", 0), 0u) << log;
    // The file written in part is known to the uninstaller, once per attempt.
    EXPECT_NE(log.find("\t<File>" + target + "big.dat</File>\r\n"), std::string::npos) << log;
    DeleteFileA(filler.c_str());
    RemoveTree(target);
}

// A target held open by another program: the retry fails too, and the run is abandoned.
TEST_F(Wizard, LockedTargetFileAbandonsTheRun) {
    InstallerRun& run = Build(TestPackage());
    MakeDirectories(games_);
    HANDLE lock = CreateFileA((games_ + "game.exe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Press(c::Welcome, "Next"));
    ASSERT_TRUE(run.Press(c::License, "I Agree"));
    ExpectExtractionFailsTwice(run);
    CloseHandle(lock);
    std::string log = ReadTestFile(games_ + "install.log");
    ExpectWholeLines(log);
    EXPECT_EQ(log.substr(log.size() - 15), "</InstallLog>\r\n");
    EXPECT_EQ(log.find("<Registry>"), std::string::npos);  // nothing after the failed extraction
}

TEST_F(Wizard, ReadOnlyTargetIsReplaced) {
    InstallerRun& run = Build(TestPackage());
    MakeDirectories(games_ + "data");
    WriteBytes(games_ + "data\\level.dat", "old level");
    SetFileAttributesA((games_ + "data\\level.dat").c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Press(c::Welcome, "Next"));
    FinishFromLicense(run, false);
    EXPECT_EQ(run.ExitCode(), 0u);
    ExpectInstalled();
}

// The installer ends abruptly while its last command runs: the log holds whole lines up to
// there, without the closing line.
TEST_F(Wizard, KilledInTheMiddleLeavesWholeLogLines) {
    TestPackage package;
    package.installXml = TestPackage().installXml;
    // The command leaves a marker once it runs: the installer is killed only then, not while
    // it is still starting the command (a process killed in the middle of starting another
    // can leave that one stuck in its start-up under Wine).
    std::string started = folder_ + "\\postexec-started";
    package.installXml.replace(package.installXml.find("</InstallConfig>"), 16,
                               "<PostExec><Exe>" + TestBinFolder() + "sleeper.exe</Exe><Params>8000 " + started +
                                   "</Params></PostExec></InstallConfig>");
    InstallerRun& run = Build(package);
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Press(c::Welcome, "Next"));
    ASSERT_TRUE(run.Press(c::License, "I Agree"));
    for (int i = 0; i < 600 && !FileExists(started); ++i) Sleep(50);
    ASSERT_TRUE(FileExists(started));
    std::string log = ReadTestFile(games_ + "install.log");
    ASSERT_NE(log.find("Play.lnk</File>\r\n"), std::string::npos) << log;
    run.Kill();
    EndProcessesNamed("sleeper.exe");
    log = ReadTestFile(games_ + "install.log");
    ExpectWholeLines(log);
    EXPECT_EQ(log.find("</InstallLog>"), std::string::npos);
    EXPECT_NE(log.find("\t</Registry>\r\n"), std::string::npos);
}

// Entry names that try to leave the install folder (or the Workspace): nothing is written
// outside, and the run is abandoned.
TEST_F(Wizard, EntryNamesLeavingTheInstallFolderWriteNothingOutside) {
    TestPackage package;
    package.rawEntries = {{"files\\..\\..\\evil.txt", "evil"}, {"files\\sub\\..\\..\\evil2.txt", "evil"}};
    InstallerRun& run = Build(package);
    ASSERT_TRUE(run.Built()) << run.Error();
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Press(c::Welcome, "Next"));
    ASSERT_TRUE(run.Press(c::License, "I Agree"));
    ExpectExtractionFailsTwice(run);
    EXPECT_FALSE(FileExists(folder_ + "\\Games\\evil.txt"));
    EXPECT_FALSE(FileExists(folder_ + "\\evil.txt"));
    EXPECT_FALSE(FileExists(folder_ + "\\Games\\evil2.txt"));
    EXPECT_FALSE(FileExists(games_ + "game.exe"));  // refused before anything was written
}

TEST_F(Wizard, SetupEntryNamesLeavingTheWorkspaceWriteNothingOutside) {
    TestPackage package;
    package.rawEntries = {{"cfg\\..\\evil.txt", "evil"}};
    InstallerRun& run = Build(package);
    ASSERT_TRUE(run.Built()) << run.Error();
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(run.Answer("", IDOK), "Failed to decompress setup files!");  // before props.xml: no title
    run.Answer("", IDCANCEL);  // the AbortPage, whose texts are empty too
    EXPECT_EQ(run.ExitCode(), Abandoned);
    EXPECT_TRUE(run.WorkspaceGone());
    EXPECT_FALSE(FileExists(run.Tmp() + "\\evil.txt"));
}

}  // namespace
