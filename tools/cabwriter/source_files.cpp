// Listing files on disk as cabinet entries.
#include "tools/cabwriter/source_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <map>

#ifdef _WIN32
#include <windows.h>
#endif

namespace cabwriter {
namespace {

constexpr uint16_t AttributeReadOnly = 0x01;
constexpr uint16_t AttributeHidden = 0x02;
constexpr uint16_t AttributeSystem = 0x04;
constexpr uint16_t AttributeArchive = 0x20;

std::string LowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    }
    return text;
}

}  // namespace

void DosDateTime(std::time_t moment, uint16_t& date, uint16_t& time) {
    std::tm local{};
#ifdef _WIN32
    bool known = localtime_s(&local, &moment) == 0;
#else
    bool known = localtime_r(&moment, &local) != nullptr;
#endif
    int year = known ? local.tm_year + 1900 : 1980;
    if (!known || year < 1980) {
        date = uint16_t((1 << 5) | 1);  // 1980-01-01
        time = 0;
        return;
    }
    if (year > 2107) {
        date = uint16_t((127 << 9) | (12 << 5) | 31);
        time = uint16_t((23 << 11) | (59 << 5) | 29);
        return;
    }
    date = uint16_t(((year - 1980) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
    // tm_sec may be 60 on a leap second; DOS counts two-second steps up to 29.
    time = uint16_t((local.tm_hour << 11) | (local.tm_min << 5) | std::min(local.tm_sec / 2, 29));
}

bool EntryFromFile(const std::string& path, const std::string& name, CabinetEntry& entry, std::string& error) {
#ifdef _WIN32
    struct _stat64 info;
    if (_stat64(path.c_str(), &info) != 0) {
#else
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
#endif
        error = "cannot read '" + path + "'";
        return false;
    }
    entry = CabinetEntry();
    entry.name = name;
    entry.sourcePath = path;
    entry.size = uint64_t(info.st_size);
    DosDateTime(std::time_t(info.st_mtime), entry.date, entry.time);
#ifdef _WIN32
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) attributes = FILE_ATTRIBUTE_ARCHIVE;
    entry.attribs = uint16_t(attributes & (AttributeReadOnly | AttributeHidden | AttributeSystem | AttributeArchive));
#else
    entry.attribs = AttributeArchive;
    if ((info.st_mode & S_IWUSR) == 0) entry.attribs |= AttributeReadOnly;
#endif
    return true;
}

bool SortEntries(std::vector<CabinetEntry>& entries, std::string& error) {
    std::sort(entries.begin(), entries.end(),
              [](const CabinetEntry& a, const CabinetEntry& b) { return a.name < b.name; });
    std::map<std::string, const CabinetEntry*> seen;
    for (const CabinetEntry& entry : entries) {
        auto inserted = seen.emplace(LowerAscii(entry.name), &entry);
        if (!inserted.second) {
            error = "'" + inserted.first->second->name + "' and '" + entry.name +
                    "' differ only in letter case; Windows would install them as one file";
            return false;
        }
    }
    return true;
}

bool AddFolderFiles(const std::string& folder, const std::string& namePrefix, std::vector<CabinetEntry>& entries,
                    std::string& error) {
    namespace fs = std::filesystem;
    std::vector<CabinetEntry> found;
    try {
        std::error_code failure;
        fs::path root(folder);
        if (!fs::is_directory(root, failure)) {
            error = "'" + folder + "' is not a folder";
            return false;
        }
        fs::recursive_directory_iterator walk(root, failure), end;
        for (; !failure && walk != end; walk.increment(failure)) {
            if (!walk->is_regular_file(failure)) continue;
            std::string name = namePrefix + walk->path().lexically_relative(root).generic_string();
            std::replace(name.begin(), name.end(), '/', '\\');
            if (name.size() > MaxNameLength) {
                error = "name too long for a cabinet (" + std::to_string(name.size()) + " bytes, at most " +
                        std::to_string(MaxNameLength) + "): " + name;
                return false;
            }
            CabinetEntry entry;
            if (!EntryFromFile(walk->path().string(), name, entry, error)) return false;
            found.push_back(std::move(entry));
        }
        if (failure) {
            error = "cannot list '" + folder + "': " + failure.message();
            return false;
        }
    } catch (const std::exception& e) {
        error = "cannot list '" + folder + "': " + e.what();
        return false;
    }
    entries.insert(entries.end(), found.begin(), found.end());
    return SortEntries(entries, error);
}

}  // namespace cabwriter
