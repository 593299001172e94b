// Showing pages and the messages the pages share.
#include "ui/page_dialog.h"

#include <string>

#include "driver/messages.h"
#include "ui/page_frame.h"
#include "ui/pages.h"

namespace {

INT_PTR CALLBACK ButtonPageProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        auto* page = reinterpret_cast<const ButtonPage*>(lParam);
        if (page->fill) page->fill(window);
        SetUpFramedPage(window);
        return TRUE;
    }
    auto* page = reinterpret_cast<const ButtonPage*>(GetWindowLongPtrA(window, DWLP_USER));
    if (!page) return FALSE;
    // A read-only edit box asks for static colours: it keeps the window colour, nothing set.
    if (message == WM_CTLCOLORSTATIC && page->plainBox &&
        reinterpret_cast<HWND>(lParam) == GetDlgItem(window, page->plainBox))
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
    INT_PTR answer = FALSE;
    if (AnswerFrameMessage(window, message, wParam, lParam, answer)) return answer;
    if (message == WM_COMMAND) return page->command(window, wParam) ? TRUE : FALSE;
    return FALSE;
}

}  // namespace

int ShowPage(int templateId, DLGPROC procedure, LPARAM initParam) {
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), nullptr, procedure, initParam);
    if (result == -1) {
        FatalMessage("Unable to show the installer's window " + std::to_string(templateId));
        return PageCancel;
    }
    return static_cast<int>(result);
}

int ShowButtonPage(int templateId, const ButtonPage& page) {
    return ShowPage(templateId, ButtonPageProcedure, reinterpret_cast<LPARAM>(&page));
}

bool AnswerFrameMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& answer) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(page, &paint);
        PaintPageFrame(dc, page);
        EndPaint(page, &paint);
        answer = TRUE;
        return true;
    }
    case WM_CTLCOLORSTATIC:
        answer = reinterpret_cast<INT_PTR>(
            AnswerStaticColours(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam)));
        return true;
    default:
        return false;
    }
}

void CancelWithQuestion(HWND page) {
    if (ConfirmCancel(page)) EndDialog(page, PageCancel);
}
