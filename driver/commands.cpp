// External commands and shell opens.
#include "driver/commands.h"

#include <windows.h>
#include <shellapi.h>

#include "driver/installer_state.h"
#include "driver/messages.h"

namespace {

// How often a running command is checked, and Aborted with it.
constexpr DWORD CommandPollMs = 20;

// Waits for the started process; false when Aborted was raised first (the handle stays open,
// since the process goes on running).
bool WaitForCommand(HANDLE process) {
    for (;;) {
        DWORD code = 0;
        if (!GetExitCodeProcess(process, &code)) return true;
        if (code != STILL_ACTIVE) {
            CloseHandle(process);
            return true;
        }
        if (Installer().Aborted) return false;
        Sleep(CommandPollMs);
    }
}

}  // namespace

bool RunCommands(const std::vector<ExecItem>& items) {
    for (const ExecItem& item : items) {
        std::string file = Defines().Expand(item.Exe);
        std::string params = Defines().Expand(item.Params);
        std::string folder = Defines().Expand(item.Directory);
        SHELLEXECUTEINFOA info = {};
        info.cbSize = sizeof info;  // 60 bytes on 32-bit Windows
        info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
        info.lpVerb = "open";
        info.lpFile = file.c_str();
        info.lpParameters = params.c_str();
        info.lpDirectory = folder.c_str();
        info.nShow = SW_SHOW;
        if (ShellExecuteExA(&info)) {
            // A document opened through an association may come without a process handle.
            if (info.hProcess && !WaitForCommand(info.hProcess)) return false;
            continue;
        }
        if (!item.SilentFail) {
            FatalMessage("Failed to execute '" + file + "'");
            return false;
        }
    }
    return true;
}

void ShellOpen(const std::string& file, const std::string& folder) {
    ShellExecuteA(nullptr, "open", file.c_str(), nullptr, folder.empty() ? nullptr : folder.c_str(), SW_SHOWNORMAL);
}
