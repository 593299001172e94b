// The CabinetDecoder: reads a cabinet (or a set of cabinets) and hands its entries to a client.
//
// The client supplies seven functions at Create (memory and file access: the decoder opens no
// file and allocates nothing on its own), then calls Copy once per cabinet it wants read. Copy
// sends the client one notification per event (the cabinet opened, an entry found, an entry
// written, the next cabinet of a set wanted, the file list reached); for an entry the client
// wants, it returns an output handle from its CopyFile notification and the decoder writes the
// entry's bytes there through the client's write. An optional hook sees the reserve areas and
// every data block before it is decompressed.
//
// Results are integers (1 success, 0 failure) and an ErrorRecord owned by the client; nothing
// throws. A context serves one thread at a time.
#pragma once

#include <cstdint>

namespace cab {

// ---- Client functions -----------------------------------------------------------------------
using AllocFunction = void* (*)(uint32_t size);                         // null when out of memory
using FreeFunction = void (*)(void* memory);
using OpenFunction = int (*)(const char* name, int flags, int mode);    // -1 on failure
using ReadFunction = int32_t (*)(int handle, void* buffer, uint32_t count);          // bytes read
using WriteFunction = int32_t (*)(int handle, const void* buffer, uint32_t count);   // bytes written
using CloseFunction = int (*)(int handle);                              // 0 on success
// origin: SeekFromStart or SeekFromCurrent; returns the new position or -1.
using SeekFunction = int32_t (*)(int handle, int32_t offset, int origin);

constexpr int SeekFromStart = 0;
constexpr int SeekFromCurrent = 1;

// ---- Errors ---------------------------------------------------------------------------------
enum ErrorCode : int32_t {
    ErrorNone = 0,
    CabinetNotFound = 1,     // the cabinet file could not be opened
    NotACabinet = 2,         // short header, wrong signature, reserve sizes or reserve unreadable
    UnknownVersion = 3,      // the version word is not 0x0103; detail holds the word found
    CorruptCabinet = 4,      // a short read, a bad seek, an unterminated text, a bad checksum,
                             // a block too large, a field pointing outside the cabinet
    OutOfMemory = 5,         // alloc returned null
    BadCompressionType = 6,  // a folder's method is none of the four known ones
    DecompressFailed = 7,    // a codec failed, or a block decoded to the wrong size
    TargetFileError = 8,     // a short write, or CloseFileInfo answered 0
    ReserveMismatch = 9,     // a later cabinet's folder or data reserve size differs
    WrongCabinet = 10,       // the next cabinet belongs to another set or has another index
    UserAbort = 11,          // notify or hook returned -1
};

// Owned by the client. Every failure sets code and detail and sets raised to 1; a success
// leaves the record as it was.
struct ErrorRecord {
    int32_t code = 0;
    int32_t detail = 0;
    int32_t raised = 0;
};

// The error's name as written above ("CorruptCabinet"), and a plain sentence saying what it means.
const char* ErrorName(int32_t code);
const char* ErrorSentence(int32_t code);

// ---- Notifications --------------------------------------------------------------------------
enum NotificationKind : int {
    CabinetInfo = 0,    // a cabinet was opened
    PartialFile = 1,    // an entry continued from a previous cabinet (not extracted here)
    CopyFile = 2,       // an entry: return 0 to skip, -1 to abort, else the output handle
    CloseFileInfo = 3,  // an entry's bytes are written: close handle; 0 fails, -1 aborts
    NextCabinet = 4,    // the next cabinet of the set is needed; the client may rewrite
                        // str1 (its name) and str3 (its folder), 256 bytes each
    Enumerate = 5,      // the file list is about to be read, or has been read
};

// One record, reused for every notification of a Copy: fields a notification does not set keep
// what the previous one left.
struct Notification {
    int32_t size = 0;
    char* str1 = nullptr;
    char* str2 = nullptr;
    char* str3 = nullptr;
    void* user = nullptr;
    int handle = 0;
    uint16_t date = 0;
    uint16_t time = 0;
    uint16_t attribs = 0;
    uint16_t setID = 0;
    uint16_t iCabinet = 0;
    uint16_t iFolder = 0;
    int32_t error = 0;
};

using NotifyFunction = int (*)(int kind, Notification* record);

enum HookKind : int32_t {
    CabinetOpened = 0,  // after the CabinetInfo of every cabinet opened
    FolderOpened = 1,   // after every folder selection
    BlockRead = 2,      // after a data piece is read and its checksum verified, before decoding
};

struct HookRecord {
    int32_t kind = 0;
    void* user = nullptr;
    // CabinetOpened: the header reserve; FolderOpened: the folder reserve; BlockRead: the data
    // reserve. Null when the reserve is empty.
    uint8_t* reserve = nullptr;
    uint16_t reserveSize = 0;
    uint16_t setID = 0;     // CabinetOpened
    int32_t iCabinet = 0;   // CabinetOpened
    uint16_t iFolder = 0;   // FolderOpened
    // BlockRead: this piece's bytes in the compressed-data buffer (the client may change them),
    // the bytes held in the buffer so far (this piece included), 1 when the block is split over
    // two cabinets, and where this piece begins in the buffer.
    uint8_t* data = nullptr;
    uint16_t dataSize = 0;
    int32_t split = 0;
    uint16_t dataOffset = 0;
};

using HookFunction = int (*)(HookRecord* record);

// ---- Operations -----------------------------------------------------------------------------
struct Decoder;

// cpuType is handed to the Quantum codec only. Returns null (error record set) on failure.
Decoder* Create(AllocFunction alloc, FreeFunction free, OpenFunction open, ReadFunction read,
                WriteFunction write, CloseFunction close, SeekFunction seek, int cpuType,
                ErrorRecord* error);

// Reads the cabinet cabinetPath + cabinetName (joined as they are: cabinetPath ends with its
// separator, or is empty). flags is ignored; notify is required, hook may be null; user comes
// back in every record. Returns 1 on success, 0 on failure (see the error record).
int Copy(Decoder* decoder, const char* cabinetName, const char* cabinetPath, int flags,
         NotifyFunction notify, HookFunction hook, void* user);

// Releases the codec, the buffers and the context. Always returns 1.
int Destroy(Decoder* decoder);

// Optional, for a client that would otherwise copy every piece it is given: before a block of a
// method that keeps its history apart from its output (stored, Quantum, LZX) is decoded, the
// decoder asks `provide` for `size` bytes to decode it into, and the block's pieces are then
// written from there. The client's buffer must stay as it is until the next call or the end of
// Copy. A null answer, or no function, keeps the decoder's own buffer; MSZIP blocks always use
// it, as each is the history of the next.
using BlockBufferFunction = uint8_t* (*)(void* context, uint32_t size);
void SetBlockBuffer(Decoder* decoder, BlockBufferFunction provide, void* context);

}  // namespace cab
