// Printing the payload chain of an installer file.
#include "tools/mksetup/inspect.h"

#include <algorithm>
#include <vector>

#include "driver/payload_chain.h"
#include "tools/mksetup/cabinet_listing.h"

namespace {

const char* RecordTypeName(uint32_t type) {
    switch (type) {
    case DefinesRecord: return "defines";
    case CabinetRecord: return "cabinet";
    case StubRecord: return "stub";
    default: return "unknown";
    }
}

void PrintCabinet(std::FILE* file, const PayloadRecord& record, std::FILE* out) {
    CabinetListing listing;
    std::string error;
    if (!ListCabinet(file, record.offset, listing, error)) {
        std::fprintf(out, "    (%s)\n", error.c_str());
        return;
    }
    std::fprintf(out, "    %zu entries in %zu folder(s), setID 0x%04X\n", listing.entries.size(),
                 listing.folders.size(), unsigned(listing.setId));
    for (size_t i = 0; i < listing.folders.size(); ++i) {
        std::fprintf(out, "    folder %zu: %s, %u blocks\n", i, CompressionName(listing.folders[i].typeCompress).c_str(),
                     unsigned(listing.folders[i].blockCount));
    }
    for (const ListedEntry& entry : listing.entries) {
        std::fprintf(out, "    %12u  %s  %s  %s\n", unsigned(entry.size),
                     FormatDosDateTime(entry.date, entry.time).c_str(), FormatAttributes(entry.attribs).c_str(),
                     entry.name.c_str());
    }
}

void PrintDefines(std::FILE* file, const PayloadRecord& record, std::FILE* out) {
    std::string text;
    if (!ReadRecordText(file, record.offset, record.length, text)) {
        std::fprintf(out, "    (unreadable)\n");
        return;
    }
    size_t end = text.find_first_of("\r\n");
    std::fprintf(out, "    first line: %s\n", text.substr(0, end).c_str());
}

}  // namespace

bool InspectInstaller(const std::string& path, std::FILE* out, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = "cannot open '" + path + "'";
        return false;
    }
    std::vector<PayloadRecord> records;
    bool ok = WalkPayloadChain(file, [&](const PayloadRecord& record) {
        records.push_back(record);
        return true;
    });
    std::reverse(records.begin(), records.end());  // the walk runs from the end of the file
    std::fprintf(out, "%s: %zu record(s)%s\n", path.c_str(), records.size(),
                 ok ? "" : " readable; the chain is broken before them");
    for (size_t i = 0; i < records.size(); ++i) {
        const PayloadRecord& record = records[i];
        std::fprintf(out, "record %zu: %-7s offset %lld, %lld bytes\n", i + 1, RecordTypeName(record.type),
                     (long long)record.offset, (long long)record.length);
        if (record.type == CabinetRecord) PrintCabinet(file, record, out);
        if (record.type == DefinesRecord) PrintDefines(file, record, out);
    }
    std::fclose(file);
    if (!ok) error = "'" + path + "' has no valid payload chain";
    return ok;
}
