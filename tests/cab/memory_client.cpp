// The in-memory test client (see memory_client.h). The decoder's client functions carry no
// context, so the disk, the open handles and the session are this file's own state; the tests
// run one at a time.
#include "tests/cab/memory_client.h"

#include "cab/cabinet_set.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>

namespace cabtest {
namespace {

struct OpenFile {
    bool open = false;
    bool output = false;
    std::string name;      // cabinets: the disk file
    int64_t position = 0;
    std::vector<uint8_t> written;  // outputs
};

std::map<std::string, std::vector<uint8_t>> disk;  // keyed by the lower-case name
std::vector<OpenFile> handles;
Session session;
NotifyPolicy notifyPolicy;
HookPolicy hookPolicy;
int allocationsUntilFailure = -1;
int64_t writeLimit = -1;

std::string Key(const std::string& name) {
    std::string key = name;
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

OpenFile* Find(int handle) {
    if (handle < 1 || handle > static_cast<int>(handles.size())) return nullptr;
    OpenFile& f = handles[handle - 1];
    return f.open ? &f : nullptr;
}

int NewHandle(OpenFile file) {
    file.open = true;
    handles.push_back(std::move(file));
    session.openHandles++;
    return static_cast<int>(handles.size());
}

void* Alloc(uint32_t size) {
    if (allocationsUntilFailure == 0) {
        allocationsUntilFailure = -1;
        return nullptr;
    }
    if (allocationsUntilFailure > 0) allocationsUntilFailure--;
    return std::malloc(size == 0 ? 1 : size);
}

void Free(void* memory) { std::free(memory); }

int Open(const char* name, int flags, int mode) {
    if (disk.count(Key(name)) == 0) return -1;
    OpenFile f;
    f.name = Key(name);
    return NewHandle(std::move(f));
}

int32_t Read(int handle, void* buffer, uint32_t count) {
    OpenFile* f = Find(handle);
    if (f == nullptr || f->output) return -1;
    const std::vector<uint8_t>& bytes = disk[f->name];
    if (f->position >= static_cast<int64_t>(bytes.size())) return 0;
    const int64_t left = static_cast<int64_t>(bytes.size()) - f->position;
    const uint32_t n = static_cast<uint32_t>(std::min<int64_t>(left, count));
    std::memcpy(buffer, bytes.data() + f->position, n);
    f->position += n;
    return static_cast<int32_t>(n);
}

int32_t Write(int handle, const void* buffer, uint32_t count) {
    OpenFile* f = Find(handle);
    if (f == nullptr || !f->output) return -1;
    uint32_t n = count;
    if (writeLimit >= 0) {
        const int64_t room = writeLimit - static_cast<int64_t>(f->written.size());
        n = static_cast<uint32_t>(std::max<int64_t>(0, std::min<int64_t>(room, count)));
    }
    const uint8_t* bytes = static_cast<const uint8_t*>(buffer);
    f->written.insert(f->written.end(), bytes, bytes + n);
    return static_cast<int32_t>(n);
}

int Close(int handle) {
    OpenFile* f = Find(handle);
    if (f == nullptr) return -1;
    f->open = false;
    session.openHandles--;
    return 0;
}

int32_t Seek(int handle, int32_t offset, int origin) {
    OpenFile* f = Find(handle);
    if (f == nullptr) return -1;
    const int64_t target = origin == cab::SeekFromStart ? offset : f->position + offset;
    if (target < 0) return -1;
    f->position = target;
    return static_cast<int32_t>(target);
}

int DefaultNotify(int kind, cab::Notification* record) {
    switch (kind) {
    case cab::CopyFile: {
        OpenFile f;
        f.output = true;
        f.name = record->str1;
        return NewHandle(std::move(f));
    }
    case cab::CloseFileInfo: {
        OpenFile* f = Find(record->handle);
        if (f == nullptr) return 0;
        ExtractedEntry entry;
        entry.name = record->str1;
        entry.data = std::move(f->written);
        entry.date = record->date;
        entry.time = record->time;
        entry.attribs = record->attribs;
        entry.runFlag = record->size;
        session.entries.push_back(std::move(entry));
        Close(record->handle);
        return 1;
    }
    case cab::NextCabinet:
        // One try: a cabinet that cannot be opened ends the Copy.
        return record->error != 0 ? -1 : 0;
    default:
        return 0;
    }
}

}  // namespace

void ResetDisk() { disk.clear(); }

void PutFile(const std::string& name, std::vector<uint8_t> bytes) { disk[Key(name)] = std::move(bytes); }

bool PutRealFile(const std::string& path, const std::string& name) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    PutFile(name, std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}));
    return true;
}

std::vector<uint8_t>& DiskFile(const std::string& name) { return disk[Key(name)]; }

Session& CurrentSession() { return session; }

void ResetSession() {
    session = Session();
    handles.clear();
    notifyPolicy = nullptr;
    hookPolicy = nullptr;
    allocationsUntilFailure = -1;
    writeLimit = -1;
}

void SetNotifyPolicy(NotifyPolicy policy) { notifyPolicy = std::move(policy); }
void SetHookPolicy(HookPolicy policy) { hookPolicy = std::move(policy); }
void FailAllocation(int n) { allocationsUntilFailure = n; }
void LimitWrites(int64_t limit) { writeLimit = limit; }

cab::Decoder* CreateDecoder(cab::ErrorRecord* error) {
    return cab::Create(Alloc, Free, Open, Read, Write, Close, Seek, 1, error);
}

int Notify(int kind, cab::Notification* record) {
    session.events.push_back({kind, record->str1 ? record->str1 : "", record->size, record->iFolder,
                              record->error});
    if (notifyPolicy) {
        const int answer = notifyPolicy(kind, record);
        if (answer != DefaultAnswer) return answer;
    }
    return DefaultNotify(kind, record);
}

int Hook(cab::HookRecord* record) {
    if (record->kind == cab::BlockRead) session.blocksRead++;
    session.events.push_back({100 + record->kind, "", record->dataSize, record->iFolder, 0});
    return hookPolicy ? hookPolicy(record) : 0;
}

CopyResult CopyOne(const std::string& cabinet, cab::HookFunction hook) {
    CopyResult r;
    cab::Decoder* d = CreateDecoder(&r.error);
    if (d == nullptr) return r;
    r.result = cab::Copy(d, cabinet.c_str(), "", 0, Notify, hook, nullptr);
    cab::Destroy(d);
    r.session = session;
    return r;
}

CopyResult CopySet(const std::string& firstCabinet) {
    CopyResult r;
    cab::Decoder* d = CreateDecoder(&r.error);
    if (d == nullptr) return r;
    r.result = cab::CopySet(d, firstCabinet.c_str(), "", Notify, Hook, nullptr);
    cab::Destroy(d);
    r.session = session;
    return r;
}

}  // namespace cabtest
