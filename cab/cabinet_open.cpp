// Opening a cabinet: its two handles, the header checked field by field, the reserve areas and
// the texts naming the neighbouring cabinets, then the CabinetInfo notification. Also the small
// file helpers every reading step uses, each turning a short read or a failed seek into
// CorruptCabinet.
#include <cstring>

#include "cab/cabinet_internal.h"

namespace cab {

bool Fail(Decoder& d, int32_t code, int32_t detail) {
    d.error->code = code;
    d.error->detail = detail;
    d.error->raised = 1;
    return false;
}

bool Notify(Decoder& d, int kind, int* result) {
    const int r = d.notify(kind, &d.record);
    if (r == -1) return Fail(d, UserAbort);
    if (result != nullptr) *result = r;
    return true;
}

bool CallHook(Decoder& d, HookKind kind) {
    if (d.hook == nullptr) return true;
    d.hookRecord.kind = kind;
    d.hookRecord.user = d.user;
    if (d.hook(&d.hookRecord) == -1) return Fail(d, UserAbort);
    return true;
}

bool ReadExact(Decoder& d, int handle, void* buffer, uint32_t count) {
    if (count == 0) return true;
    if (d.read(handle, buffer, count) != static_cast<int32_t>(count)) return Fail(d, CorruptCabinet);
    return true;
}

// Offsets come from the file as 32-bit unsigned fields; the client's seek takes a signed 32-bit
// offset, so anything beyond its reach cannot be in the cabinet.
bool SeekTo(Decoder& d, int handle, uint64_t offset) {
    if (offset > INT32_MAX || d.seek(handle, static_cast<int32_t>(offset), SeekFromStart) == -1) {
        return Fail(d, CorruptCabinet);
    }
    return true;
}

bool ReadString(Decoder& d, char* text) {
    const int32_t start = d.seek(d.listHandle, 0, SeekFromCurrent);
    if (start == -1) return Fail(d, CorruptCabinet);
    const int32_t got = d.read(d.listHandle, text, MaxStringSize);
    if (got < 1 || got > static_cast<int32_t>(MaxStringSize)) return Fail(d, CorruptCabinet);
    const void* nul = std::memchr(text, 0, static_cast<size_t>(got));
    if (nul == nullptr) {
        text[0] = '\0';
        return Fail(d, CorruptCabinet);
    }
    const uint32_t length = static_cast<uint32_t>(static_cast<const char*>(nul) - text);
    return SeekTo(d, d.listHandle, static_cast<uint64_t>(start) + length + 1);
}

bool CloseCabinet(Decoder& d) {
    bool ok = true;
    if (d.dataHandle != -1) {
        ok = d.close(d.dataHandle) == 0 && ok;
        d.dataHandle = -1;
    }
    if (d.listHandle != -1) {
        ok = d.close(d.listHandle) == 0 && ok;
        d.listHandle = -1;
    }
    return ok;
}

namespace {

// A reserve area whose size is fixed by the first cabinet the context opens.
bool SetUpFixedBuffer(Decoder& d, uint8_t** buffer, uint32_t* size, uint32_t wanted) {
    if (*size == 0) {
        *buffer = static_cast<uint8_t*>(d.alloc(wanted));
        if (*buffer == nullptr) return Fail(d, OutOfMemory);
        *size = wanted;
        return true;
    }
    if (*size != wanted) return Fail(d, ReserveMismatch);
    return true;
}

bool ReadHeaderReserve(Decoder& d, uint16_t size) {
    if (size != d.headerReserveSize) {
        FreeMemory(d, d.headerReserve);
        d.headerReserve = nullptr;
        d.headerReserveSize = 0;
        if (size != 0) {
            d.headerReserve = static_cast<uint8_t*>(d.alloc(size));
            if (d.headerReserve == nullptr) return Fail(d, OutOfMemory);
            d.headerReserveSize = size;
        }
    }
    if (size != 0 && d.read(d.listHandle, d.headerReserve, size) != size) return Fail(d, NotACabinet);
    return true;
}

bool ReadCabinetTexts(Decoder& d) {
    d.previousCabinet[0] = d.previousDisk[0] = d.nextCabinet[0] = d.nextDisk[0] = '\0';
    if (d.headerFlags & FlagPreviousCabinet) {
        if (!ReadString(d, d.previousCabinet) || !ReadString(d, d.previousDisk)) return false;
    }
    if (d.headerFlags & FlagNextCabinet) {
        if (!ReadString(d, d.nextCabinet) || !ReadString(d, d.nextDisk)) return false;
    }
    return true;
}

}  // namespace

bool OpenCabinet(Decoder& d, const char* name, uint16_t expectedSet, uint16_t expectedIndex) {
    const size_t pathLength = std::strlen(d.cabinetPath);
    const size_t nameLength = std::strlen(name);
    if (pathLength + nameLength >= MaxStringSize) return Fail(d, CabinetNotFound);
    char joined[MaxStringSize];  // name may be one of the context's own buffers
    std::memcpy(joined, d.cabinetPath, pathLength);
    std::memcpy(joined + pathLength, name, nameLength + 1);
    std::memcpy(d.fullName, joined, pathLength + nameLength + 1);

    d.listHandle = d.open(d.fullName, CabinetOpenFlags, CabinetOpenMode);
    if (d.listHandle == -1) return Fail(d, CabinetNotFound);
    d.dataHandle = d.open(d.fullName, CabinetOpenFlags, CabinetOpenMode);
    if (d.dataHandle == -1) return Fail(d, CabinetNotFound);

    uint8_t header[HeaderSize];
    if (d.read(d.listHandle, header, HeaderSize) != static_cast<int32_t>(HeaderSize)) {
        return Fail(d, NotACabinet);
    }
    if (std::memcmp(header + HeaderOffsetSignature, HeaderSignature, sizeof HeaderSignature) != 0) {
        return Fail(d, NotACabinet);
    }
    const uint16_t version = ReadU16(header + HeaderOffsetVersion);
    if (version != SupportedVersion) return Fail(d, UnknownVersion, version);

    const uint16_t setID = ReadU16(header + HeaderOffsetSetId);
    const uint16_t iCabinet = ReadU16(header + HeaderOffsetCabinetIndex);
    if (expectedIndex != AnyCabinet && (setID != expectedSet || iCabinet != expectedIndex)) {
        return Fail(d, WrongCabinet);
    }
    d.coffFiles = ReadU32(header + HeaderOffsetCoffFiles);
    d.folderCount = ReadU16(header + HeaderOffsetFolderCount);
    d.fileCount = ReadU16(header + HeaderOffsetFileCount);
    d.headerFlags = ReadU16(header + HeaderOffsetFlags);
    d.setID = setID;
    d.iCabinet = iCabinet;

    uint16_t headerReserve = 0;
    uint8_t folderReserve = 0, dataReserve = 0;
    if (d.headerFlags & FlagReservePresent) {
        uint8_t sizes[ReserveSizesSize];
        if (d.read(d.listHandle, sizes, ReserveSizesSize) != static_cast<int32_t>(ReserveSizesSize)) {
            return Fail(d, NotACabinet);
        }
        headerReserve = ReadU16(sizes);
        folderReserve = sizes[2];
        dataReserve = sizes[3];
    }
    if (!ReadHeaderReserve(d, headerReserve)) return false;
    if (!SetUpFixedBuffer(d, &d.folderEntry, &d.folderEntrySize, FolderSize + folderReserve)) return false;
    if (!SetUpFixedBuffer(d, &d.dataHeader, &d.dataHeaderSize, DataHeaderSize + dataReserve)) return false;
    if (!ReadCabinetTexts(d)) return false;

    const int32_t folderArray = d.seek(d.listHandle, 0, SeekFromCurrent);
    if (folderArray == -1) return Fail(d, CorruptCabinet);
    d.folderArrayStart = static_cast<uint32_t>(folderArray);
    if (!SeekTo(d, d.listHandle, d.coffFiles)) return false;
    d.entriesLeft = d.fileCount;

    d.record.str1 = d.nextCabinet;
    d.record.str2 = d.nextDisk;
    d.record.str3 = d.cabinetPath;
    d.record.user = d.user;
    d.record.setID = d.setID;
    d.record.iCabinet = d.iCabinet;
    if (!Notify(d, CabinetInfo)) return false;

    d.hookRecord.reserve = d.headerReserveSize != 0 ? d.headerReserve : nullptr;
    d.hookRecord.reserveSize = d.headerReserveSize;
    d.hookRecord.setID = d.setID;
    d.hookRecord.iCabinet = d.iCabinet;
    return CallHook(d, CabinetOpened);
}

}  // namespace cab
