// The Welcome page (dialog 103): greets the user and shows the install folder and Start-menu
// group that Next will use (its lines IDC_WELCOME_FOLDER and IDC_WELCOME_GROUP are %InstallPath%
// and %InstallGroup% in the template); Change Settings leads to the Options page.
#include "res/resource.h"
#include "ui/page_dialog.h"
#include "ui/pages.h"

namespace {

bool WelcomeCommand(HWND page, WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case IDC_CANCEL:
        CancelWithQuestion(page);
        return true;
    case IDC_NEXT:
    case IDC_CHANGE_SETTINGS:
        EndDialog(page, wParam);
        return true;
    }
    return false;
}

}  // namespace

int ShowWelcomePage() {
    static const ButtonPage welcome = {nullptr, WelcomeCommand, 0};
    return ShowButtonPage(IDD_WELCOME, welcome);
}
