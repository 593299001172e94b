// MD5 (RFC 1321), for `cabx test` and the tests that compare decoded entries with known digests.
// Streaming: Update may be called with pieces of any size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct Md5 {
    uint32_t state[4];
    uint64_t length;      // bytes hashed so far
    uint8_t pending[64];  // the start of an incomplete 64-byte block
};

void Md5Begin(Md5& md5);
void Md5Update(Md5& md5, const void* data, size_t size);
// The digest as 32 lower-case hex digits.
std::string Md5End(Md5& md5);
std::string Md5Hex(const void* data, size_t size);
