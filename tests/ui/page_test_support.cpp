// The page tests' fixture and robot runner.
#include "tests/ui/page_test_support.h"

#include <commctrl.h>

#include <atomic>
#include <thread>

#include "driver/extraction_state.h"
#include "driver/installer_state.h"
#include "driver/page_resources.h"
#include "tests/common/test_files.h"
#include "tests/win32/robot.h"
#include "tests/win32/robot_owned.h"

const char* const CancelQuestionTitle = "Cancel Setup?";

namespace {

// Every placeholder of the page templates; each is defined as "[ID]" so a test sees which text
// went where.
const char* const PagePlaceholders[] = {
    "WELCOME_DIALOG_TITLE", "WELCOME_DIALOG_LINE1", "WELCOME_DIALOG_LINE2", "WELCOME_DIALOG_DIRECTORY",
    "WELCOME_DIALOG_MENU_LOCATION", "OPTIONS_DIALOG_TITLE", "OPTIONS_DIALOG_LINE1", "OPTIONS_DIALOG_DIRECTORY",
    "OPTIONS_DIALOG_MENU_LOCATION", "LICENSE_DIALOG_TITLE", "LICENSE_DIALOG_LINE1", "LAUNCH_DIALOG_TITLE",
    "LAUNCH_DIALOG_LINE1", "LAUNCH_DIALOG_LINE2", "LAUNCH_DIALOG_LINE3", "LAUNCH_DIALOG_LAUNCH_CHECK",
    "ABORT_DIALOG_TITLE", "ABORT_DIALOG_LINE1", "ABORT_DIALOG_LINE2", "ABORT_DIALOG_LINE3",
    "INSTALL_DIALOG_TITLE", "INSTALL_DIALOG_LINE1", "INSTALL_DIALOG_EXTRACTING", "INSTALL_DIALOG_TOTAL_PROGRESS",
    "BUTTON_CHANGE_SETTINGS", "BUTTON_NEXT", "BUTTON_CANCEL", "BUTTON_BROWSE", "BUTTON_BACK",
    "BUTTON_DONT_AGREE", "BUTTON_AGREE", "BUTTON_VIEW_README", "BUTTON_DONE", "BUTTON_EXIT",
};

// The brush and font the driver creates at start-up, made the same way.
void CreatePageResources() {
    PageResources& pages = Pages();
    if (!pages.PageBrush) pages.PageBrush = CreateSolidBrush(RGB(218, 218, 218));
    if (!pages.HeadingFont) {
        HDC desktop = GetDC(GetDesktopWindow());
        int height = -MulDiv(16, GetDeviceCaps(desktop, LOGPIXELSY), 72);
        ReleaseDC(GetDesktopWindow(), desktop);
        pages.HeadingFont = CreateFontA(height, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    }
}

RobotProcess ThisProcess() {
    RobotProcess self;
    self.id = GetCurrentProcessId();
    return self;
}

BOOL CALLBACK CloseWindowOfThisProcess(HWND window, LPARAM) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
    // Message boxes (owned) take Yes; pages (unowned) take Cancel, which with Aborted set ends
    // every page without a question.
    PostMessageA(window, WM_COMMAND, GetWindow(window, GW_OWNER) ? IDYES : IDCANCEL, 0);
    return TRUE;
}

void ForceClose(const std::atomic<bool>& returned) {
    Installer().Aborted = true;
    PublishWorkerDone();
    DWORD start = GetTickCount();
    while (!returned && GetTickCount() - start < 10000) {
        EnumWindows(CloseWindowOfThisProcess, 0);
        Sleep(200);
    }
}

}  // namespace

void PageTest::SetUp() {
    InitCommonControls();
    CreatePageResources();
    DefineTable& defines = Defines();
    for (const char* id : PagePlaceholders) defines.Set(id, std::string("[") + id + "]");
    defines.Set("ABORT_POPUP_TITLE", CancelQuestionTitle);
    defines.Set("ABORT_POPUP_TEXT", "Do you really want to cancel?");
    defines.Set("FATAL_POPUP_TITLE", "Setup Error");
    defines.Set("InstallName", "Demo Game");
    defines.Set("ProgramFiles", "C:\\Program Files");
    defines.Set("InstallPath", "%ProgramFiles%\\Demo");
    defines.Set("InstallGroup", "Games\\%InstallName%");

    InstallerState& installer = Installer();
    installer.Aborted = false;
    installer.Workspace = TestFilePath("workspace");
    CreateDirectoryA(installer.Workspace.c_str(), nullptr);

    ExtractionState& extraction = Extraction();
    extraction.TotalPercent = 0;
    extraction.FilePercent = 0;
    extraction.ExtractFailed = false;
    SetCurrentEntry("");
    ClearWorkerDone();
}

void PageTest::TearDown() {
    std::string workspace = Installer().Workspace;
    DeleteFileA((workspace + "\\license.txt").c_str());
    RemoveDirectoryA(workspace.c_str());
}

int RunPage(int (*show)(), const std::string& caption, const std::function<void(HWND page)>& robot) {
    std::atomic<bool> returned{false};
    std::thread helper([&] {
        HWND page = WaitForWindow(ThisProcess(), caption.c_str(), "#32770", 10000);
        if (page) {
            robot(page);
        } else {
            ADD_FAILURE() << "no page captioned \"" << caption << "\"";
        }
        DWORD start = GetTickCount();
        while (!returned && GetTickCount() - start < 10000) Sleep(20);
        if (!returned) {
            ADD_FAILURE() << "the page \"" << caption << "\" was left open";
            ForceClose(returned);
        }
    });
    int result = show();
    returned = true;
    helper.join();
    return result;
}

int RunPageUnattended(int (*show)()) {
    std::atomic<bool> returned{false};
    std::thread watchdog([&] {
        DWORD start = GetTickCount();
        while (!returned && GetTickCount() - start < 10000) Sleep(20);
        if (!returned) {
            ADD_FAILURE() << "the page did not close on its own";
            ForceClose(returned);
        }
    });
    int result = show();
    returned = true;
    watchdog.join();
    return result;
}

void PostClick(HWND page, int id) {
    PostMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}

void PostCancel(HWND page, int id) {
    if (id) {
        PostClick(page, id);
    } else {
        PostMessageA(page, WM_CLOSE, 0, 0);
    }
}

void CancelAnsweringNoThenYes(HWND page, const std::function<void()>& trigger) {
    trigger();
    HWND box = WaitForOwnedWindow(page, "#32770", 5000);
    ASSERT_TRUE(box != nullptr) << "no question on Cancel";
    EXPECT_EQ(WindowText(box), CancelQuestionTitle);
    EXPECT_EQ(MessageBoxText(box), "Do you really want to cancel?");
    AnswerBox(box, IDNO);
    ASSERT_TRUE(WaitUntilGone(box, 5000));
    Sleep(200);
    EXPECT_TRUE(IsWindow(page) && IsWindowVisible(page)) << "the page closed on No";

    trigger();
    box = WaitForOwnedWindow(page, "#32770", 5000);
    ASSERT_TRUE(box != nullptr) << "no question on the second Cancel";
    AnswerBox(box, IDYES);
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(20);
    }
    return true;
}
