// Fuzz target: the cabinet reader driven through the real client functions over an in-memory
// file. The input is the cabinet; it sits at the very end of an allocation of exactly its size,
// so any read past its end faults under ASan. Every entry is extracted (its bytes counted, not
// kept), whatever its folder's method: stored, MSZIP, Quantum or LZX.
// Property: no crash, no read outside a buffer, no hang (libFuzzer's -timeout), and a failed
// Copy always sets the error record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "cab/cabinet.h"

namespace {

const uint8_t* g_data = nullptr;
size_t g_size = 0;
size_t g_position = 0;
uint64_t g_written = 0;

constexpr int CabinetHandle = 3;
constexpr int OutputHandle = 4;

void* Alloc(uint32_t size) { return std::malloc(size); }
void Free(void* memory) { std::free(memory); }

int Open(const char* name, int, int) { return std::strcmp(name, "fuzz.cab") == 0 ? CabinetHandle : -1; }

int32_t Read(int handle, void* buffer, uint32_t count) {
    if (handle != CabinetHandle) return -1;
    size_t left = g_position < g_size ? g_size - g_position : 0;
    size_t take = count < left ? count : left;
    std::memcpy(buffer, g_data + g_position, take);
    g_position += take;
    return static_cast<int32_t>(take);
}

int32_t Write(int handle, const void*, uint32_t count) {
    if (handle != OutputHandle) __builtin_trap();  // the decoder writes only to handles we gave it
    g_written += count;
    return static_cast<int32_t>(count);
}

int Close(int) { return 0; }

int32_t Seek(int handle, int32_t offset, int origin) {
    if (handle != CabinetHandle) return -1;
    int64_t target = origin == cab::SeekFromStart ? offset : static_cast<int64_t>(g_position) + offset;
    if (target < 0) return -1;
    g_position = static_cast<size_t>(target);
    return static_cast<int32_t>(target);
}

int Notify(int kind, cab::Notification*) {
    switch (kind) {
        case cab::CopyFile: return OutputHandle;
        case cab::CloseFileInfo: return 1;
        case cab::NextCabinet: return -1;  // a single cabinet: no other part of a set exists
        default: return 0;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint8_t* copy = static_cast<uint8_t*>(std::malloc(size ? size : 1));
    if (size) std::memcpy(copy, data, size);
    g_data = copy;
    g_size = size;
    g_position = 0;
    g_written = 0;
    cab::ErrorRecord error;
    cab::Decoder* decoder = cab::Create(Alloc, Free, Open, Read, Write, Close, Seek, 1, &error);
    if (decoder) {
        int ok = cab::Copy(decoder, "fuzz.cab", "", 0, Notify, nullptr, nullptr);
        if (!ok && !error.raised) __builtin_trap();
        cab::Destroy(decoder);
    }
    std::free(copy);
    return 0;
}
