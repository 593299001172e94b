// Shared pieces of the cabinet writer and mksetup tests: test data, in-memory entries, running
// the external cabinet tools (native builds only) and comparing an extracted folder tree with
// the entries it should hold.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tools/cabwriter/cabinet_writer.h"

namespace tooltest {

// Deterministic pseudo-random bytes (incompressible).
std::string RandomBytes(size_t size, uint32_t seed);
// size bytes of text that repeats with short variations (very compressible).
std::string RepetitiveBytes(size_t size);

// An entry held in memory, with a fixed date and time and the archive attribute.
cabwriter::CabinetEntry MemoryEntry(const std::string& name, const std::string& contents, uint16_t attribs = 0x20);

// Writes the cabinet to a test file; the path, or empty after a failure (the test then fails).
std::string WriteTestCabinet(const std::vector<cabwriter::CabinetEntry>& entries,
                             const cabwriter::CabinetOptions& options, const std::string& name);

// name with '\' -> contents, what a cabinet of the entries should unpack to.
std::map<std::string, std::string> ExpectedTree(const std::vector<cabwriter::CabinetEntry>& entries);
// Every regular file below folder, by its relative path written with '\'.
std::map<std::string, std::string> ReadTree(const std::string& folder);

#ifndef _WIN32
struct CommandResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};
// Runs a shell command line, capturing its standard output and error.
CommandResult RunCommand(const std::string& command);
// Single-quoted for the shell.
std::string Quote(const std::string& text);
bool HaveProgram(const std::string& name);
// Runs an extracting tool, `before` + the quoted folder + `after`, into a fresh test folder;
// the tool must exit with 0. `inspect`, when given, sees the folder before it is removed again.
// Returns what the tool wrote, as ReadTree gives it.
std::map<std::string, std::string> ExtractWithTool(
    const std::string& before, const std::string& after,
    const std::function<void(const std::string& folder)>& inspect = nullptr);
#endif

}  // namespace tooltest
