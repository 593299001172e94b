// The Prepare page (dialog 107): one bar over the PrepareWorker's extraction of cfg\, shown
// before props.xml is loaded, so it has a fixed caption and neither the frame nor its colours.
//
// It closes with PageNext once the worker is done and the bar has caught up with the worker's
// final TotalPercent. That is 100 normally; a package without bytes under cfg\ finishes at 0, and
// waiting for 100 would keep the page open for ever. It also closes as soon as ExtractFailed is
// set; the driver reports the failure.
#include <windows.h>
#include <commctrl.h>

#include "driver/extraction_state.h"
#include "res/resource.h"
#include "ui/page_frame.h"
#include "ui/pages.h"
#include "ui/progress_page.h"
#include "ui/progress_steps.h"

namespace {

constexpr UINT PreparePeriodMs = 50;

// The position last given to the bar.
struct PrepareDisplay {
    int totalShown = 0;
};

void SetUpPrepare(HWND page) {
    SubstitutePlaceholders(page);
    SendDlgItemMessageA(page, IDC_PREPARE_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
}

void TickPrepare(HWND page, void* state) {
    auto& display = *static_cast<PrepareDisplay*>(state);
    // WorkerDone first: once it is seen set, the TotalPercent read after it is the final one.
    bool done = WorkerDone();
    int total = Extraction().TotalPercent;
    int next = NextPrepareShown(display.totalShown, total);
    if (next != display.totalShown) {
        display.totalShown = next;
        SendDlgItemMessageA(page, IDC_PREPARE_BAR, PBM_SETPOS, next, 0);
    }
    if ((done && display.totalShown >= total) || Extraction().ExtractFailed) FinishProgressPage(page);
}

}  // namespace

int ShowPreparePage() {
    PrepareDisplay display;
    ProgressPage prepare = {PreparePeriodMs, false, SetUpPrepare, TickPrepare, &display};
    return ShowProgressPage(IDD_PREPARE, prepare);
}
