// Writing the stub, the cabinet record and the defines records.
#include "tools/mksetup/installer_image.h"

#include <cstdio>

#include "driver/payload_chain.h"
#include "tools/cabwriter/little_endian.h"
#include "tools/cabwriter/source_files.h"

namespace {

// A record's length field is a signed 32-bit value.
constexpr uint64_t MaxRecordLength = INT32_MAX;

bool WriteTrailer(std::FILE* out, uint64_t length, PayloadRecordType type) {
    std::vector<uint8_t> trailer;
    cabwriter::PutU32(trailer, uint32_t(length));
    cabwriter::PutU32(trailer, type);
    return std::fwrite(trailer.data(), 1, trailer.size(), out) == trailer.size();
}

// Copies a whole file as a record's data; length receives its size.
bool AppendFile(const std::string& path, std::FILE* out, uint64_t& length, std::string& error) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) {
        error = "cannot read '" + path + "'";
        return false;
    }
    length = 0;
    char buffer[65536];
    size_t got;
    bool ok = true;
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
        if (std::fwrite(buffer, 1, got, out) != got) {
            error = "write error";
            ok = false;
            break;
        }
        length += got;
    }
    if (ok && std::ferror(in)) {
        error = "cannot read '" + path + "'";
        ok = false;
    }
    std::fclose(in);
    if (ok && length > MaxRecordLength) {
        error = "'" + path + "' is too large for a payload record (2 GB or more)";
        ok = false;
    }
    return ok;
}

bool StubLooksRight(const std::string& path, std::string& error) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) {
        error = "cannot read the installer stub '" + path + "'";
        return false;
    }
    char magic[2] = {0, 0};
    bool ok = std::fread(magic, 1, 2, in) == 2 && magic[0] == 'M' && magic[1] == 'Z';
    std::fclose(in);
    if (!ok) error = "'" + path + "' is not a Windows executable (no MZ header)";
    return ok;
}

bool WriteRecords(const InstallerInputs& inputs, const std::vector<cabwriter::CabinetEntry>& entries,
                  std::FILE* out, std::string& error) {
    uint64_t length = 0;
    if (!AppendFile(inputs.stubPath, out, length, error)) return false;
    if (!WriteTrailer(out, length, StubRecord)) return false;

    cabwriter::CabinetOptions options;
    options.compression = inputs.compression;
    options.progress = inputs.progress;
    if (!cabwriter::WriteCabinet(entries, options, out, length, error)) return false;
    if (length > MaxRecordLength) {
        error = "the cabinet is too large for a payload record (" + std::to_string(length) + " bytes, 2 GB or more)";
        return false;
    }
    if (!WriteTrailer(out, length, CabinetRecord)) return false;

    for (const std::string& path : inputs.definesFiles) {
        if (!AppendFile(path, out, length, error)) return false;
        if (!WriteTrailer(out, length, DefinesRecord)) return false;
    }
    return true;
}

}  // namespace

bool PackageEntries(const std::string& packageFolder, std::vector<cabwriter::CabinetEntry>& entries,
                    std::string& error) {
    entries.clear();
    return cabwriter::AddFolderFiles(packageFolder + "/cfg", "cfg\\", entries, error) &&
           cabwriter::AddFolderFiles(packageFolder + "/files", "files\\", entries, error);
}

bool BuildInstaller(const InstallerInputs& inputs, const std::string& outputPath, std::string& error) {
    std::vector<cabwriter::CabinetEntry> entries;
    if (!StubLooksRight(inputs.stubPath, error) || !PackageEntries(inputs.packageFolder, entries, error)) {
        return false;
    }
    std::string temporary = outputPath + ".part";
    std::FILE* out = std::fopen(temporary.c_str(), "wb");
    if (!out) {
        error = "cannot create '" + temporary + "'";
        return false;
    }
    error.clear();
    bool ok = WriteRecords(inputs, entries, out, error);
    if (std::fclose(out) != 0) ok = false;
    if (ok) {
        std::remove(outputPath.c_str());  // rename does not replace a file on Windows
        ok = std::rename(temporary.c_str(), outputPath.c_str()) == 0;
        if (!ok) error = "cannot create '" + outputPath + "'";
    }
    if (!ok) {
        if (error.empty()) error = "write error on '" + outputPath + "'";
        std::remove(temporary.c_str());
    }
    return ok;
}
