// cabx's client functions (see file_client.h). Handles index a small table of open files; the
// decoder never sees 0 (which it reads as "skip") or -1.
#include "tools/cabx/file_client.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tools/cabx/read_cache.h"

#ifndef _WIN32
#include <dirent.h>
#include <strings.h>
#endif

namespace {

struct OpenHandle {
    bool used = false;
    std::FILE* file = nullptr;
    CachedFile reading;    // cabinets: reads go through its buffers
    int64_t base = 0;      // the cabinet's first byte in the file
    int64_t length = -1;   // bytes the handle presents; -1: to the end of the file
    int64_t position = 0;  // relative to base
    OutputSink sink = nullptr;
    void* sinkContext = nullptr;
};

std::vector<OpenHandle> handles;
std::string rangePath;
int64_t rangeOffset = 0, rangeLength = -1;

int AddHandle(const OpenHandle& h) {
    for (size_t i = 0; i < handles.size(); ++i) {
        if (!handles[i].used) {
            handles[i] = h;
            handles[i].used = true;
            return static_cast<int>(i) + 1;
        }
    }
    handles.push_back(h);
    handles.back().used = true;
    return static_cast<int>(handles.size());
}

OpenHandle* Find(int handle) {
    if (handle < 1 || handle > static_cast<int>(handles.size())) return nullptr;
    OpenHandle& h = handles[handle - 1];
    return h.used ? &h : nullptr;
}

// The name as written, or else a file of its folder whose name matches without regard to case.
std::FILE* OpenForReading(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
#ifndef _WIN32
    if (file != nullptr) return file;
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            if (strcasecmp(entry->d_name, name.c_str()) == 0) {
                file = std::fopen((folder + "/" + entry->d_name).c_str(), "rb");
                break;
            }
        }
        closedir(dir);
    }
#endif
    return file;
}

void* Alloc(uint32_t size) { return std::malloc(size); }
void Free(void* memory) { std::free(memory); }

int Open(const char* name, int /*flags*/, int /*mode*/) {
    OpenHandle h;
    h.file = OpenForReading(name);
    if (h.file == nullptr) return -1;
    if (!rangePath.empty() && rangePath == name) {
        h.base = rangeOffset;
        h.length = rangeLength;
    }
    h.reading.file = h.file;
    return AddHandle(h);
}

int32_t Read(int handle, void* buffer, uint32_t count) {
    OpenHandle* h = Find(handle);
    if (h == nullptr || h->sink != nullptr) return -1;
    if (h->length >= 0) {
        const int64_t left = h->length - h->position;
        if (left <= 0) return 0;
        if (count > left) count = static_cast<uint32_t>(left);
    }
    const size_t got = ReadCachedAt(h->reading, h->base + h->position, buffer, count);
    h->position += static_cast<int64_t>(got);
    return static_cast<int32_t>(got);
}

int32_t Write(int handle, const void* buffer, uint32_t count) {
    OpenHandle* h = Find(handle);
    if (h == nullptr) return -1;
    if (h->sink != nullptr) {
        h->sink(h->sinkContext, buffer, count);
        return static_cast<int32_t>(count);
    }
    return static_cast<int32_t>(std::fwrite(buffer, 1, count, h->file));
}

int32_t Seek(int handle, int32_t offset, int origin) {
    OpenHandle* h = Find(handle);
    if (h == nullptr || h->sink != nullptr) return -1;
    const int64_t target = origin == cab::SeekFromStart ? offset : h->position + offset;
    if (target < 0 || (h->length >= 0 && target > h->length)) return -1;
    h->position = target;
    return static_cast<int32_t>(target);
}

}  // namespace

void RegisterCabinetRange(const std::string& path, int64_t offset, int64_t length) {
    rangePath = path;
    rangeOffset = offset;
    rangeLength = length;
}

int OpenOutputFile(const std::string& path) {
    OpenHandle h;
    h.file = std::fopen(path.c_str(), "wb");
    return h.file == nullptr ? -1 : AddHandle(h);
}

int OpenOutputSink(OutputSink sink, void* context) {
    OpenHandle h;
    h.sink = sink;
    h.sinkContext = context;
    return AddHandle(h);
}

int CloseHandle(int handle) {
    OpenHandle* h = Find(handle);
    if (h == nullptr) return -1;
    const int result = h->file != nullptr ? std::fclose(h->file) : 0;
    *h = OpenHandle();
    return result == 0 ? 0 : -1;
}

cab::Decoder* CreateFileDecoder(cab::ErrorRecord* error) {
    return cab::Create(Alloc, Free, Open, Read, Write, CloseHandle, Seek, 1, error);
}
