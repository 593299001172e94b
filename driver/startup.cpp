// Start-up: find the payload behind our own image, name the Workspace and copy the cabinet into
// it. Failures here end the process at once, before any page is shown.
#include "driver/startup.h"

#include <windows.h>

#include <cstdio>

#include "driver/installer_state.h"
#include "driver/messages.h"
#include "driver/payload_chain.h"
#include "driver/wizard.h"
#include "driver/workspace.h"
#include "install/shell_folders.h"

namespace {

// ExePath is read into a buffer of 255 bytes and its terminator.
constexpr DWORD ExePathBufferSize = 256;

// The module's own file name; false when it does not fit the buffer (a cut path would name
// another file).
bool ReadExePath(std::string& path) {
    char buffer[ExePathBufferSize];
    DWORD length = GetModuleFileNameA(nullptr, buffer, ExePathBufferSize);
    path.assign(buffer, length < ExePathBufferSize ? length : ExePathBufferSize - 1);
    return length > 0 && length < ExePathBufferSize;
}

// Steps that read the payload; returns an exit code, or -1 to go on with the pages.
int ReadPayload(InstallerState& state) {
    bool pathFits = ReadExePath(state.ExePath);
    std::FILE* exe = pathFits ? std::fopen(state.ExePath.c_str(), "rb") : nullptr;
    if (!exe) {
        FatalMessage("Unable to Open Installer Exe '" + state.ExePath + "'");
        return ExitExeUnreadable;
    }
    PayloadChainResult payload;
    bool ok = MakeWorkspaceName(state.Workspace);
    if (ok) {
        state.CabinetFile = state.Workspace + "\\files.cab";
        ok = ReadPayloadChain(exe, state.CabinetFile, payload);
    } else {
        payload.message = "Unable to Create Cab in the folder named by TMP";
    }
    std::fclose(exe);
    state.AttachedDefines = payload.attachedDefines;
    if (!ok) {
        if (!payload.message.empty()) FatalMessage(payload.message);
        FatalMessage("Unable to Read Installer Data");
        // A cabinet copied before the failure would otherwise stay behind in TMP.
        if (!state.Workspace.empty()) RemoveTree(state.Workspace);
        return ExitPayloadUnreadable;
    }
    return -1;
}

}  // namespace

int RunInstaller() {
    InstallerState& state = Installer();
    LoadShellFolders();
    int exitCode = ReadPayload(state);
    if (exitCode >= 0) return exitCode;

    return RunWizard();
}
