// Opening a document with its associated program.
#pragma once

#include <string>

// ShellExecuteA "open" on file: no owner window, no parameters, no working folder, a normal
// window. A failure (a missing file, no associated program) shows nothing.
void OpenWithShell(const std::string& file);
