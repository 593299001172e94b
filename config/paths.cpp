// Path helpers shared by the driver, the pages and the install steps.
#include "config/paths.h"

#ifdef _WIN32
#include <direct.h>
#else
#include <sys/stat.h>
#include <sys/types.h>
#endif

namespace {

// Position of the last separator of either kind, or npos.
size_t LastSeparator(const std::string& path) {
    return path.find_last_of("\\/");
}

}  // namespace

std::string DirectoryPart(const std::string& path) {
    size_t at = LastSeparator(path);
    return at == std::string::npos ? std::string() : path.substr(0, at);
}

std::string FileNamePart(const std::string& path) {
    size_t at = LastSeparator(path);
    return at == std::string::npos ? path : path.substr(at + 1);
}

std::string RootPart(const std::string& path) {
    // The search starts at index 2 so that a leading "\\" or a drive's "C:" stays whole.
    size_t at = path.size() > 2 ? path.find_first_of("\\/", 2) : std::string::npos;
    return at == std::string::npos ? path : path.substr(0, at);
}

std::string StripTrailingSeparator(const std::string& path) {
    if (!path.empty() && IsPathSeparator(path.back())) return path.substr(0, path.size() - 1);
    return path;
}

std::string UpperCase(const std::string& text) {
    std::string upper = text;
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

bool CreateFolder(const std::string& path) {
#ifdef _WIN32
    return _mkdir(path.c_str()) == 0;
#else
    return mkdir(path.c_str(), 0777) == 0;
#endif
}

void MakeDirectories(const std::string& path) {
    size_t position = 0;
    for (;;) {
        size_t separator = path.find_first_of("\\/", position);
        if (separator == std::string::npos) break;
        CreateFolder(path.substr(0, separator));
        position = separator + 1;
    }
    CreateFolder(path);
}

bool SplitRelativeName(const std::string& name, std::vector<std::string>& components) {
    components.clear();
    if (name.empty() || IsPathSeparator(name[0]) || name.find(':') != std::string::npos) return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("\\/", start);
        if (end == std::string::npos) end = name.size();
        const std::string part = name.substr(start, end - start);
        if (part == "..") return false;
        if (!part.empty()) components.push_back(part);
        start = end + 1;
    }
    return true;
}
