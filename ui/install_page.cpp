// The Install page (dialog 104): the InstallWorker's progress, a bar for the entry being written
// with its name above it and a bar for the whole installation. It closes with PageNext when the
// worker is done; the extraction fills the total bar to 90, the steps after it fill nothing.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "driver/extraction_state.h"
#include "driver/installer_state.h"
#include "res/resource.h"
#include "ui/page_frame.h"
#include "ui/pages.h"
#include "ui/progress_page.h"
#include "ui/progress_steps.h"

namespace {

constexpr UINT InstallPeriodMs = 40;

// What the page shows, kept from tick to tick.
struct InstallDisplay {
    int totalShown = 0;
    int fileShown = 0;
    std::string nameShown;
};

void SetBar(HWND page, int bar, int position) { SendDlgItemMessageA(page, bar, PBM_SETPOS, position, 0); }

void SetUpInstall(HWND page) {
    SetUpFramedPage(page);
    SendDlgItemMessageA(page, IDC_FILE_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SendDlgItemMessageA(page, IDC_TOTAL_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
}

void TickInstall(HWND page, void* state) {
    auto& display = *static_cast<InstallDisplay*>(state);
    bool done = WorkerDone();
    int target = InstallTotalShown(Extraction().TotalPercent);
    std::string entry = CurrentEntry();
    if (entry != display.nameShown) {
        // A new entry has started.
        display.nameShown = entry;
        std::string line = Defines().Expand("%INSTALL_DIALOG_EXTRACTING% ") + entry + " ...";
        SetDlgItemTextA(page, IDC_EXTRACTING_LINE, line.c_str());
        display.fileShown = FileShownAtNewEntry(display.fileShown);
        SetBar(page, IDC_FILE_BAR, display.fileShown);
    } else {
        int next = NextFileShown(display.fileShown, Extraction().FilePercent);
        if (next != display.fileShown) {
            display.fileShown = next;
            SetBar(page, IDC_FILE_BAR, next);
        }
    }
    if (target != display.totalShown) {
        display.totalShown = target;
        SetBar(page, IDC_TOTAL_BAR, target);
    }
    if (done) FinishProgressPage(page);
}

}  // namespace

int ShowInstallPage() {
    InstallDisplay display;
    ProgressPage install = {InstallPeriodMs, true, SetUpInstall, TickInstall, &display};
    return ShowProgressPage(IDD_INSTALL, install);
}
