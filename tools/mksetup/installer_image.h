// Building an installer file: the stub image followed by the payload records of
// driver/payload_chain.h, in this order:
//
//     [stub image][length][2]  [cabinet of cfg\ and files\][length][1]  [defines text][length][0] ...
//
// one defines record per defines file, in the order given (the installer applies them in file
// order, so the last one given wins).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/cabwriter/cabinet_writer.h"

struct InstallerInputs {
    std::string stubPath;
    std::string packageFolder;                // holds cfg/ and files/
    std::vector<std::string> definesFiles;
    cabwriter::CompressionChoice compression;
    std::function<void(uint64_t done, uint64_t total)> progress;
};

// Writes the installer to outputPath (through a temporary file beside it, so that a failure
// leaves no half-written installer). The package is not validated here (see package_check.h).
bool BuildInstaller(const InstallerInputs& inputs, const std::string& outputPath, std::string& error);

// The cabinet entries of a package: cfg\... and files\..., sorted by name.
bool PackageEntries(const std::string& packageFolder, std::vector<cabwriter::CabinetEntry>& entries,
                    std::string& error);
