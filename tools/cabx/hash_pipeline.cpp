// The hashing thread of `cabx test` (see hash_pipeline.h). Work travels in chunks of about
// 1 MB: small pieces and many small entries share one chunk, so the threads meet rarely. At most
// eight chunks are in flight: enough for the decoder to run ahead through data that decodes
// faster than it hashes (stored or incompressible entries), and a bound on the memory used.
#include "tools/cabx/hash_pipeline.h"

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "tools/cabx/md5.h"

namespace {

constexpr size_t ChunkTarget = 1 << 20;
constexpr size_t ChunksInFlight = 8;
// A chunk is handed over once it holds ChunkTarget bytes; the piece that crosses it (at most a
// cabinet block) still fits.
constexpr size_t ChunkCapacity = ChunkTarget + 65536;

struct EntryEnd {
    size_t offset;  // bytes of the chunk that belong to the entry (and those before it)
    std::string name;
};

struct Chunk {
    std::vector<uint8_t> bytes;
    std::vector<EntryEnd> ends;
    bool last = false;
};

}  // namespace

struct HashPipeline {
    std::mutex lock;
    std::condition_variable changed;
    std::deque<Chunk> queue;   // filled chunks, oldest first
    std::vector<Chunk> spare;  // emptied chunks, their memory kept
    Chunk current;             // the one being filled
    std::thread worker;
    Md5 md5;                   // the entry being hashed (worker thread only)
};

namespace {

void HashChunk(HashPipeline& p, const Chunk& chunk) {
    size_t at = 0;
    for (const EntryEnd& end : chunk.ends) {
        Md5Update(p.md5, chunk.bytes.data() + at, end.offset - at);
        std::printf("%s  %s\n", Md5End(p.md5).c_str(), end.name.c_str());
        Md5Begin(p.md5);
        at = end.offset;
    }
    Md5Update(p.md5, chunk.bytes.data() + at, chunk.bytes.size() - at);
}

void Work(HashPipeline* p) {
    Md5Begin(p->md5);
    for (;;) {
        Chunk chunk;
        {
            std::unique_lock<std::mutex> hold(p->lock);
            p->changed.wait(hold, [p] { return !p->queue.empty(); });
            chunk = std::move(p->queue.front());
            p->queue.pop_front();
        }
        p->changed.notify_all();
        HashChunk(*p, chunk);
        if (chunk.last) return;
        chunk.bytes.clear();
        chunk.ends.clear();
        std::lock_guard<std::mutex> hold(p->lock);
        p->spare.push_back(std::move(chunk));
    }
}

void Hand(HashPipeline* p, bool last) {
    p->current.last = last;
    std::unique_lock<std::mutex> hold(p->lock);
    p->changed.wait(hold, [p] { return p->queue.size() < ChunksInFlight; });
    p->queue.push_back(std::move(p->current));
    p->current = Chunk();
    if (!p->spare.empty()) {
        p->current = std::move(p->spare.back());
        p->spare.pop_back();
    } else {
        p->current.bytes.reserve(ChunkCapacity);
    }
    hold.unlock();
    p->changed.notify_all();
}

}  // namespace

HashPipeline* StartHashPipeline() {
    auto* p = new HashPipeline();
    p->current.bytes.reserve(ChunkCapacity);
    p->worker = std::thread(Work, p);
    return p;
}

void HashBytes(HashPipeline* p, const void* data, uint32_t size) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    p->current.bytes.insert(p->current.bytes.end(), bytes, bytes + size);
    if (p->current.bytes.size() >= ChunkTarget) Hand(p, false);
}

void EndHashedEntry(HashPipeline* p, const std::string& name) {
    p->current.ends.push_back({p->current.bytes.size(), name});
}

void FinishHashPipeline(HashPipeline* p) {
    Hand(p, true);
    p->worker.join();
    delete p;
}
