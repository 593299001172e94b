// Buffered reading of a cabinet file for cabx's client functions. The decoder reads the file
// list and the data blocks, which lie apart in the file, in turns, seeking between them; two
// buffers, each holding one region of the file, let each kind of read keep its place, so the
// file is read in large pieces instead of a system call or two per block. Seeking costs nothing:
// reads name their offset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

struct ReadBuffer {
    std::vector<uint8_t> bytes;  // the region [start, start + bytes.size()) of the file
    int64_t start = -1;
    uint64_t lastUse = 0;
};

struct CachedFile {
    std::FILE* file = nullptr;
    ReadBuffer buffers[2];
    uint64_t uses = 0;
};

// Reads up to `count` bytes from `offset` of the file; fewer only at its end or on an error.
size_t ReadCachedAt(CachedFile& cached, int64_t offset, void* buffer, size_t count);
