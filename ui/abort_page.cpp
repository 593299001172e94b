// The AbortPage (dialog 106): shown after an abandoned run, with its Exit button only.
#include "res/resource.h"
#include "ui/page_dialog.h"
#include "ui/pages.h"

namespace {

bool AbortCommand(HWND page, WPARAM wParam) {
    // Exit, the close box and Escape. Aborted is set whenever this page is shown, so the
    // question is not asked.
    if (LOWORD(wParam) != IDC_CANCEL) return false;
    CancelWithQuestion(page);
    return true;
}

}  // namespace

int ShowAbortPage() {
    static const ButtonPage abort = {nullptr, AbortCommand, 0};
    return ShowButtonPage(IDD_ABORT, abort);
}
