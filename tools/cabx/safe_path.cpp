// Entry names to safe relative paths (see safe_path.h).
#include "tools/cabx/safe_path.h"

#include "config/paths.h"

bool SafeRelativePath(const std::string& name, std::vector<std::string>& components) {
    if (!SplitRelativeName(name, components)) return false;
    for (const std::string& part : components) {
        if (part == ".") return false;
    }
    return !components.empty();
}
