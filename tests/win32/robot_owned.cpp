// Owned-window search over the top-level windows.
#include "tests/win32/robot_owned.h"

#include <cstring>

namespace {

struct OwnedSearch {
    HWND owner;
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchOwned(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<OwnedSearch*>(param);
    if (GetWindow(window, GW_OWNER) != search->owner || !IsWindowVisible(window)) return TRUE;
    if (search->className) {
        char name[256] = {};
        GetClassNameA(window, name, sizeof name);
        if (std::strcmp(name, search->className) != 0) return TRUE;
    }
    search->found = window;
    return FALSE;
}

}  // namespace

HWND WaitForOwnedWindow(HWND owner, const char* className, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        OwnedSearch search{owner, className, nullptr};
        EnumWindows(MatchOwned, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        if (GetTickCount() - start > timeoutMs) return nullptr;
        Sleep(20);
    }
}

bool WaitUntilGone(HWND window, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(20);
    }
    return true;
}
