// Finding the windows a window owns (the message boxes and pickers a page opens), for a robot
// running in the same process as the windows it drives.
#pragma once

#include <windows.h>

// The first visible top-level window owned by owner whose class is className (any when null);
// waits up to timeoutMs, null when none appeared.
HWND WaitForOwnedWindow(HWND owner, const char* className, DWORD timeoutMs);

// Waits until window is destroyed or hidden; false on timeout.
bool WaitUntilGone(HWND window, DWORD timeoutMs);
