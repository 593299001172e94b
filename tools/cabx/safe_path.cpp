// Entry names to safe relative paths (see safe_path.h).
#include "tools/cabx/safe_path.h"

bool SafeRelativePath(const std::string& name, std::vector<std::string>& components) {
    components.clear();
    if (name.empty() || name[0] == '\\' || name[0] == '/') return false;
    if (name.find(':') != std::string::npos) return false;
    std::string part;
    for (size_t i = 0; i <= name.size(); ++i) {
        const bool end = i == name.size() || name[i] == '\\' || name[i] == '/';
        if (!end) {
            part += name[i];
            continue;
        }
        if (part == "." || part == "..") return false;
        if (!part.empty()) components.push_back(part);
        part.clear();
    }
    return !components.empty();
}
