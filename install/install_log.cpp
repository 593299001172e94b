// The install log stream. The file is written as bytes with explicit CR LF line ends, which is
// what a text-mode stream on Windows produces, on every platform alike.
//
// The uninstaller reads the log line by line, so a line is either in the file whole or not at
// all: when a line cannot be written whole (a full disk), the file is cut back to the end of the
// line before it.
#include "install/install_log.h"

#include <cstdio>

#ifdef _WIN32
#include <io.h>
#include <share.h>
#else
#include <unistd.h>
#endif

namespace {

std::FILE*& LogFile() {
    static std::FILE* file = nullptr;
    return file;
}

// Bytes of complete lines in the file.
long& CompleteLength() {
    static long length = 0;
    return length;
}

void CutBackTo(std::FILE* file, long length) {
    std::clearerr(file);
    std::fseek(file, length, SEEK_SET);
#ifdef _WIN32
    _chsize(_fileno(file), length);
#else
    if (ftruncate(fileno(file), length) != 0) return;
#endif
}

}  // namespace

bool OpenInstallLog(const std::string& path) {
    CloseInstallLog();
#ifdef _WIN32
    LogFile() = _fsopen(path.c_str(), "wb", _SH_DENYNO);
#else
    LogFile() = std::fopen(path.c_str(), "wb");
#endif
    CompleteLength() = 0;
    // Unbuffered: each line goes to the file in one write, and nothing of a failed line stays
    // behind in a buffer to reach the file later.
    if (LogFile()) std::setvbuf(LogFile(), nullptr, _IONBF, 0);
    return LogFile() != nullptr;
}

bool InstallLogIsOpen() { return LogFile() != nullptr; }

void WriteLogLine(const std::string& line) {
    std::FILE* file = LogFile();
    if (!file) return;
    std::string whole = line + "\r\n";
    bool written = std::fwrite(whole.data(), 1, whole.size(), file) == whole.size();
    if (std::fflush(file) != 0 || !written) {
        CutBackTo(file, CompleteLength());
        return;
    }
    CompleteLength() += static_cast<long>(whole.size());
}

void WriteLogLine(LogLine kind, const std::string& value) { WriteLogLine(FormatLogLine(kind, value)); }

void CloseInstallLog() {
    if (LogFile()) std::fclose(LogFile());
    LogFile() = nullptr;
}
