// Create, Copy and Destroy: the decoder's public operations. Copy walks the cabinet's file list,
// offers each entry to the client and writes the entries it accepts, block by block, through
// the client's write.
#include <cstring>
#include <new>

#include "cab/cabinet_internal.h"

namespace cab {
namespace {

bool SendEnumerate(Decoder& d) {
    const int32_t position = d.seek(d.listHandle, 0, SeekFromCurrent);
    if (position == -1) return Fail(d, CorruptCabinet);
    d.record.size = position;
    d.record.iFolder = static_cast<uint16_t>(d.entriesLeft);
    d.record.setID = d.setID;
    d.record.user = d.user;
    if (!Notify(d, Enumerate)) return false;
    d.entriesLeft = d.record.iFolder;
    if (d.entriesLeft != 0 && d.record.size != position) {
        if (d.record.size < 0 || d.seek(d.listHandle, d.record.size, SeekFromStart) == -1) {
            return Fail(d, UserAbort);
        }
    }
    return true;
}

uint32_t EntrySize(const Decoder& d) { return ReadU32(d.fileEntry + FileOffsetSize); }
uint32_t EntryFolderStart(const Decoder& d) { return ReadU32(d.fileEntry + FileOffsetFolderStart); }
uint16_t EntryFolder(const Decoder& d) { return ReadU16(d.fileEntry + FileOffsetFolder); }
uint16_t EntryAttributes(const Decoder& d) { return ReadU16(d.fileEntry + FileOffsetAttributes); }

void FillEntryRecord(Decoder& d) {
    d.record.size = static_cast<int32_t>(EntrySize(d));
    d.record.str1 = d.name;
    d.record.str2 = d.previousCabinet;
    d.record.str3 = d.previousDisk;
    d.record.date = ReadU16(d.fileEntry + FileOffsetDate);
    d.record.time = ReadU16(d.fileEntry + FileOffsetTime);
    d.record.attribs = EntryAttributes(d);
    d.record.user = d.user;
    d.record.iFolder = EntryFolder(d);
}

// Writes the entry's bytes to the output handle: from the block that holds its first byte, on
// through the following blocks until cbFile bytes are written.
bool WriteEntryData(Decoder& d) {
    const uint64_t start = EntryFolderStart(d);
    if (start < d.blockStart) {
        // Data before the block in hand: its folder must start over. After a move into the next
        // cabinet that is impossible (the earlier blocks were in the previous cabinet), and a
        // well-formed set never asks for it.
        if (d.continuation) return Fail(d, CorruptCabinet);
        d.currentFolder = NoFolder;
    }
    if (!SelectFolder(d, EntryFolder(d))) return false;

    uint64_t offset = start;
    uint64_t left = EntrySize(d);
    while (left != 0) {
        while (offset >= d.blockStart + d.blockLength) {
            if (!ReadNextBlock(d)) return false;
        }
        const uint64_t inBlock = d.blockStart + d.blockLength - offset;
        const uint32_t piece = static_cast<uint32_t>(inBlock < left ? inBlock : left);
        const uint8_t* from = d.block + (offset - d.blockStart);
        if (d.write(d.outputHandle, from, piece) != static_cast<int32_t>(piece)) {
            return Fail(d, TargetFileError);
        }
        offset += piece;
        left -= piece;
    }
    return true;
}

bool ExtractEntry(Decoder& d) {
    if (EntrySize(d) != 0 && !WriteEntryData(d)) {
        d.close(d.outputHandle);
        d.outputHandle = -1;
        return false;
    }
    const uint16_t attribs = EntryAttributes(d);
    d.record.str1 = d.name;
    d.record.handle = d.outputHandle;
    d.record.date = ReadU16(d.fileEntry + FileOffsetDate);
    d.record.time = ReadU16(d.fileEntry + FileOffsetTime);
    d.record.attribs = static_cast<uint16_t>(attribs & ~AttributeRunAfterExtract);
    d.record.size = (attribs & AttributeRunAfterExtract) ? 1 : 0;
    d.record.user = d.user;
    d.record.iFolder = EntryFolder(d);
    d.outputHandle = -1;  // the client closes it, whatever it answers
    int result = 0;
    if (!Notify(d, CloseFileInfo, &result)) return false;
    if (result == 0) return Fail(d, TargetFileError);
    return true;
}

// Offers the entry with CopyFile and extracts it when the client gives a handle.
bool OfferEntry(Decoder& d) {
    int result = 0;
    if (!Notify(d, CopyFile, &result)) return false;
    if (result == 0) {
        const uint16_t folder = EntryFolder(d);
        if (folder == FolderContinuedToNext || folder == FolderContinuedBoth) d.skipCount++;
        return true;
    }
    d.outputHandle = result;
    return ExtractEntry(d);
}

bool CopyCabinet(Decoder& d, const char* cabinetName) {
    if (!OpenCabinet(d, cabinetName, 0, AnyCabinet)) return false;
    d.continuation = false;
    d.currentFolder = NoFolder;
    if (!SendEnumerate(d)) return false;

    while (d.entriesLeft != 0) {
        d.entriesLeft--;
        if (!ReadExact(d, d.listHandle, d.fileEntry, FileSize)) return false;
        if (!ReadString(d, d.name)) return false;
        FillEntryRecord(d);

        const uint16_t folder = EntryFolder(d);
        const bool continuedFromPrevious =
            folder == FolderContinuedFromPrevious || folder == FolderContinuedBoth;
        if (continuedFromPrevious) {
            if (d.continuation) {
                if (!OfferEntry(d)) return false;
            } else if (!Notify(d, PartialFile)) {
                return false;
            }
        } else if (d.continuation) {
            // The first entry of the new cabinet that is not a continuation: it and the rest are
            // left for a Copy of this cabinet.
            d.entriesLeft = 0;
            break;
        } else if (folder < d.folderCount || folder >= FolderSpecialFirst) {
            if (!OfferEntry(d)) return false;
        }

        if (d.entriesLeft == 0 && !SendEnumerate(d)) return false;
    }
    return true;
}

}  // namespace

Decoder* Create(AllocFunction alloc, FreeFunction free, OpenFunction open, ReadFunction read,
                WriteFunction write, CloseFunction close, SeekFunction seek, int cpuType,
                ErrorRecord* error) {
    void* memory = alloc(sizeof(Decoder));
    if (memory == nullptr) {
        error->code = OutOfMemory;
        error->detail = 0;
        error->raised = 1;
        return nullptr;
    }
    Decoder* d = new (memory) Decoder();
    d->alloc = alloc;
    d->free = free;
    d->open = open;
    d->read = read;
    d->write = write;
    d->close = close;
    d->seek = seek;
    d->cpuType = cpuType;
    d->error = error;
    return d;
}

int Copy(Decoder* d, const char* cabinetName, const char* cabinetPath, int /*flags*/,
         NotifyFunction notify, HookFunction hook, void* user) {
    d->notify = notify;
    d->hook = hook;
    d->user = user;
    d->skipCount = 0;
    d->continuation = false;
    d->currentFolder = NoFolder;
    bool ok;
    const size_t pathLength = std::strlen(cabinetPath);
    if (pathLength >= MaxStringSize) {
        ok = Fail(*d, CabinetNotFound);
    } else {
        std::memcpy(d->cabinetPath, cabinetPath, pathLength + 1);
        ok = CopyCabinet(*d, cabinetName);
    }
    CloseCabinet(*d);
    return ok ? 1 : 0;
}

void SetBlockBuffer(Decoder* d, BlockBufferFunction provide, void* context) {
    d->provideBlock = provide;
    d->provideContext = context;
}

int Destroy(Decoder* d) {
    ReleaseCodec(*d);
    FreeMemory(*d, d->headerReserve);
    FreeMemory(*d, d->folderEntry);
    FreeMemory(*d, d->dataHeader);
    CloseCabinet(*d);
    FreeFunction free = d->free;
    d->~Decoder();
    free(d);
    return 1;
}

}  // namespace cab
