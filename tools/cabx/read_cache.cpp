// Reads through two region buffers (see read_cache.h).
#include "tools/cabx/read_cache.h"

#include <algorithm>
#include <cstring>

#include "config/file_position.h"

namespace {

constexpr size_t RegionSize = 256 * 1024;

size_t ReadDirect(std::FILE* file, int64_t offset, void* buffer, size_t count) {
    return SeekFile(file, offset) ? std::fread(buffer, 1, count, file) : 0;
}

}  // namespace

size_t ReadCachedAt(CachedFile& cached, int64_t offset, void* buffer, size_t count) {
    uint8_t* out = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < count) {
        const int64_t at = offset + static_cast<int64_t>(done);
        ReadBuffer* region = nullptr;
        for (ReadBuffer& b : cached.buffers) {
            if (b.start >= 0 && at >= b.start && at < b.start + static_cast<int64_t>(b.bytes.size())) {
                region = &b;
            }
        }
        if (region == nullptr) {
            // Large reads skip the buffers; a small one refills the buffer used longest ago.
            if (count - done >= RegionSize) return done + ReadDirect(cached.file, at, out + done, count - done);
            region = cached.buffers[0].lastUse <= cached.buffers[1].lastUse ? &cached.buffers[0] : &cached.buffers[1];
            region->bytes.resize(RegionSize);
            const size_t got = ReadDirect(cached.file, at, region->bytes.data(), RegionSize);
            region->bytes.resize(got);
            region->start = got != 0 ? at : -1;
            if (got == 0) return done;
        }
        region->lastUse = ++cached.uses;
        const size_t from = static_cast<size_t>(at - region->start);
        const size_t piece = std::min(region->bytes.size() - from, count - done);
        std::memcpy(out + done, region->bytes.data() + from, piece);
        done += piece;
    }
    return done;
}
