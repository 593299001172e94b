// The payload behind the installer's program image.
//
// An installer file is the program image followed by records, each laid out as
//
//     +----------------+------------------+-----------------+
//     | data           | length           | type            |
//     | (length bytes) | int32, LE        | uint32, LE      |
//     +----------------+------------------+-----------------+
//
// and the chain is read backwards from the last byte: the last record's type field is the last
// four bytes of the file, and the record before a record ends where that record's data begins.
// The first record is the stub record, whose data is the program image itself (offset 0):
//
//     [program image][image length][2] [cabinet][cabinet length][1] [defines][length][0] ...
//
// The producer (mksetup) writes this layout; the installer and cabx read it. Both sides must
// stay in step with the constants here.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

enum PayloadRecordType : uint32_t {
    DefinesRecord = 0,  // a defines document as text, up to its first NUL byte
    CabinetRecord = 1,  // a complete cabinet file
    StubRecord = 2,     // the program image; skipped
};

// Size of the length and type fields that close every record.
constexpr int64_t PayloadTrailerSize = 8;

struct PayloadRecord {
    uint32_t type = 0;
    int64_t offset = 0;   // file offset of the record's data
    int64_t length = 0;   // bytes of data
};

// Walks the chain from the end of the file towards its start, calling visit for every well-formed
// record, nearest the end first. visit returns false to stop the walk (the walk then fails).
// Fails on a length that is negative or reaches before the start of the file, on a type field
// with no room for a length before it, on an unknown type and on a read error. Records visited
// before the failure stay visited. A file of 4 bytes or fewer has an empty chain.
bool WalkPayloadChain(std::FILE* file, const std::function<bool(const PayloadRecord&)>& visit);

// Copies length bytes at offset of `from` to `to` in pieces of 4096 bytes.
bool CopyFileRange(std::FILE* from, int64_t offset, int64_t length, std::FILE* to);

// Reads length bytes at offset into text, stopping at the first NUL byte.
bool ReadRecordText(std::FILE* file, int64_t offset, int64_t length, std::string& text);

struct PayloadChainResult {
    // Texts of the defines records in file order: the one nearest the start of the file first.
    std::vector<std::string> attachedDefines;
    bool cabinetWritten = false;
    // A message of its own for the one failure that has one (the cabinet could not be created);
    // empty otherwise. The caller reports every failure with its general message as well.
    std::string message;
};

// Reads the installer's payload: every cabinet record is copied to cabinetFile (creating the
// folders on the way; a second cabinet record rewrites it, so the one nearest the start of the
// file remains), every defines record's text is collected. Records handled before a failure
// stay handled.
bool ReadPayloadChain(std::FILE* file, const std::string& cabinetFile, PayloadChainResult& result);
