// The install worker's steps.
#include "install/install_worker.h"

#include <windows.h>

#include "config/paths.h"
#include "driver/cabinet_extractor.h"
#include "driver/commands.h"
#include "driver/extraction_state.h"
#include "driver/installer_state.h"
#include "driver/messages.h"
#include "install/install_log.h"
#include "install/registry.h"
#include "install/shortcuts.h"

namespace {

// Log lines 1 to 6: the header the uninstaller reads first.
void WriteLogHeader(const InstallConfig& config) {
    const DefineTable& defines = Defines();
    WriteLogLine(LogLine::Begin);
    WriteLogLine(LogLine::InstallName, defines.Expand(defines.Lookup("InstallName")));
    for (const std::string& entry : config.UninstallDeltree) WriteLogLine(LogLine::UninstallDeltree, defines.Expand(entry));
    for (const std::string& entry : config.UserDirectory) WriteLogLine(LogLine::UserDirectory, defines.Expand(entry));
    for (const std::string& entry : config.UninstallDelRegKey) WriteLogLine(LogLine::UninstallDelRegKey, defines.Expand(entry));
    for (const std::string& entry : config.UserRegKey) WriteLogLine(LogLine::UserRegKey, defines.Expand(entry));
}

// Extracts files\ into the install folder; after a first failure the user is asked once whether
// to try again (a running copy of the game may hold its files open).
bool ExtractFiles() {
    const InstallerState& installer = Installer();
    ExtractionState& extraction = Extraction();
    extraction.ExtractFailed = false;
    bool extracted = Extract(installer.CabinetFile, installer.ExtractPrefix, installer.ExtractDestination);
    if (!extracted) {
        std::string text = Defines().Expand("%UNINSTALL_ENSURE_NOT_RUNNING_TEXT%");
        std::string title = Defines().Expand("%UNINSTALL_ENSURE_NOT_RUNNING_TITLE%");
        if (MessageBoxA(nullptr, text.c_str(), title.c_str(), MB_OKCANCEL | MB_ICONEXCLAMATION) == IDOK) {
            extraction.ExtractFailed = false;
            extracted = Extract(installer.CabinetFile, installer.ExtractPrefix, installer.ExtractDestination);
        }
        if (!extracted) extraction.ExtractFailed = true;
    }
    // Also after a failure: the files created before it must be known to the uninstaller.
    for (const std::string& file : extraction.ExtractedFiles) WriteLogLine(LogLine::File, file);
    return extracted;
}

DWORD WINAPI InstallWorkerThread(LPVOID) {
    RunInstallWorker();
    return 0;
}

}  // namespace

std::string PropsCopyName(const std::string& logPath) {
    size_t dot = logPath.rfind('.');
    return (dot == std::string::npos ? logPath : logPath.substr(0, dot)) + "_props.xml";
}

void RunInstallWorker() {
    const InstallConfig& config = Config();
    bool ok = RunCommands(config.PreExec);

    std::string logPath = Defines().Expand(config.InstallLog);
    MakeDirectories(DirectoryPart(logPath));
    if (!OpenInstallLog(logPath)) {
        FatalMessage("Failed to Create Install Log '" + logPath + "'");
        ok = false;
    }
    std::string props = Installer().Workspace + "\\props.xml";
    if (!CopyFileA(props.c_str(), PropsCopyName(logPath).c_str(), FALSE)) {
        FatalMessage("Failed to copy properties file");
        ok = false;
    }
    WriteLogHeader(config);

    if (ok) ok = ExtractFiles();
    if (ok && WriteRegistry() && CreateShortcuts()) RunCommands(config.PostExec);
    PublishWorkerDone();
}

bool StartInstallWorker() {
    ResetWorkerProgress();
    HANDLE thread = CreateThread(nullptr, 0, InstallWorkerThread, nullptr, 0, nullptr);
    if (!thread) {
        FatalMessage("Unable to Start the Installation");
        PublishWorkerDone();
        return false;
    }
    CloseHandle(thread);
    return true;
}
