// The shell's "open" verb on a document.
#include "ui/shell_open.h"

#include <windows.h>
#include <shellapi.h>

void OpenWithShell(const std::string& file) {
    ShellExecuteA(nullptr, "open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
