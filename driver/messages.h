// The installer's boxes outside the pages. Every text passes through the DefineTable's Expand,
// so the wording comes from props.xml.
#pragma once

#include <string>

#include <windows.h>

// The one error box for every failure that ends the run: sets Aborted first, then shows the
// expanded text under the expanded %FATAL_POPUP_TITLE%, without an owner window.
void FatalMessage(const std::string& text);

// Asks whether to cancel the run (Yes / No, No the default); true at once when the run is
// already being abandoned. Sets nothing itself.
bool ConfirmCancel(HWND owner);
