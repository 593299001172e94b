// The end-to-end robot: packs a test package with the project's packer and drives the installer.
#include "tests/e2e/wizard_robot.h"

#include "config/paths.h"
#include "driver/payload_chain.h"
#include "driver/workspace.h"
#include "tests/common/test_files.h"
#include "tools/mksetup/installer_image.h"

namespace {

// Every text the pages and boxes use, each distinct so that the robot can tell them apart.
const std::map<std::string, std::string> kProps = {
    {"WELCOME_DIALOG_TITLE", "Welcome to Zel"},
    {"WELCOME_DIALOG_LINE1", "Welcome"},
    {"WELCOME_DIALOG_LINE2", "This installs %InstallName%."},
    {"WELCOME_DIALOG_DIRECTORY", "Folder:"},
    {"WELCOME_DIALOG_MENU_LOCATION", "Group:"},
    {"OPTIONS_DIALOG_TITLE", "Zel Options"},
    {"OPTIONS_DIALOG_LINE1", "Options"},
    {"OPTIONS_DIALOG_DIRECTORY", "Install in:"},
    {"OPTIONS_DIALOG_MENU_LOCATION", "Menu group:"},
    {"LICENSE_DIALOG_TITLE", "Zel License"},
    {"LICENSE_DIALOG_LINE1", "License"},
    {"INSTALL_DIALOG_TITLE", "Installing Zel"},
    {"INSTALL_DIALOG_LINE1", "Installing"},
    {"INSTALL_DIALOG_EXTRACTING", "Extracting"},
    {"INSTALL_DIALOG_TOTAL_PROGRESS", "Total"},
    {"LAUNCH_DIALOG_TITLE", "Zel Installed"},
    {"LAUNCH_DIALOG_LINE1", "Done"},
    {"LAUNCH_DIALOG_LINE2", "Installed in %InstallPath%."},
    {"LAUNCH_DIALOG_LINE3", "Have fun."},
    {"LAUNCH_DIALOG_LAUNCH_CHECK", "Start Zel"},
    {"ABORT_DIALOG_TITLE", "Zel Cancelled"},
    {"ABORT_DIALOG_LINE1", "Cancelled"},
    {"ABORT_DIALOG_LINE2", "Not installed."},
    {"ABORT_DIALOG_LINE3", "Bye."},
    {"BUTTON_NEXT", "Next"},
    {"BUTTON_BACK", "Back"},
    {"BUTTON_CANCEL", "Cancel"},
    {"BUTTON_CHANGE_SETTINGS", "Change Settings"},
    {"BUTTON_BROWSE", "Browse"},
    {"BUTTON_AGREE", "I Agree"},
    {"BUTTON_DONT_AGREE", "I Disagree"},
    {"BUTTON_VIEW_README", "View Readme"},
    {"BUTTON_DONE", "Done"},
    {"BUTTON_EXIT", "Exit"},
    {"FATAL_POPUP_TITLE", "Zel Error"},
    {"ABORT_POPUP_TITLE", "Cancel Zel?"},
    {"ABORT_POPUP_TEXT", "Really cancel?"},
    {"DX_UPGRADE_TITLE", "Zel DirectX"},
    {"DX_UPGRADE_TEXT", "Zel needs DirectX %MinDXVer%."},
    {"UNINSTALL_ENSURE_NOT_RUNNING_TITLE", "Zel Files In Use"},
    {"UNINSTALL_ENSURE_NOT_RUNNING_TEXT", "Close Zel and press OK."},
};

void WriteFileMakingFolders(const std::string& path, const std::string& contents) {
    MakeDirectories(DirectoryPart(path));
    WriteBytes(path, contents);
}

}  // namespace

std::string TestBinFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return DirectoryPart(path) + "\\";
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TestPackage::TestPackage() : props(kProps) {
    definesXml =
        "<Defines>\n"
        "  <Define><Name>InstallName</Name><Value>Zel Test</Value></Define>\n"
        "  <Define><Name>InstallPath</Name><Value>%Root%\\Games\\Zel\\</Value></Define>\n"
        "  <Define><Name>InstallGroup</Name><Value>Zel Group</Value></Define>\n"
        "</Defines>\n";
    installXml =
        "<InstallConfig>\n"
        "  <RunExe>%InstallPath%game.exe</RunExe>\n"
        "  <InstallLog>%InstallPath%install.log</InstallLog>\n"
        "  <UninstallCmd>%InstallPath%uninstall.exe</UninstallCmd>\n"
        "  <UninstallDeltree>%InstallPath%</UninstallDeltree>\n"
        "  <Registry>\n"
        "    <RegValue><Key>HKCU\\Software\\ZelE2E\\%TestId%</Key><TypeNum>0</TypeNum><Name>Path</Name><Value>%InstallPath%</Value></RegValue>\n"
        "  </Registry>\n"
        "  <Shortcuts>\n"
        "    <Shortcut><Dest>%Root%\\Menu\\%InstallGroup%\\Play</Dest><Target>%InstallPath%game.exe</Target></Shortcut>\n"
        "  </Shortcuts>\n"
        "</InstallConfig>\n";
    files["data\\level.dat"] = std::string(70000, 'L');
}

std::string TestPackage::PropsXml() const {
    std::string xml = "<Properties>\n";
    for (const auto& [id, text] : props) xml += "  <String id=\"" + id + "\">" + text + "</String>\n";
    return xml + "</Properties>\n";
}

InstallerRun::InstallerRun(const std::string& folder, const TestPackage& package) : folder_(folder) {
    RemoveTree(folder_);
    CreateDirectoryA(folder_.c_str(), nullptr);
    tmp_ = folder_ + "\\tmp";
    CreateDirectoryA(tmp_.c_str(), nullptr);
    std::string root = folder_ + "\\package";
    // %Root% in the package's texts names the test's folder, %TestId% its last component (tests
    // that run side by side keep their registry values apart with it).
    std::string testId = FileNamePart(folder_);
    auto withRoot = [&](std::string text) {
        for (const auto& [name, value] : {std::make_pair(std::string("%Root%"), folder_), std::make_pair(std::string("%TestId%"), testId)}) {
            for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at)) {
                text.replace(at, name.size(), value);
                at += value.size();
            }
        }
        return text;
    };
    WriteFileMakingFolders(root + "\\cfg\\props.xml", withRoot(package.PropsXml()));
    WriteFileMakingFolders(root + "\\cfg\\install.xml", withRoot(package.installXml));
    WriteFileMakingFolders(root + "\\cfg\\defines.xml", withRoot(package.definesXml));
    WriteFileMakingFolders(root + "\\cfg\\license.txt", package.license);
    WriteFileMakingFolders(root + "\\cfg\\readme.txt", package.readme);
    for (const auto& [name, contents] : package.extraCfg) WriteFileMakingFolders(root + "\\cfg\\" + name, withRoot(contents));
    for (const auto& [name, contents] : package.files) WriteFileMakingFolders(root + "\\files\\" + name, contents);
    if (package.withGame) {
        WriteFileMakingFolders(root + "\\files\\game.exe", ReadTestFile(TestBinFolder() + "demo-game.exe"));
    }
    InstallerInputs inputs;
    inputs.stubPath = TestBinFolder() + "setup-stub.exe";
    inputs.packageFolder = root;
    inputs.compression.method = 1;  // MSZIP
    for (size_t i = 0; i < package.attachedDefines.size(); ++i) {
        std::string path = folder_ + "\\attached" + std::to_string(i) + ".xml";
        WriteBytes(path, withRoot(package.attachedDefines[i]));
        inputs.definesFiles.push_back(path);
    }
    exe_ = folder_ + "\\setup.exe";
    built_ = package.rawEntries.empty() ? BuildInstaller(inputs, exe_, error_)
                                        : BuildWithRawEntries(inputs, package.rawEntries);
}

// The installer with extra cabinet entries: the package's entries and the raw ones in one
// cabinet, behind the stub, laid out as the packer lays out an installer.
bool InstallerRun::BuildWithRawEntries(const InstallerInputs& inputs,
                                       const std::vector<std::pair<std::string, std::string>>& rawEntries) {
    std::vector<cabwriter::CabinetEntry> entries;
    if (!PackageEntries(inputs.packageFolder, entries, error_)) return false;
    for (const auto& [name, contents] : rawEntries) {
        cabwriter::CabinetEntry entry;
        entry.name = name;
        entry.contents = contents;
        entry.size = contents.size();
        entry.attribs = 0x20;
        entries.push_back(entry);
    }
    cabwriter::CabinetOptions options;
    std::string cabinetPath = folder_ + "\\raw.cab";
    if (!cabwriter::WriteCabinetFile(entries, options, cabinetPath, error_)) return false;
    auto record = [](const std::string& data, uint32_t type) {
        std::string trailer(8, '\0');
        for (int i = 0; i < 4; ++i) {
            trailer[i] = static_cast<char>((data.size() >> (8 * i)) & 0xFF);
            trailer[4 + i] = static_cast<char>((type >> (8 * i)) & 0xFF);
        }
        return data + trailer;
    };
    WriteBytes(exe_, record(ReadTestFile(inputs.stubPath), StubRecord) + record(ReadTestFile(cabinetPath), CabinetRecord));
    return true;
}

InstallerRun::~InstallerRun() { Terminate(process_); }

bool InstallerRun::Start(const std::vector<std::string>& environment) {
    std::vector<std::string> settings = environment;
    settings.push_back("TMP=" + tmp_);
    return StartProgram(exe_, settings, process_);
}

HWND InstallerRun::Wait(const char* caption, DWORD timeoutMs) {
    return WaitForWindow(process_, caption, "#32770", timeoutMs);
}

bool InstallerRun::Press(const char* caption, const std::string& button) {
    HWND page = Wait(caption);
    if (!page) return false;
    Sleep(100);  // let the page finish its set-up before the click
    return ClickButton(page, button);
}

std::string InstallerRun::Answer(const char* title, int buttonId) {
    HWND box = Wait(title);
    if (!box) return "<no box '" + std::string(title) + "'>";
    Sleep(100);
    std::string text = MessageBoxText(box);
    AnswerBox(box, buttonId);
    for (int i = 0; i < 250 && IsWindow(box); ++i) Sleep(20);
    return text;
}

void InstallerRun::SetText(HWND page, int controlId, const std::string& text) {
    SendMessageA(GetDlgItem(page, controlId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string InstallerRun::Text(HWND page, int controlId) {
    char text[4096] = {};
    GetDlgItemTextA(page, controlId, text, sizeof text);
    return text;
}

DWORD InstallerRun::ExitCode(DWORD timeoutMs) {
    DWORD code = ~0u;
    if (!process_.process || !WaitForExit(process_, timeoutMs, code)) {
        Terminate(process_);
        return ~0u;
    }
    return code;
}

bool InstallerRun::WorkspaceGone() const {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((tmp_ + "\\zelcfg*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return true;
    FindClose(search);
    return false;
}
