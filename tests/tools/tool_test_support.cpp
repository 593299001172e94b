// Test data, external tool runs and folder comparison for the tools' tests.
#include "tests/tools/tool_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>

#include "tests/common/test_files.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace tooltest {

std::string RandomBytes(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& b : bytes) b = char(random());
    return bytes;
}

std::string RepetitiveBytes(size_t size) {
    std::string bytes;
    for (uint32_t line = 0; bytes.size() < size; ++line) {
        bytes += "line " + std::to_string(line % 97) + ": the quick brown fox jumps over the lazy dog\n";
    }
    bytes.resize(size);
    return bytes;
}

cabwriter::CabinetEntry MemoryEntry(const std::string& name, const std::string& contents, uint16_t attribs) {
    cabwriter::CabinetEntry entry;
    entry.name = name;
    entry.contents = contents;
    entry.size = contents.size();
    entry.date = 0x5A21;  // 2025-01-01
    entry.time = 0x6000;  // 12:00:00
    entry.attribs = attribs;
    return entry;
}

std::string WriteTestCabinet(const std::vector<cabwriter::CabinetEntry>& entries,
                             const cabwriter::CabinetOptions& options, const std::string& name) {
    std::string path = TestFilePath(name);
    std::string error;
    bool written = cabwriter::WriteCabinetFile(entries, options, path, error);
    EXPECT_TRUE(written) << error;
    return written ? path : std::string();
}

std::map<std::string, std::string> ExpectedTree(const std::vector<cabwriter::CabinetEntry>& entries) {
    std::map<std::string, std::string> tree;
    for (const cabwriter::CabinetEntry& entry : entries) {
        tree[entry.name] = entry.sourcePath.empty() ? entry.contents : ReadTestFile(entry.sourcePath);
    }
    return tree;
}

std::map<std::string, std::string> ReadTree(const std::string& folder) {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> tree;
    std::error_code failure;
    for (fs::recursive_directory_iterator walk(folder, failure), end; !failure && walk != end;
         walk.increment(failure)) {
        if (!walk->is_regular_file()) continue;
        std::string name = walk->path().lexically_relative(folder).generic_string();
        for (char& c : name) {
            if (c == '/') c = '\\';
        }
        tree[name] = ReadTestFile(walk->path().string());
    }
    return tree;
}

#ifndef _WIN32
CommandResult RunCommand(const std::string& command) {
    std::string out = TestFilePath("command.out"), err = TestFilePath("command.err");
    int status = std::system((command + " >" + Quote(out) + " 2>" + Quote(err)).c_str());
    CommandResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadTestFile(out);
    result.err = ReadTestFile(err);
    std::remove(out.c_str());
    std::remove(err.c_str());
    return result;
}

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') quoted += "'\\''";
        else quoted += c;
    }
    return quoted + "'";
}

bool HaveProgram(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

std::map<std::string, std::string> ExtractWithTool(const std::string& before, const std::string& after,
                                                   const std::function<void(const std::string&)>& inspect) {
    const std::string folder = TestFilePath("out");
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const CommandResult run = RunCommand(before + Quote(folder) + after);
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    std::map<std::string, std::string> tree = ReadTree(folder);
    if (inspect) inspect(folder);
    std::filesystem::remove_all(folder);
    return tree;
}
#endif

}  // namespace tooltest
