// Starting other programs: the PreExec and PostExec commands of install.xml, which are waited
// for, and the shell opens (readme, the installed program, the DirectX download page), which
// are not.
#pragma once

#include <string>
#include <vector>

#include "install/install_config.h"

// Runs the commands in order and waits for each. False when a command could not be started and
// is not marked SilentFail (after a fatal box naming it), or when Aborted was raised while
// waiting (the command goes on running); the remaining commands are then not run.
bool RunCommands(const std::vector<ExecItem>& items);

// Opens a file or address with the shell's "open" verb, no owner, no parameters, a normal window;
// folder may be empty. Failures show nothing.
void ShellOpen(const std::string& file, const std::string& folder = std::string());
