// Checking a package before an installer is built from it: the configuration documents and the
// extra defines files are loaded with the installer's own loaders, so a package that the
// installer would refuse is refused here with the same error text (message, line and file).
#pragma once

#include <string>
#include <vector>

struct PackageCheckResult {
    std::string error;                  // the first load error; empty when every document loaded
    std::vector<std::string> warnings;  // texts the installer would show empty, missing pictures ...
};

// cfgFolder is the package's cfg folder; definesFiles are attached in the given order.
// False when a document fails to load (result.error says why).
bool CheckPackage(const std::string& cfgFolder, const std::vector<std::string>& definesFiles,
                  PackageCheckResult& result);
