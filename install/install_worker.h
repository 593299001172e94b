// The InstallWorker: the installation proper, on a thread of its own while the Install page
// shows its progress. In a fixed order it runs the PreExec commands, opens the install log,
// leaves a copy of props.xml beside it, writes the log's header, extracts files\ into the
// install folder (with one retry after a warning), writes the registry values and the
// uninstall entry, creates the shortcuts and runs the PostExec commands. Its outcome reaches the
// page and the driver only through ExtractFailed, Aborted and, last, WorkerDone.
#pragma once

#include <string>

// Resets the progress and starts the worker. When the thread cannot start, the failure is shown
// as a fatal error and WorkerDone is set, so the Install page ends and the run is abandoned.
bool StartInstallWorker();

// The worker's body, run on the calling thread (the tests call it directly).
void RunInstallWorker();

// Name of the props.xml copy for a log path: the path up to its last '.' (the whole path when it
// has none) followed by "_props.xml". The uninstaller looks for it there.
std::string PropsCopyName(const std::string& logPath);
