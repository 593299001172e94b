// The install log stream: one per run, opened by the install worker and never closed
// explicitly. Every line is written whole with its CR LF and flushed at once, so the lines
// written so far survive an abrupt end of the process. Other processes may read and write the
// file while it is open.
#pragma once

#include <string>

#include "install/install_log_lines.h"

// Creates or truncates the log file. False when it cannot be opened; every later line is then
// dropped.
bool OpenInstallLog(const std::string& path);
bool InstallLogIsOpen();

// Appends the line and CR LF, then flushes. Does nothing when the log is not open.
void WriteLogLine(const std::string& line);
void WriteLogLine(LogLine kind, const std::string& value = std::string());

// Closes the stream; for tests that open several logs in one process.
void CloseInstallLog();
