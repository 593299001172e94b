// Loads props.xml, install.xml, defines.xml and the defines files as the installer does, then
// looks for the page and message texts that nothing defines.
#include "tools/mksetup/package_check.h"

#include <cstdio>

#include "config/define_table.h"
#include "config/property_table.h"
#include "install/install_config.h"
#include "tools/mksetup/placeholder_ids.h"

namespace {

bool FileExists(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    std::fclose(file);
    return true;
}

// A defines record carries its text up to the first NUL byte; anything after one would be lost.
bool HasNulByte(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    int c;
    while ((c = std::fgetc(file)) != EOF) {
        if (c == 0) break;
    }
    std::fclose(file);
    return c == 0;
}

}  // namespace

bool CheckPackage(const std::string& cfgFolder, const std::vector<std::string>& definesFiles,
                  PackageCheckResult& result) {
    std::string cfg = cfgFolder + "/";
    PropertyTable properties;
    if (!properties.Load(cfg + "props.xml")) {
        result.error = properties.ErrorText();
        return false;
    }
    InstallConfig install;
    if (!install.Load(cfg + "install.xml")) {
        result.error = install.ErrorText();
        return false;
    }
    DefineTable defines;
    if (!defines.LoadFile(cfg + "defines.xml")) {
        result.error = defines.ErrorText();
        return false;
    }
    for (const std::string& path : definesFiles) {
        if (HasNulByte(path)) {
            result.error = "'" + path + "' holds a NUL byte; the installer would read only the text before it";
            return false;
        }
        DefineTable attached;
        if (!attached.LoadFile(path)) {
            result.error = attached.ErrorText();
            return false;
        }
        for (const auto& variable : attached.Variables()) defines.Set(variable.first, variable.second);
    }

    // An id reaches the pages through props.xml, or through a define of the same name.
    for (const PlaceholderId& placeholder : PlaceholderIds()) {
        if (properties.Strings.count(placeholder.id) || defines.Variables().count(placeholder.id)) continue;
        result.warnings.push_back(std::string("props.xml does not define %") + placeholder.id + "% (" +
                                  placeholder.shownOn + "); it will show as empty text");
    }
    for (const char* name : {"logo.bmp", "product.bmp", "license.txt", "readme.txt"}) {
        if (!FileExists(cfg + name)) result.warnings.push_back(std::string("cfg/") + name + " is missing");
    }
    return true;
}
