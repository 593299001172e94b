// The extraction client of the cabinet decoder: the seven client functions over the C run-time's
// low-level file calls, and the notification handler that selects, opens, dates and counts the
// entries.
#include "driver/cabinet_extractor.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

#include "cab/cabinet.h"
#include "config/paths.h"
#include "driver/extraction_state.h"
#include "driver/installer_state.h"

namespace {

// Open flags of the C run-time's low-level calls, as the decoder and this client pass them.
constexpr int OpenCreate = 0x100;     // _O_CREAT
constexpr int OpenTruncate = 0x200;   // _O_TRUNC
constexpr int OutputOpenFlags = 0x8121;  // _O_BINARY | _O_CREAT | _O_SEQUENTIAL | _O_WRONLY
constexpr int OutputOpenMode = 0x180;    // _S_IREAD | _S_IWRITE

// Attribute bits kept from the cabinet: read-only, hidden, system, archive.
constexpr uint16_t KeptAttributes = 0x27;

// Path buffers hold 255 bytes and a terminator.
constexpr size_t MaxPathLength = 255;

// State of the running extraction; one extraction runs at a time.
struct ExtractorState {
    std::string prefix;
    std::string destination;
    bool countingPass = false;
    int64_t expectedBytes = 0;
    int64_t writtenBytes = 0;
    int64_t entrySize = 0;
    int64_t entryWritten = 0;
};

ExtractorState& State() {
    static ExtractorState state;
    return state;
}

bool HasPrefix(const char* name, const std::string& prefix) {
    return std::strncmp(name, prefix.c_str(), prefix.size()) == 0;
}

int Percent(int64_t part, int64_t whole) { return static_cast<int>(part * 100 / whole); }

// ---- Client functions ------------------------------------------------------------------------

void* Alloc(uint32_t size) { return std::malloc(size); }
void Free(void* memory) { std::free(memory); }

int Open(const char* name, int flags, int mode) {
    if (flags & OpenCreate) {
        std::string path = name;
        for (size_t at = path.find_first_of("\\/"); at != std::string::npos; at = path.find_first_of("\\/", at + 1)) {
            CreateFolder(path.substr(0, at));  // existing folders and a drive such as C: fail harmlessly
        }
        SetFileAttributesA(name, FILE_ATTRIBUTE_ARCHIVE);  // so that a read-only file can be replaced
        flags |= OpenTruncate;
    }
    return _open(name, flags, mode);
}

int32_t Read(int handle, void* buffer, uint32_t count) { return _read(handle, buffer, count); }

int32_t Write(int handle, const void* buffer, uint32_t count) {
    int32_t written = _write(handle, buffer, count);
    ExtractorState& state = State();
    ExtractionState& shared = Extraction();
    if (written > 0) {
        state.writtenBytes += written;
        state.entryWritten += written;
    }
    if (state.expectedBytes > 0) shared.TotalPercent = Percent(state.writtenBytes, state.expectedBytes);
    if (state.entrySize > 0) shared.FilePercent = Percent(state.entryWritten, state.entrySize);
    return written;
}

int Close(int handle) { return _close(handle); }

int32_t Seek(int handle, int32_t offset, int origin) {
    return _lseek(handle, offset, origin == cab::SeekFromStart ? SEEK_SET : SEEK_CUR);
}

// ---- Notifications ---------------------------------------------------------------------------

int OnCopyFile(cab::Notification* record) {
    ExtractorState& state = State();
    ExtractionState& shared = Extraction();
    if (state.countingPass) shared.SpaceNeeded += RoundedEntrySpace(static_cast<uint32_t>(record->size));
    if (!HasPrefix(record->str1, state.prefix)) return 0;
    std::string rest = record->str1 + state.prefix.size();
    std::string path = state.destination + rest;
    if (!IsSafeRelativeName(rest) || path.size() > MaxPathLength) return -1;
    if (state.countingPass) {
        state.expectedBytes += static_cast<uint32_t>(record->size);
        return 0;
    }
    SetCurrentEntry(rest);
    state.entrySize = static_cast<uint32_t>(record->size);
    state.entryWritten = 0;
    int handle = Open(path.c_str(), OutputOpenFlags, OutputOpenMode);
    if (handle != -1) shared.ExtractedFiles.push_back(path);
    return handle;
}

// Gives the written file the cabinet's date, time (local time in the cabinet) and attributes.
void SetFileDetails(const std::string& path, const cab::Notification* record) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        FILETIME local, utc;
        if (DosDateTimeToFileTime(record->date, record->time, &local) && LocalFileTimeToFileTime(&local, &utc)) {
            SetFileTime(file, &utc, nullptr, &utc);
        }
        CloseHandle(file);
    }
    SetFileAttributesA(path.c_str(), record->attribs & KeptAttributes);
}

int OnCloseFileInfo(cab::Notification* record) {
    ExtractorState& state = State();
    Close(record->handle);
    SetFileDetails(state.destination + (record->str1 + state.prefix.size()), record);
    return 1;
}

int Notify(int kind, cab::Notification* record) {
    switch (kind) {
        case cab::CopyFile: return OnCopyFile(record);
        case cab::CloseFileInfo: return OnCloseFileInfo(record);
        default: return 0;
    }
}

DWORD WINAPI PrepareWorker(LPVOID) {
    InstallerState& installer = Installer();
    if (!Extract(installer.CabinetFile, installer.ExtractPrefix, installer.ExtractDestination)) {
        Extraction().ExtractFailed = true;
    }
    PublishWorkerDone();
    return 0;
}

}  // namespace

int64_t RoundedEntrySpace(uint32_t size) {
    return (static_cast<int64_t>(size) + 32768) & ~static_cast<int64_t>(32767);
}

bool IsSafeRelativeName(const std::string& name) {
    std::vector<std::string> components;
    return SplitRelativeName(name, components);
}

bool Extract(const std::string& cabinetFile, const std::string& prefix, const std::string& destination) {
    ExtractorState& state = State();
    ExtractionState& shared = Extraction();
    shared.SpaceNeeded = 0;
    state = ExtractorState();
    state.prefix = prefix;
    state.destination = destination;

    cab::ErrorRecord error;
    cab::Decoder* decoder = cab::Create(Alloc, Free, Open, Read, Write, Close, Seek, 1, &error);
    if (!decoder) return false;
    size_t split = cabinetFile.rfind('\\');
    std::string cabinetName = split == std::string::npos ? cabinetFile : cabinetFile.substr(split + 1);
    std::string cabinetPath = split == std::string::npos ? std::string() : cabinetFile.substr(0, split + 1);

    state.countingPass = true;
    bool ok = cab::Copy(decoder, cabinetName.c_str(), cabinetPath.c_str(), 0, Notify, nullptr, nullptr) == 1;
    if (ok) {
        state.countingPass = false;
        ok = cab::Copy(decoder, cabinetName.c_str(), cabinetPath.c_str(), 0, Notify, nullptr, nullptr) == 1;
    }
    cab::Destroy(decoder);
    return ok;
}

void ResetWorkerProgress() {
    ClearWorkerDone();
    Extraction().TotalPercent = 0;
    Extraction().FilePercent = 0;
    SetCurrentEntry(std::string());
}

bool StartPrepareWorker() {
    ResetWorkerProgress();
    HANDLE thread = CreateThread(nullptr, 0, PrepareWorker, nullptr, 0, nullptr);
    if (!thread) {
        Extraction().ExtractFailed = true;
        PublishWorkerDone();
        return false;
    }
    CloseHandle(thread);
    return true;
}
