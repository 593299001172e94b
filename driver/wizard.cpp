// The installer's page loop. Each pass shows the current page (running its step before and
// after), then moves by the page's result: Next +1, Back -1, Cancel abandons the run. Whenever
// the move lands on License, the free space of the install drive is checked first.
#include "driver/wizard.h"

#include <windows.h>
#include <commctrl.h>

#include "config/paths.h"
#include "driver/cabinet_extractor.h"
#include "driver/commands.h"
#include "driver/extraction_state.h"
#include "driver/installer_state.h"
#include "driver/messages.h"
#include "driver/page_resources.h"
#include "driver/workspace.h"
#include "install/directx_version.h"
#include "install/install_log.h"
#include "install/install_worker.h"
#include "ui/pages.h"

const char* const DirectXPage = "https://www.microsoft.com/en-us/download/details.aspx?id=35";

namespace {

// Page results the loop acts on.
constexpr int ResultNext = 1014;
constexpr int ResultBack = 110;
constexpr int ResultCancel = 2;
constexpr int ResultDoneLaunch = 6;

constexpr uint64_t DriveInvalid = ~uint64_t(0);

HBITMAP LoadPicture(const std::string& path) {
    return static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
}

// Shows the DirectX message and ends the process when the installed DirectX is older than the
// games need. A failed query lets the run go on.
void DirectXGate() {
    uint32_t version = 0;
    if (GetDirectXVersion(&version, nullptr, 0) != 0) return;
    if (version >= RequiredDirectXVersion) return;
    std::string text = Defines().Expand("%DX_UPGRADE_TEXT%");
    std::string title = Defines().Expand("%DX_UPGRADE_TITLE%");
    if (MessageBoxA(nullptr, text.c_str(), title.c_str(), MB_OKCANCEL) == IDOK) ShellOpen(DirectXPage);
    // The process ends here, without the end-of-run steps; the Workspace would stay behind in
    // TMP, so it goes first.
    RemoveTree(Installer().Workspace);
    ExitProcess(ExitDirectXTooOld);
}

// The configuration, loaded between the Prepare page and the Welcome page. Returns false when a
// failure sends the loop straight to its transition.
bool LoadConfiguration(InstallerState& installer) {
    PageResources& pages = Pages();
    pages.LogoBitmap = LoadPicture(installer.ExtractDestination + "logo.bmp");
    pages.ProductBitmap = LoadPicture(installer.ExtractDestination + "product.bmp");

    PropertyTable& properties = Properties();
    if (!properties.Load(installer.Workspace + "\\props.xml")) {
        std::string text = "Properties file error: '" + properties.ErrorText() + "'";
        MessageBoxA(nullptr, text.c_str(), "Fatal Error!", MB_OK | MB_ICONERROR);
        installer.Aborted = true;
        installer.NoAbortPage = true;
        return false;
    }
    DefineTable& defines = Defines();
    for (const auto& [id, text] : properties.Strings) defines.Set(id, text);

    InstallConfig& config = Config();
    if (!config.Load(installer.ExtractDestination + "install.xml")) {
        FatalMessage(config.ErrorText());
        return false;
    }
    if (!defines.LoadFile(installer.ExtractDestination + "defines.xml")) {
        FatalMessage(defines.ErrorText());
        return false;
    }
    for (const std::string& text : installer.AttachedDefines) {
        if (!defines.LoadText(text)) {
            FatalMessage("Attached Defines: " + defines.ErrorText());
            break;  // the DirectX gate still runs
        }
    }
    defines.Set("MinDXVer", "3.0");
    DirectXGate();
    return true;
}

int PrepareStep(InstallerState& installer) {
    installer.ExtractPrefix = "cfg\\";
    installer.ExtractDestination = installer.Workspace + "\\";
    StartPrepareWorker();
    int result = ShowPreparePage();
    if (Extraction().ExtractFailed && !installer.Aborted) FatalMessage("Failed to decompress setup files!");
    if (installer.Aborted) return result;
    LoadConfiguration(installer);
    return result;
}

int InstallStep(InstallerState& installer) {
    DefineTable& defines = Defines();
    defines.Set("AppFolder", StripTrailingSeparator(defines.Lookup("ProgramGroup") + "\\" + defines.Lookup("InstallGroup")));
    installer.ExtractPrefix = "files\\";
    std::string destination = defines.Lookup("InstallPath");
    if (!destination.empty() && !IsPathSeparator(destination.back())) destination += '\\';
    installer.ExtractDestination = destination;
    Extraction().ExtractedFiles.clear();
    StartInstallWorker();
    int result = ShowInstallPage();
    if (Extraction().ExtractFailed && !installer.Aborted) FatalMessage("Failed to decompress files!");
    return result;
}

int LaunchStep() {
    const std::string& runExe = Config().RunExe;
    if (runExe.empty()) return 0;
    int result = ShowLaunchPage();
    if (result == ResultDoneLaunch) {
        std::string program = Defines().Expand(runExe);
        ShellOpen(program, DirectoryPart(program));
    }
    return result;
}

int RunStep(InstallerState& installer) {
    switch (installer.PageIndex) {
        case PreparePage: return PrepareStep(installer);
        case WelcomePage: {
            int result = ShowWelcomePage();
            ++installer.PageIndex;  // Next therefore lands on License, Change Settings on Options
            return result;
        }
        case OptionsPage: return ShowOptionsPage();
        case LicensePage: return ShowLicensePage();
        case InstallPage: return InstallStep(installer);
        default: return LaunchStep();
    }
}

// Checks the install drive whenever the loop moves to License; a failing check sends the user
// back to Options.
void DiskSpaceGate(InstallerState& installer) {
    std::string root = RootPart(Defines().Lookup("InstallPath")) + "\\";
    uint64_t free = DiskFree(root);
    const char* text = nullptr;
    const char* title = nullptr;
    if (free == DriveInvalid) {
        text = "The drive specified is not valid.  Please select a different path.";
        title = "Invalid Drive!";
    } else if (static_cast<int64_t>(free) < Extraction().SpaceNeeded) {
        text = "The drive specified does not have sufficient space.  Please select a different path.";
        title = "Insufficient Space!";
    }
    if (!text) return;
    MessageBoxA(nullptr, text, title, MB_OK | MB_ICONERROR);
    installer.PageIndex = OptionsPage;
}

void CreatePageResources() {
    InitCommonControls();
    PageResources& pages = Pages();
    pages.PageBrush = CreateSolidBrush(RGB(218, 218, 218));
    HDC screen = GetDC(GetDesktopWindow());
    int height = -MulDiv(16, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(GetDesktopWindow(), screen);
    pages.HeadingFont = CreateFontA(height, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
}

}  // namespace

uint64_t DiskFree(const std::string& root) {
    using FreeSpaceEx = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
    auto freeSpaceEx = reinterpret_cast<FreeSpaceEx>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetDiskFreeSpaceExA")));
    if (freeSpaceEx) {
        ULARGE_INTEGER available, total, totalFree;
        if (!freeSpaceEx(root.c_str(), &available, &total, &totalFree)) return DriveInvalid;
        return available.QuadPart;
    }
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, clusters;
    if (!GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) return DriveInvalid;
    return uint64_t(sectorsPerCluster) * bytesPerSector * freeClusters;
}

int RunWizard() {
    InstallerState& installer = Installer();
    CreatePageResources();
    for (;;) {
        int result = RunStep(installer);
        if (installer.PageIndex == LaunchPage) break;
        if (result == ResultNext) ++installer.PageIndex;
        else if (result == ResultBack) --installer.PageIndex;
        else if (result == ResultCancel) installer.Aborted = true;
        if (installer.PageIndex == LicensePage) {
            if (installer.Aborted) break;
            DiskSpaceGate(installer);
        }
        if (installer.Aborted) break;
    }

    if (InstallLogIsOpen()) WriteLogLine(LogLine::End);
    RemoveTree(installer.Workspace);
    if (installer.Aborted) {
        if (!installer.NoAbortPage) ShowAbortPage();
        installer.ExitCode = ExitAbandoned;
    }
    PageResources& pages = Pages();
    DeleteObject(pages.PageBrush);
    return installer.ExitCode;
}
