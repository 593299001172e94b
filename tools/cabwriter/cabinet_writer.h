// The cabinet writer: a single cabinet (no set, no reserve areas) holding a list of entries.
//
// Layout written, every field little-endian:
//
//     CFHEADER   36 bytes: "MSCF", cbCabinet, coffFiles, version 1.3, cFolders, cFiles,
//                flags 0, setID, iCabinet 0
//     CFFOLDER   8 bytes per folder: coffCabStart, cCFData, typeCompress
//     CFFILE     16 bytes + NUL-terminated name per entry, in the order given
//     CFDATA     per folder, its blocks: csum, cbData, cbUncomp, then cbData bytes
//
// A folder's uncompressed stream is its entries' bytes back to back, cut into blocks of 32768
// bytes (the last one shorter) that the folder's BlockEncoder compresses. Entries fill one
// folder until the next entry would take it past the block limit (65535 blocks, cCFData being
// 16 bits); then a new folder starts. Every block carries its checksum.
//
// The output is deterministic: no clock is read, the entries keep the caller's order, and the
// setID is derived from the file list and the block checksums unless the caller fixes it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tools/cabwriter/block_encoder.h"

namespace cabwriter {

struct CabinetEntry {
    std::string name;        // backslash-separated, 1 to 255 bytes
    std::string sourcePath;  // the file whose bytes are stored; when empty, `contents` is
    std::string contents;
    uint64_t size = 0;       // cbFile; for a source file, its size when it was listed
    uint16_t date = 0;       // DOS date and time (local time)
    uint16_t time = 0;
    uint16_t attribs = 0;    // DOS attributes: 0x01 read-only, 0x02 hidden, 0x04 system, 0x20 archive
};

// Largest number of CFDATA blocks in one folder (cCFData is 16 bits).
constexpr uint32_t MaxBlocksPerFolder = 65535;
// Longest entry name, before its NUL.
constexpr size_t MaxNameLength = 255;
// Most entries in one cabinet (cFiles is 16 bits).
constexpr size_t MaxEntries = 65535;

struct CabinetOptions {
    CompressionChoice compression;
    // Blocks after which a folder is closed; lowered by tests to see folder splits cheaply.
    uint32_t maxBlocksPerFolder = MaxBlocksPerFolder;
    bool fixedSetId = false;
    uint16_t setId = 0;
    // Called after every block with the uncompressed bytes done and the total.
    std::function<void(uint64_t done, uint64_t total)> progress;
};

// Writes the cabinet at the current position of out (which must be seekable: the block
// offsets are filled in at the end) and leaves the position at its end. cabinetSize receives
// the bytes written. False with a message on an invalid entry, an unreadable or changed source
// file, an encoder failure or a write error.
bool WriteCabinet(const std::vector<CabinetEntry>& entries, const CabinetOptions& options, std::FILE* out,
                  uint64_t& cabinetSize, std::string& error);

// Writes the cabinet to a new file at path.
bool WriteCabinetFile(const std::vector<CabinetEntry>& entries, const CabinetOptions& options,
                      const std::string& path, std::string& error);

}  // namespace cabwriter
