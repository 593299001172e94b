// What the pages share beyond the frame's look: showing a page's template as a modal dialog, the
// dialog procedure of the button pages, and the Cancel question.
#pragma once

#include <windows.h>

// Shows the dialog template templateId of the running executable modally, without an owner
// window, and returns the value the page ended with. initParam reaches WM_INITDIALOG. When the
// dialog cannot be created, shows a fatal message and returns PageCancel, so the driver ends the
// run instead of showing the page again and again.
int ShowPage(int templateId, DLGPROC procedure, LPARAM initParam = 0);

// WM_PAINT (the page frame) and WM_CTLCOLORSTATIC (the static colours); true when message was
// one of them, with the dialog procedure's answer in answer.
bool AnswerFrameMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& answer);

// What sets one button page apart; the frame, the colours and the placeholders are common.
struct ButtonPage {
    // Fills controls before the placeholders are substituted, so their contents are expanded
    // too; null when there is nothing to fill.
    void (*fill)(HWND page);
    // A WM_COMMAND; true when handled. The page is ended with EndDialog from here.
    bool (*command)(HWND page, WPARAM wParam);
    // A read-only edit box that keeps the system's window colour instead of the page's static
    // colours; 0 for none.
    int plainBox;
};

int ShowButtonPage(int templateId, const ButtonPage& page);

// Cancel on a button page: asks ConfirmCancel and ends the page with PageCancel on Yes; on No the
// page stays. The driver sets Aborted from the result.
void CancelWithQuestion(HWND page);
