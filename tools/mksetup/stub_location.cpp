// Locating the stub beside the running executable.
#include "tools/mksetup/stub_location.h"

#include <cstdio>

#include "config/paths.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr const char* StubName = "setup-stub.exe";

// The running executable's own path; argv[0] when the system does not tell.
std::string ExecutablePath(const char* argv0) {
    char buffer[4096];
#ifdef _WIN32
    DWORD got = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    if (got > 0 && got < sizeof buffer) return std::string(buffer, got);
#else
    ssize_t got = readlink("/proc/self/exe", buffer, sizeof buffer);
    if (got > 0 && size_t(got) < sizeof buffer) return std::string(buffer, size_t(got));
#endif
    return argv0 ? argv0 : "";
}

bool Exists(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    std::fclose(file);
    return true;
}

}  // namespace

std::string FindDefaultStub(const char* argv0, std::vector<std::string>& tried) {
    std::string folder = DirectoryPart(ExecutablePath(argv0));
    if (folder.empty()) folder = ".";
    tried = {folder + "/" + StubName, folder + "/../win32/bin/" + StubName};
    for (const std::string& candidate : tried) {
        if (Exists(candidate)) return candidate;
    }
    return std::string();
}
