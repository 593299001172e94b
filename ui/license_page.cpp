// The License page (dialog 101): the license text of the Workspace in a read-only box, and the
// buttons to agree (Next) or not (Cancel, with the question).
#include <cstdio>
#include <string>

#include "driver/installer_state.h"
#include "res/resource.h"
#include "ui/page_dialog.h"
#include "ui/pages.h"

namespace {

// Workspace\license.txt into the license box, with the CR LF line ends a multi-line edit box
// needs; a file that cannot be opened leaves the box empty. The file is read as text, so Windows
// line ends arrive as LF like Unix ones, and every LF gets its CR back here.
void LoadLicenseText(HWND page) {
    HWND box = GetDlgItem(page, IDC_LICENSE_TEXT);
    std::FILE* file = std::fopen((Installer().Workspace + "\\license.txt").c_str(), "rt");
    if (!file) return;
    std::fseek(file, 0, SEEK_END);
    long length = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    std::string read(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    read.resize(std::fread(&read[0], 1, read.size(), file));
    std::fclose(file);

    std::string text;
    text.reserve(2 * read.size() + 1);
    for (char c : read) {
        if (c == '\n') text += '\r';
        text += c;
    }
    SetWindowTextA(box, text.c_str());
}

bool LicenseCommand(HWND page, WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case IDC_CANCEL:
        CancelWithQuestion(page);
        return true;
    case IDC_NEXT:
        EndDialog(page, wParam);
        return true;
    case IDC_LICENSE_TEXT:
        // Focus would show the whole text selected: put the caret at the start instead.
        if (HIWORD(wParam) == EN_SETFOCUS) SendDlgItemMessageA(page, IDC_LICENSE_TEXT, EM_SETSEL, 0, 0);
        return true;
    }
    return false;
}

}  // namespace

int ShowLicensePage() {
    // The text goes in before the placeholders are substituted, so that %Name% references in it
    // are expanded too.
    static const ButtonPage license = {LoadLicenseText, LicenseCommand, IDC_LICENSE_TEXT};
    return ShowButtonPage(IDD_LICENSE, license);
}
