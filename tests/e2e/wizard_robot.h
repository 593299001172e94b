// End-to-end tests of the real installer: a package written by the test, packed into a
// setup.exe with the project's own packer, started in a private TMP, and driven page by page
// by the robot, as a user would.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "tests/win32/robot.h"

struct InstallerInputs;

// Page captions and button texts the test package gives the installer.
namespace captions {
constexpr const char* Prepare = "Preparing Installer ...";
constexpr const char* Welcome = "Welcome to Zel";
constexpr const char* Options = "Zel Options";
constexpr const char* License = "Zel License";
constexpr const char* Install = "Installing Zel";
constexpr const char* Launch = "Zel Installed";
constexpr const char* Abort = "Zel Cancelled";
constexpr const char* Fatal = "Zel Error";
constexpr const char* CancelQuestion = "Cancel Zel?";
constexpr const char* FilesInUse = "Zel Files In Use";
}  // namespace captions

// A package folder: cfg\ documents and files\ entries, as texts.
struct TestPackage {
    std::map<std::string, std::string> props;   // id -> text, the complete set by default
    std::string installXml;                     // the whole install.xml
    std::string definesXml;                     // the whole defines.xml
    std::string license = "License line one\nLicense line two\n";
    std::string readme = "Read me.\n";
    std::map<std::string, std::string> files;   // name below files\ -> contents
    std::map<std::string, std::string> extraCfg;  // raw cfg\ files (e.g. a broken props.xml)
    std::vector<std::string> attachedDefines;   // texts of defines records
    // Entries added to the cabinet under exactly these names, such as names that try to leave
    // the install folder, which no package folder can hold.
    std::vector<std::pair<std::string, std::string>> rawEntries;
    bool withGame = true;                       // files\game.exe is the demo game

    TestPackage();
    std::string PropsXml() const;
};

class InstallerRun {
public:
    // Writes the package below folder, packs it into folder\setup.exe.
    InstallerRun(const std::string& folder, const TestPackage& package);
    ~InstallerRun();

    bool Built() const { return built_; }
    const std::string& Error() const { return error_; }
    const std::string& Tmp() const { return tmp_; }

    // Starts setup.exe with TMP set to the private folder (plus more NAME=VALUE settings).
    bool Start(const std::vector<std::string>& environment = {});

    // The page or box with this caption, once it is shown; null after timeoutMs.
    HWND Wait(const char* caption, DWORD timeoutMs = 30000);
    // Waits for the page, then presses its button with the given text.
    bool Press(const char* caption, const std::string& button);
    // The message box with this title: its text; answered with buttonId.
    std::string Answer(const char* title, int buttonId);
    void SetText(HWND page, int controlId, const std::string& text);
    std::string Text(HWND page, int controlId);

    // Waits for the installer to end; ~0u on timeout (it is then killed).
    DWORD ExitCode(DWORD timeoutMs = 60000);
    bool WorkspaceGone() const;
    // Ends the installer at once, as a crash or a power cut would.
    void Kill() { Terminate(process_); }

private:
    bool BuildWithRawEntries(const InstallerInputs& inputs,
                             const std::vector<std::pair<std::string, std::string>>& rawEntries);

    std::string folder_, tmp_, exe_;
    bool built_ = false;
    std::string error_;
    RobotProcess process_;
};

std::string TestBinFolder();
bool FileExists(const std::string& path);
