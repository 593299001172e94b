// The Launch page (dialog 108): the end of a completed installation. Done ends with whether the
// installed program is to be started; View Readme shows the readme and keeps the page open.
#include "driver/installer_state.h"
#include "res/resource.h"
#include "ui/page_dialog.h"
#include "ui/pages.h"
#include "ui/shell_open.h"

namespace {

// The check box starts ticked at every showing.
void TickLaunchBox(HWND page) { CheckDlgButton(page, IDC_LAUNCH_CHECK, BST_CHECKED); }

bool LaunchCommand(HWND page, WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case IDC_DONE:
        EndDialog(page, IsDlgButtonChecked(page, IDC_LAUNCH_CHECK) == BST_CHECKED ? PageDoneAndLaunch
                                                                                  : PageDoneNoLaunch);
        return true;
    case IDC_VIEW_README:
        OpenWithShell(Installer().Workspace + "\\readme.txt");
        return true;
    case IDC_CANCEL:
        // The installation is complete: closing the page ends the run normally, unasked.
        EndDialog(page, PageCancel);
        return true;
    }
    return false;
}

}  // namespace

int ShowLaunchPage() {
    static const ButtonPage launch = {TickLaunchBox, LaunchCommand, 0};
    return ShowButtonPage(IDD_LAUNCH, launch);
}
