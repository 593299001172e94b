// The CabinetDecoder's context and the steps the reader is made of, shared by the cabinet_*.cpp
// files and by nothing outside cab/.
//
//   cabinet_open.cpp    opening a cabinet: header, reserves, texts; closing its handles
//   cabinet_folder.cpp  selecting a folder and setting up its codec
//   cabinet_blocks.cpp  reading CFDATA blocks, and moving on to the next cabinet of a set
//   cabinet_copy.cpp    Create, Copy and Destroy: the file list and the extraction of entries
//   cabinet_set.cpp     CopySet: one Copy per cabinet of a set
#pragma once

#include <cstdint>

#include "cab/cab_format.h"
#include "cab/cabinet.h"
#include "cab/codec.h"

namespace cab {

constexpr uint16_t NoFolder = 0xFFFF;
constexpr uint16_t AnyCabinet = 0xFFFF;

struct Decoder {
    // Given to Create.
    AllocFunction alloc = nullptr;
    FreeFunction free = nullptr;
    OpenFunction open = nullptr;
    ReadFunction read = nullptr;
    WriteFunction write = nullptr;
    CloseFunction close = nullptr;
    SeekFunction seek = nullptr;
    int cpuType = 0;
    ErrorRecord* error = nullptr;

    // Given to Copy.
    NotifyFunction notify = nullptr;
    HookFunction hook = nullptr;
    void* user = nullptr;

    // Two handles on the current cabinet so the file list and the data move independently.
    int listHandle = -1;  // header, texts, CFFILE entries
    int dataHandle = -1;  // CFFOLDER entries and CFDATA blocks
    int outputHandle = -1;

    // The current cabinet's header.
    uint16_t folderCount = 0;
    uint16_t fileCount = 0;
    uint16_t headerFlags = 0;
    uint16_t setID = 0;
    uint16_t iCabinet = 0;
    uint32_t coffFiles = 0;
    uint32_t folderArrayStart = 0;

    // Reserve areas. The folder and data sizes are fixed by the first cabinet the context opens;
    // the header reserve follows each cabinet.
    uint8_t* headerReserve = nullptr;
    uint16_t headerReserveSize = 0;
    uint8_t* folderEntry = nullptr;  // CFFOLDER + folder reserve
    uint32_t folderEntrySize = 0;    // 0: not set up yet
    uint8_t* dataHeader = nullptr;   // CFDATA header + data reserve
    uint32_t dataHeaderSize = 0;     // 0: not set up yet

    // The current CFFILE entry.
    uint8_t fileEntry[FileSize] = {};
    char name[MaxStringSize] = {};

    char previousCabinet[MaxStringSize] = {};
    char previousDisk[MaxStringSize] = {};
    char nextCabinet[MaxStringSize] = {};
    char nextDisk[MaxStringSize] = {};
    char cabinetPath[MaxStringSize] = {};
    char fullName[MaxStringSize] = {};

    // Position in the current folder's data.
    uint16_t currentFolder = NoFolder;
    uint32_t blocksLeft = 0;   // CFDATA blocks of the folder still unread in this cabinet
    uint64_t blockStart = 0;   // folder offset of the first byte of the block in hand
    uint32_t blockLength = 0;  // uncompressed bytes of the block in hand

    uint32_t entriesLeft = 0;
    uint32_t skipCount = 0;    // continued entries declined, whose continuations must be dropped
    bool continuation = false; // extraction has moved into the next cabinet during this Copy

    // The codec and its buffers.
    uint16_t compression = MethodNone;  // typeCompress of the codec in hand
    const Codec* codec = nullptr;
    void* codecHandle = nullptr;
    uint8_t* input = nullptr;
    uint32_t inputSize = 0;
    uint8_t* output = nullptr;
    uint32_t outputSize = 0;
    // The client's block buffers (see SetBlockBuffer), and where the block in hand lies: in
    // output or in one of them.
    BlockBufferFunction provideBlock = nullptr;
    void* provideContext = nullptr;
    const uint8_t* block = nullptr;

    Notification record;
    HookRecord hookRecord;
};

// Sets the error record and returns false, so a failing step can `return Fail(...)`.
bool Fail(Decoder& d, int32_t code, int32_t detail = 0);

// Frees through the client, which is only ever handed pointers its alloc returned.
inline void FreeMemory(Decoder& d, void* memory) {
    if (memory != nullptr) d.free(memory);
}

// Sends a notification; -1 fails with UserAbort. Other results go to *result when given.
bool Notify(Decoder& d, int kind, int* result = nullptr);
// Calls the hook, when there is one; -1 fails with UserAbort.
bool CallHook(Decoder& d, HookKind kind);

// cabinet_open.cpp
bool OpenCabinet(Decoder& d, const char* name, uint16_t expectedSet, uint16_t expectedIndex);
bool ReadString(Decoder& d, char* text);
bool ReadExact(Decoder& d, int handle, void* buffer, uint32_t count);
bool SeekTo(Decoder& d, int handle, uint64_t offset);
bool CloseCabinet(Decoder& d);

// cabinet_folder.cpp
bool SelectFolder(Decoder& d, uint16_t folder);
bool LoadFolder(Decoder& d, uint16_t folder);
bool SwitchCodec(Decoder& d, uint16_t typeCompress);
// Destroys the codec in hand and frees its buffers; the word in hand becomes MethodNone in
// every case, so a failure (DecompressFailed) leaves nothing behind.
bool ReleaseCodec(Decoder& d);

// cabinet_blocks.cpp
bool ReadNextBlock(Decoder& d);
bool MoveToNextCabinet(Decoder& d);

}  // namespace cab
