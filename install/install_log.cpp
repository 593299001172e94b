// The install log stream. The file is written as bytes with explicit CR LF line ends, which is
// what a text-mode stream on Windows produces, on every platform alike.
#include "install/install_log.h"

#include <cstdio>

#ifdef _WIN32
#include <share.h>
#endif

namespace {

std::FILE*& LogFile() {
    static std::FILE* file = nullptr;
    return file;
}

}  // namespace

bool OpenInstallLog(const std::string& path) {
    CloseInstallLog();
#ifdef _WIN32
    LogFile() = _fsopen(path.c_str(), "wb", _SH_DENYNO);
#else
    LogFile() = std::fopen(path.c_str(), "wb");
#endif
    return LogFile() != nullptr;
}

bool InstallLogIsOpen() { return LogFile() != nullptr; }

void WriteLogLine(const std::string& line) {
    std::FILE* file = LogFile();
    if (!file) return;
    std::string whole = line + "\r\n";
    std::fwrite(whole.data(), 1, whole.size(), file);
    std::fflush(file);
}

void WriteLogLine(LogLine kind, const std::string& value) { WriteLogLine(FormatLogLine(kind, value)); }

void CloseInstallLog() {
    if (LogFile()) std::fclose(LogFile());
    LogFile() = nullptr;
}
