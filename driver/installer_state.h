// The installer's process-wide state: one instance of each, created empty at start and kept to
// the end of the run. The user-interface thread owns everything here; a worker thread reads the
// texts and the documents, and Aborted is the one flag both threads write.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "config/define_table.h"
#include "config/property_table.h"
#include "install/install_config.h"

// The wizard's pages in the order the driver shows them.
enum WizardPage { PreparePage = 0, WelcomePage = 1, OptionsPage = 2, LicensePage = 3, InstallPage = 4, LaunchPage = 5 };

// Process exit codes.
enum ExitCode {
    ExitCompleted = 0,
    ExitDirectXTooOld = 2,
    ExitExeUnreadable = 4,
    ExitPayloadUnreadable = 5,  // also: the cabinet could not be written
    ExitAbandoned = 10,
};

struct InstallerState {
    std::string ExePath;
    std::string Workspace;           // temporary folder for the cabinet and the cfg\ files
    std::string CabinetFile;         // Workspace + "\files.cab"
    std::string ExtractPrefix;       // entry-name prefix the next worker extracts
    std::string ExtractDestination;  // folder the next worker extracts into
    std::vector<std::string> AttachedDefines;  // defines texts of the payload, in file order
    int PageIndex = PreparePage;
    std::atomic<bool> Aborted{false};  // the run is being abandoned
    bool NoAbortPage = false;          // props.xml failed: no AbortPage at the end
    int ExitCode = ExitCompleted;
};

InstallerState& Installer();
DefineTable& Defines();
PropertyTable& Properties();
InstallConfig& Config();
