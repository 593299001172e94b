// The Options page (dialog 102): the install folder and the Start-menu group as editable boxes,
// with a folder picker. Next stores both, without a trailing separator; Back and Cancel store
// nothing.
#include <string>

#include "config/paths.h"
#include "driver/installer_state.h"
#include "res/resource.h"
#include "ui/folder_picker.h"
#include "ui/page_dialog.h"
#include "ui/pages.h"

namespace {

// The boxes are read with at most 255 characters; a longer text is cut there.
constexpr int BoxBufferSize = 256;

std::string BoxText(HWND page, int box) {
    char text[BoxBufferSize] = {};
    GetDlgItemTextA(page, box, text, BoxBufferSize);
    return text;
}

void StoreChoices(HWND page) {
    Defines().Set("InstallPath", StripTrailingSeparator(BoxText(page, IDC_INSTALL_FOLDER)));
    Defines().Set("InstallGroup", StripTrailingSeparator(BoxText(page, IDC_START_MENU_GROUP)));
}

// The stored values go in before the placeholders are substituted, so that %Name% references
// inside them are expanded along with the template's texts.
void FillOptions(HWND page) {
    SetDlgItemTextA(page, IDC_INSTALL_FOLDER, Defines().Lookup("InstallPath").c_str());
    SetDlgItemTextA(page, IDC_START_MENU_GROUP, Defines().Lookup("InstallGroup").c_str());
}

bool OptionsCommand(HWND page, WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case IDC_CANCEL:
        CancelWithQuestion(page);
        return true;
    case IDC_BACK:
        EndDialog(page, wParam);
        return true;
    case IDC_BROWSE:
        BrowseForFolder(page, IDC_INSTALL_FOLDER);
        return true;
    case IDC_NEXT:
        // Stored as typed: the driver's disk-space gate checks the drive afterwards.
        StoreChoices(page);
        EndDialog(page, wParam);
        return true;
    }
    return false;
}

}  // namespace

int ShowOptionsPage() {
    static const ButtonPage options = {FillOptions, OptionsCommand, 0};
    return ShowButtonPage(IDD_OPTIONS, options);
}
