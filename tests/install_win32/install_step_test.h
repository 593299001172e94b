// What the tests of the install steps share: a fixture that starts every case from empty
// install.xml lists, a cleared Aborted flag and a fresh install log in the test's own temporary
// folder, runs a step while a BoxAnswerer answers its fatal boxes, and reads registry values back
// through the ordinary registry calls. Test keys live below Software\ZelTestInstall under HKCU and
// HKLM and are deleted after every case.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <functional>
#include <string>
#include <vector>

#include "driver/installer_state.h"
#include "install/install_log.h"
#include "install/registry.h"
#include "tests/common/test_files.h"
#include "tests/win32/box_answerer.h"

constexpr char kTestKey[] = "Software\\ZelTestInstall";
constexpr char kTestInstallName[] = "ZelTestInstall Game";
constexpr char kFatalTitle[] = "Setup Error";

// A value as the registry holds it.
struct StoredValue {
    bool found = false;
    DWORD type = REG_NONE;
    std::string data;
};

inline StoredValue ReadStoredValue(HKEY root, const std::string& path, const std::string& name) {
    StoredValue value;
    RegistryKey key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return value;
    char data[4096];
    DWORD size = sizeof data;
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &value.type, reinterpret_cast<BYTE*>(data), &size) !=
        ERROR_SUCCESS)
        return value;
    value.found = true;
    value.data.assign(data, size);
    return value;
}

inline bool KeyExists(HKEY root, const std::string& path) {
    RegistryKey key;
    return RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.Receive()) == ERROR_SUCCESS;
}

// The lines of a log as written, each with its CR LF.
inline std::string LogLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

class InstallStepTest : public ::testing::Test {
protected:
    void SetUp() override {
        Config().Registry.clear();
        Config().Shortcuts.clear();
        Config().UninstallCmd.clear();
        Installer().Aborted = false;
        Defines().Set("FATAL_POPUP_TITLE", kFatalTitle);
        Defines().Set("InstallName", kTestInstallName);
        logPath_ = TestFilePath("install.log");
        ASSERT_TRUE(OpenInstallLog(logPath_));
    }

    void TearDown() override {
        CloseInstallLog();
        SHDeleteKeyA(HKEY_CURRENT_USER, kTestKey);
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, kTestKey);
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKeyPath(kTestInstallName).c_str());
    }

    // Runs the step on this thread while the answerer presses OK on every box it shows.
    bool RunStep(const std::function<bool()>& step) {
        BoxAnswerer answerer(IDOK);
        bool result = step();
        boxes_ = answerer.Boxes();  // every box was recorded before it was answered
        return result;
    }

    // The texts of the boxes the last step showed; every one must carry the fatal title.
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const SeenBox& box : boxes_) {
            EXPECT_EQ(box.title, kFatalTitle);
            texts.push_back(box.text);
        }
        return texts;
    }

    // The whole log written so far; closes it.
    std::string LogText() {
        CloseInstallLog();
        return ReadTestFile(logPath_);
    }

    std::string logPath_;
    std::vector<SeenBox> boxes_;
};
