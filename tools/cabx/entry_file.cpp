// Folders, times and attributes for extracted entries (see entry_file.h). Failures are ignored:
// the entry's bytes are what matters, the rest is set where it can be.
#include "tools/cabx/entry_file.h"

#include <ctime>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <direct.h>
#include <sys/utime.h>
#include <windows.h>
#else
#include <utime.h>
#endif

namespace {

void MakeFolder(const std::string& path) {
#ifdef _WIN32
    _mkdir(path.c_str());
#else
    mkdir(path.c_str(), 0777);
#endif
}

// DOS date: bits 0-4 day, 5-8 month, 9-15 years since 1980; time: bits 0-4 seconds / 2,
// 5-10 minutes, 11-15 hours.
std::time_t DosToTime(uint16_t date, uint16_t time) {
    std::tm t = {};
    t.tm_mday = date & 31;
    t.tm_mon = ((date >> 5) & 15) - 1;
    t.tm_year = 80 + (date >> 9);
    t.tm_sec = (time & 31) * 2;
    t.tm_min = (time >> 5) & 63;
    t.tm_hour = time >> 11;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

}  // namespace

void CreateParentFolders(const std::string& path) {
    for (size_t i = 1; i < path.size(); ++i) {
        if (path[i] == '/' || path[i] == '\\') MakeFolder(path.substr(0, i));
    }
}

void SetEntryTimeAndAttributes(const std::string& path, uint16_t date, uint16_t time, uint16_t attribs) {
    const std::time_t when = DosToTime(date, time);
    if (when != static_cast<std::time_t>(-1)) {
#ifdef _WIN32
        struct _utimbuf times = {when, when};
        _utime(path.c_str(), &times);
#else
        struct utimbuf times = {when, when};
        utime(path.c_str(), &times);
#endif
    }
#ifdef _WIN32
    // Read-only, hidden, system and archive; every other bit is not a file attribute.
    const DWORD kept = attribs & 0x27;
    SetFileAttributesA(path.c_str(), kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL);
#else
    if (attribs & 0x01) chmod(path.c_str(), 0444);
#endif
}
