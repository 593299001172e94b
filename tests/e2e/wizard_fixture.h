// The fixture of the end-to-end tests: a test folder, the installer run, and the checks of a
// completed install. One fixture for every test file of the program (gtest requires one class
// per suite), so it lives outside any unnamed namespace.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <memory>

#include "config/paths.h"
#include "driver/workspace.h"
#include "tests/common/test_files.h"
#include "tests/e2e/wizard_robot.h"

namespace c = captions;

// Control ids of the pages.
constexpr int InstallFolderBox = 1006;
constexpr int GroupBox = 1008;
constexpr int WelcomeFolderLine = 1020;
constexpr int WelcomeGroupLine = 1021;
constexpr int LaunchCheck = 1022;

constexpr DWORD Abandoned = 10;

inline std::string Registry(const char* key, const char* name) {
    char value[512] = {};
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) return "<missing>";
    return value;
}

// Settings the special cases run with; ./run test provides them (see ./run).
inline std::string Setting(const char* name) {
    char value[512];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

// Bytes available to the user on the drive of root ("S:\\").
inline uint64_t FreeBytes(const std::string& root) {
    ULARGE_INTEGER available, total, free;
    if (!GetDiskFreeSpaceExA(root.c_str(), &available, &total, &free)) return 0;
    return available.QuadPart;
}

class Wizard : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = TestFilePath("e2e");
        games_ = folder_ + "\\Games\\Zel\\";
    }
    void TearDown() override {
        SHDeleteKeyA(HKEY_CURRENT_USER, RegistryKey().c_str());
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zel Test");
        run_.reset();
        if (!HasFailure()) RemoveTree(folder_);
    }

    std::string RegistryKey() const { return "Software\\ZelE2E\\" + FileNamePart(folder_); }

    InstallerRun& Build(const TestPackage& package) {
        run_.reset(new InstallerRun(folder_, package));
        EXPECT_TRUE(run_->Built()) << run_->Error();
        return *run_;
    }

    // Agree, wait for the install, and finish on the Launch page with the box ticked or not.
    void FinishFromLicense(InstallerRun& run, bool launch) {
        ASSERT_TRUE(run.Press(c::License, "I Agree"));
        HWND page = run.Wait(c::Launch, 60000);
        ASSERT_TRUE(page != nullptr);
        if (!launch) SendDlgItemMessageA(page, LaunchCheck, BM_SETCHECK, BST_UNCHECKED, 0);
        ASSERT_TRUE(run.Press(c::Launch, "Done"));
    }

    // The folder of this test on the small drive that ./run test maps (as root), made empty,
    // and a package that installs there; false when there is no small drive.
    bool OnSmallDrive(std::string& root, std::string& target, TestPackage& package) {
        std::string drive = Setting("ZEL_SMALL_DRIVE");
        if (drive.empty()) return false;
        root = drive + "\\";
        target = root + FileNamePart(folder_) + "\\";
        RemoveTree(target);
        package.definesXml = "<Defines><Define><Name>InstallPath</Name><Value>" + target +
                             "</Value></Define><Define><Name>InstallGroup</Name><Value>G</Value></Define></Defines>";
        package.withGame = false;
        return true;
    }

    // The ending of an install whose extraction fails twice: the warning answered with OK, the
    // retry failing too, the fatal box, the AbortPage, exit code 10.
    void ExpectExtractionFailsTwice(InstallerRun& run) {
        EXPECT_EQ(run.Answer(c::FilesInUse, IDOK), "Close Zel and press OK.");
        EXPECT_EQ(run.Answer(c::Fatal, IDOK), "Failed to decompress files!");
        ASSERT_TRUE(run.Press(c::Abort, "Exit"));
        EXPECT_EQ(run.ExitCode(), Abandoned);
    }

    void ExpectInstalled() {
        EXPECT_EQ(ReadTestFile(games_ + "data\\level.dat"), std::string(70000, 'L'));
        EXPECT_TRUE(FileExists(games_ + "game.exe"));
        EXPECT_EQ(Registry(RegistryKey().c_str(), "Path"), games_);
        EXPECT_TRUE(FileExists(folder_ + "\\Menu\\Zel Group\\Play.lnk"));
        std::string log = ReadTestFile(games_ + "install.log");
        EXPECT_EQ(log.rfind("<InstallLog>\r\n\t<InstallName>Zel Test</InstallName>\r\n", 0), 0u) << log;
        EXPECT_NE(log.find("\t<File>" + games_ + "data\\level.dat</File>\r\n"), std::string::npos) << log;
        EXPECT_NE(log.find("\t<File>" + folder_ + "\\Menu\\Zel Group\\Play.lnk</File>\r\n"), std::string::npos) << log;
        EXPECT_EQ(log.substr(log.size() - 15), "</InstallLog>\r\n");
        EXPECT_TRUE(FileExists(games_ + "install_props.xml"));
    }

    std::string folder_, games_;
    std::unique_ptr<InstallerRun> run_;
};

