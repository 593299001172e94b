// The three cabx commands, each a client of the CabinetDecoder over the whole cabinet set that
// starts at FILE.
#pragma once

#include <string>

struct CabxOptions {
    enum Command { List, Test, Extract } command = List;
    std::string file;
    std::string directory;  // extract: where entries go; empty for the current folder
    std::string prefix;     // extract: only entries whose names begin with it, without it
};

// Runs the command; prints failures to stderr as the error's name and a sentence. Returns the
// process exit code: 0 success, 1 failure.
int RunCommand(const CabxOptions& options);
