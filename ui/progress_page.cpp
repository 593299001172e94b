// The progress pages' dialog procedure, their timer and the Cancel wait.
#include "ui/progress_page.h"

#include "driver/extraction_state.h"
#include "driver/installer_state.h"
#include "driver/messages.h"
#include "ui/page_dialog.h"
#include "ui/pages.h"

namespace {

// The one timer of a progress page.
constexpr UINT_PTR ProgressTimer = 100;
// How often the Cancel wait looks at WorkerDone.
constexpr DWORD WorkerPollMs = 100;

void WaitForWorker() {
    while (!WorkerDone()) Sleep(WorkerPollMs);
}

// The page's timer is stopped while the question is open: a worker that finishes meanwhile
// would otherwise close the page underneath its own question. On No the timer starts again;
// on Yes the page waits for the worker, handling nothing meanwhile, and ends with PageCancel.
void CancelProgressPage(HWND window, const ProgressPage& page) {
    KillTimer(window, ProgressTimer);
    if (!ConfirmCancel(window)) {
        SetTimer(window, ProgressTimer, page.periodMs, nullptr);
        return;
    }
    // The worker does not stop early; only its waits for commands end when they see Aborted.
    Installer().Aborted = true;
    WaitForWorker();
    EndDialog(window, PageCancel);
}

INT_PTR CALLBACK ProgressPageProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        auto* page = reinterpret_cast<const ProgressPage*>(lParam);
        page->setUp(window);
        SetTimer(window, ProgressTimer, page->periodMs, nullptr);
        return TRUE;
    }
    auto* page = reinterpret_cast<const ProgressPage*>(GetWindowLongPtrA(window, DWLP_USER));
    if (!page) return FALSE;
    INT_PTR answer = FALSE;
    if (page->framed && AnswerFrameMessage(window, message, wParam, lParam, answer)) return answer;
    switch (message) {
    case WM_TIMER:
        if (wParam == ProgressTimer) page->tick(window, page->display);
        return TRUE;
    case WM_COMMAND:
        // The Cancel button (Install), the close box and Escape (both pages).
        if (LOWORD(wParam) == IDCANCEL) {
            CancelProgressPage(window, *page);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

int ShowProgressPage(int templateId, ProgressPage& page) {
    int result = ShowPage(templateId, ProgressPageProcedure, reinterpret_cast<LPARAM>(&page));
    // After a confirmed Cancel this returns at once; after a page that could not be shown it
    // keeps the driver from running ahead of the worker.
    if (result == PageCancel) WaitForWorker();
    return result;
}

void FinishProgressPage(HWND page) {
    KillTimer(page, ProgressTimer);
    EndDialog(page, PageNext);
}
