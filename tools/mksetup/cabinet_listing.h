// The file list of a cabinet, read straight from its CFHEADER, CFFOLDER and CFFILE entries, for
// `mksetup inspect` and the tests. It reads no data blocks (cabx tests those).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct ListedFolder {
    uint32_t dataStart = 0;   // coffCabStart
    uint16_t blockCount = 0;  // cCFData
    uint16_t typeCompress = 0;
};

struct ListedEntry {
    std::string name;
    uint32_t size = 0;
    uint32_t folderOffset = 0;
    uint16_t folder = 0;
    uint16_t date = 0;
    uint16_t time = 0;
    uint16_t attribs = 0;
};

struct CabinetListing {
    uint32_t cabinetSize = 0;  // cbCabinet
    uint16_t setId = 0;
    std::vector<ListedFolder> folders;
    std::vector<ListedEntry> entries;
};

// Reads the cabinet that starts at offset of file. False with a message when it is not a
// cabinet of version 1.3 or its lists are cut short.
bool ListCabinet(std::FILE* file, int64_t offset, CabinetListing& listing, std::string& error);

// "2024-05-01 12:34:56" from a DOS date and time; "ARHS" style flags from DOS attributes.
std::string FormatDosDateTime(uint16_t date, uint16_t time);
std::string FormatAttributes(uint16_t attribs);
// "stored", "MSZIP", "Quantum (window 2^n)", "LZX (window 2^n)".
std::string CompressionName(uint16_t typeCompress);
