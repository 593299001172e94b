// Fatal and cancel boxes.
#include "driver/messages.h"

#include "driver/installer_state.h"

void FatalMessage(const std::string& text) {
    // Aborted goes up before the box appears, so pages polling it already see it while the box
    // is open.
    Installer().Aborted = true;
    std::string message = Defines().Expand(text);
    std::string title = Defines().Expand("%FATAL_POPUP_TITLE%");
    MessageBoxA(nullptr, message.c_str(), title.c_str(), MB_OK | MB_ICONERROR);
}

bool ConfirmCancel(HWND owner) {
    if (Installer().Aborted) return true;
    std::string message = Defines().Expand("%ABORT_POPUP_TEXT%");
    std::string title = Defines().Expand("%ABORT_POPUP_TITLE%");
    return MessageBoxA(owner, message.c_str(), title.c_str(), MB_YESNO | MB_DEFBUTTON2) == IDYES;
}
