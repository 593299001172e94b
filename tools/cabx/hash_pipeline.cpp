// The hashing thread of `cabx test` (see hash_pipeline.h). Work travels in chunks of about
// 1 MB: small pieces and many small entries share one chunk, so the threads meet rarely. At most
// 32 chunks are in flight: enough for the decoder to run ahead through long stretches of data
// that decode faster than they hash (stored or incompressible entries), and a bound on the
// memory used.
#include "tools/cabx/hash_pipeline.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "tools/cabx/md5.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr size_t ChunkTarget = 1 << 20;
constexpr size_t ChunksInFlight = 32;
// A chunk is handed over once it holds ChunkTarget bytes; room beyond that takes the piece that
// crosses it (a cabinet block) whole.
constexpr size_t ChunkCapacity = ChunkTarget + 65536;

struct EntryEnd {
    size_t offset;  // bytes of the chunk that belong to the entry (and those before it)
    std::string name;
};

struct Chunk {
    std::unique_ptr<uint8_t[]> bytes;  // ChunkCapacity bytes, given when the chunk is first filled
    size_t size = 0;
    std::vector<EntryEnd> ends;
    bool last = false;
};

// Copies into a chunk, with streaming stores where the processor has them: the hashing thread on
// the other core reads the chunk next, so pulling its lines into this core's cache first (and
// pushing the decoder's window out) would be wasted work.
void CopyIntoChunk(uint8_t* to, const uint8_t* from, size_t size) {
#if defined(__SSE2__)
    const size_t head = std::min(size, size_t(0 - reinterpret_cast<uintptr_t>(to)) & 15);
    std::memcpy(to, from, head);
    size_t i = head;
    for (; i + 64 <= size; i += 64) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i + 16));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i + 32));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i + 48));
        _mm_stream_si128(reinterpret_cast<__m128i*>(to + i), a);
        _mm_stream_si128(reinterpret_cast<__m128i*>(to + i + 16), b);
        _mm_stream_si128(reinterpret_cast<__m128i*>(to + i + 32), c);
        _mm_stream_si128(reinterpret_cast<__m128i*>(to + i + 48), d);
    }
    std::memcpy(to + i, from + i, size - i);
#else
    std::memcpy(to, from, size);
#endif
}

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
        Md5Update(p.md5, chunk.bytes.get() + at, end.offset - at);
        std::printf("%s  %s\n", Md5End(p.md5).c_str(), end.name.c_str());
        Md5Begin(p.md5);
        at = end.offset;
    }
    Md5Update(p.md5, chunk.bytes.get() + at, chunk.size - at);
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
        chunk.size = 0;
        chunk.ends.clear();
        std::lock_guard<std::mutex> hold(p->lock);
        p->spare.push_back(std::move(chunk));
    }
}

void Hand(HashPipeline* p, bool last) {
#if defined(__SSE2__)
    _mm_sfence();  // the streaming stores reach memory before the chunk changes hands
#endif
    p->current.last = last;
    std::unique_lock<std::mutex> hold(p->lock);
    p->changed.wait(hold, [p] { return p->queue.size() < ChunksInFlight; });
    p->queue.push_back(std::move(p->current));
    p->current = Chunk();
    if (!p->spare.empty()) {
        p->current = std::move(p->spare.back());
        p->spare.pop_back();
    }
    hold.unlock();
    p->changed.notify_all();
}

}  // namespace

HashPipeline* StartHashPipeline() {
    auto* p = new HashPipeline();
    p->worker = std::thread(Work, p);
    return p;
}

namespace {

// Where the next bytes of the chunk being filled go; its memory is given at first use.
uint8_t* FreeRoom(HashPipeline* p) {
    Chunk& chunk = p->current;
    if (!chunk.bytes) chunk.bytes.reset(new uint8_t[ChunkCapacity]);
    return chunk.bytes.get() + chunk.size;
}

}  // namespace

uint8_t* HashBlockBuffer(void* context, uint32_t size) {
    auto* p = static_cast<HashPipeline*>(context);
    if (size > ChunkCapacity) return nullptr;
    // The block before this one is written out by now, so the chunk may go.
    if (p->current.size >= ChunkTarget || ChunkCapacity - p->current.size < size) Hand(p, false);
    return FreeRoom(p);
}

void HashBytes(HashPipeline* p, const void* data, uint32_t size) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    Chunk& current = p->current;
    const uint8_t* const room = current.bytes.get();
    if (room != nullptr && bytes >= room && bytes < room + ChunkCapacity) {
        // A piece of a block decoded into this chunk: where it belongs already, unless the
        // decoder skipped some of the block. The chunk stays until the next block is asked for,
        // as the rest of the block lies in it.
        if (bytes != room + current.size) std::memmove(FreeRoom(p), bytes, size);
        current.size += size;
        return;
    }
    while (size > 0) {
        uint8_t* const to = FreeRoom(p);
        Chunk& chunk = p->current;
        const size_t piece = std::min<size_t>(size, ChunkCapacity - chunk.size);
        CopyIntoChunk(to, bytes, piece);
        chunk.size += piece;
        bytes += piece;
        size -= uint32_t(piece);
        if (chunk.size >= ChunkTarget) Hand(p, false);
    }
}

void EndHashedEntry(HashPipeline* p, const std::string& name) {
    p->current.ends.push_back({p->current.size, name});
}

void FinishHashPipeline(HashPipeline* p) {
    Hand(p, true);
    p->worker.join();
    delete p;
}
