// Reading a cabinet's header and lists (format constants in cab/cab_format.h).
#include "tools/mksetup/cabinet_listing.h"

#include <cstdio>
#include <cstring>

#include "cab/cab_format.h"
#include "config/file_position.h"

namespace {

using cab::ReadU16;
using cab::ReadU32;

bool ReadExactly(std::FILE* file, uint8_t* buffer, size_t size) { return std::fread(buffer, 1, size, file) == size; }

// A NUL-terminated text of at most 255 bytes at the file's position; the position ends after it.
bool ReadText(std::FILE* file, std::string& text) {
    text.clear();
    for (uint32_t i = 0; i < cab::MaxStringSize; ++i) {
        int c = std::fgetc(file);
        if (c == EOF) return false;
        if (c == 0) return true;
        text += char(c);
    }
    return false;
}

}  // namespace

bool ListCabinet(std::FILE* file, int64_t offset, CabinetListing& listing, std::string& error) {
    listing = CabinetListing();
    uint8_t header[cab::HeaderSize];
    if (!SeekFile(file, offset) || !ReadExactly(file, header, sizeof header) ||
        std::memcmp(header, cab::HeaderSignature, 4) != 0) {
        error = "not a cabinet";
        return false;
    }
    if (ReadU16(header + cab::HeaderOffsetVersion) != cab::SupportedVersion) {
        error = "cabinet version is not 1.3";
        return false;
    }
    listing.cabinetSize = ReadU32(header + 8);
    listing.setId = ReadU16(header + cab::HeaderOffsetSetId);
    uint16_t flags = ReadU16(header + cab::HeaderOffsetFlags);
    uint32_t folderReserve = 0;
    if (flags & cab::FlagReservePresent) {
        uint8_t sizes[cab::ReserveSizesSize];
        if (!ReadExactly(file, sizes, sizeof sizes)) {
            error = "cabinet header cut short";
            return false;
        }
        folderReserve = sizes[2];
        std::vector<uint8_t> skipped(ReadU16(sizes));
        if (!skipped.empty() && !ReadExactly(file, skipped.data(), skipped.size())) {
            error = "cabinet header cut short";
            return false;
        }
    }
    std::string ignored;
    int texts = ((flags & cab::FlagPreviousCabinet) ? 2 : 0) + ((flags & cab::FlagNextCabinet) ? 2 : 0);
    for (int i = 0; i < texts; ++i) {
        if (!ReadText(file, ignored)) {
            error = "cabinet header cut short";
            return false;
        }
    }
    std::vector<uint8_t> folder(cab::FolderSize + folderReserve);
    for (uint16_t i = 0, n = ReadU16(header + cab::HeaderOffsetFolderCount); i < n; ++i) {
        if (!ReadExactly(file, folder.data(), folder.size())) {
            error = "cabinet folder list cut short";
            return false;
        }
        ListedFolder listed;
        listed.dataStart = ReadU32(&folder[cab::FolderOffsetDataStart]);
        listed.blockCount = ReadU16(&folder[cab::FolderOffsetBlockCount]);
        listed.typeCompress = ReadU16(&folder[cab::FolderOffsetCompression]);
        listing.folders.push_back(listed);
    }
    if (!SeekFile(file, offset + ReadU32(header + cab::HeaderOffsetCoffFiles))) {
        error = "cabinet file list out of reach";
        return false;
    }
    for (uint16_t i = 0, n = ReadU16(header + cab::HeaderOffsetFileCount); i < n; ++i) {
        uint8_t fixed[cab::FileSize];
        ListedEntry entry;
        if (!ReadExactly(file, fixed, sizeof fixed) || !ReadText(file, entry.name)) {
            error = "cabinet file list cut short";
            return false;
        }
        entry.size = ReadU32(fixed + cab::FileOffsetSize);
        entry.folderOffset = ReadU32(fixed + cab::FileOffsetFolderStart);
        entry.folder = ReadU16(fixed + cab::FileOffsetFolder);
        entry.date = ReadU16(fixed + cab::FileOffsetDate);
        entry.time = ReadU16(fixed + cab::FileOffsetTime);
        entry.attribs = ReadU16(fixed + cab::FileOffsetAttributes);
        listing.entries.push_back(entry);
    }
    return true;
}

std::string FormatDosDateTime(uint16_t date, uint16_t time) {
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", 1980u + (date >> 9), (date >> 5) & 15u,
                  date & 31u, time >> 11, (time >> 5) & 63u, (time & 31u) * 2);
    return text;
}

std::string FormatAttributes(uint16_t attribs) {
    std::string text = "----";
    if (attribs & 0x20) text[0] = 'A';
    if (attribs & 0x01) text[1] = 'R';
    if (attribs & 0x02) text[2] = 'H';
    if (attribs & 0x04) text[3] = 'S';
    return text;
}

std::string CompressionName(uint16_t typeCompress) {
    unsigned window = (typeCompress >> cab::CompressionWindowShift) & cab::CompressionWindowMask;
    switch (typeCompress & cab::CompressionMethodMask) {
    case cab::MethodStored: return "stored";
    case cab::MethodMszip: return "MSZIP";
    case cab::MethodQuantum: return "Quantum (window 2^" + std::to_string(window) + ")";
    case cab::MethodLzx: return "LZX (window 2^" + std::to_string(window) + ")";
    default: return "method " + std::to_string(typeCompress & cab::CompressionMethodMask);
    }
}
