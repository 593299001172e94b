// MD5 (RFC 1321). The 64 steps of a block are written out through one macro per round so the
// compiler keeps the four state words in registers; blocks are hashed straight from the
// caller's buffer, and only a piece that does not fill a block is copied aside.
#include "tools/cabx/md5.h"

#include <cstring>

namespace {

inline uint32_t RotateLeft(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

inline uint32_t LoadLittleEndian(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The four auxiliary functions of RFC 1321, 3.4, arranged for the chain of dependent steps:
// x is the word the previous step has just computed, so each form puts as few operations after
// x as it can. F is the cheaper equivalent form; H takes y ^ z first; G is split in two
// disjoint parts that are added (MD5_STEP_G), so only x & z waits for x.
#define MD5_F(x, y, z) ((z) ^ ((x) & ((y) ^ (z))))
#define MD5_H(x, y, z) ((x) ^ ((y) ^ (z)))
#define MD5_I(x, y, z) ((y) ^ ((x) | ~(z)))
#define MD5_STEP(f, a, b, c, d, word, constant, shift) \
    a = b + RotateLeft(a + (word) + (constant) + f(b, c, d), shift)
// G(x, y, z) = (x & z) | (y & ~z): the two parts have no bit in common, so | is +.
#define MD5_STEP_G(a, b, c, d, word, constant, shift) \
    a = b + RotateLeft(a + (word) + (constant) + ((c) & ~(d)) + ((b) & (d)), shift)

void HashBlocks(uint32_t state[4], const uint8_t* data, size_t blocks) {
    for (; blocks > 0; --blocks, data += 64) {
        uint32_t w[16];
        for (int i = 0; i < 16; ++i) w[i] = LoadLittleEndian(data + 4 * i);
        uint32_t a = state[0], b = state[1], c = state[2], d = state[3];

        MD5_STEP(MD5_F, a, b, c, d, w[0], 0xd76aa478, 7);
        MD5_STEP(MD5_F, d, a, b, c, w[1], 0xe8c7b756, 12);
        MD5_STEP(MD5_F, c, d, a, b, w[2], 0x242070db, 17);
        MD5_STEP(MD5_F, b, c, d, a, w[3], 0xc1bdceee, 22);
        MD5_STEP(MD5_F, a, b, c, d, w[4], 0xf57c0faf, 7);
        MD5_STEP(MD5_F, d, a, b, c, w[5], 0x4787c62a, 12);
        MD5_STEP(MD5_F, c, d, a, b, w[6], 0xa8304613, 17);
        MD5_STEP(MD5_F, b, c, d, a, w[7], 0xfd469501, 22);
        MD5_STEP(MD5_F, a, b, c, d, w[8], 0x698098d8, 7);
        MD5_STEP(MD5_F, d, a, b, c, w[9], 0x8b44f7af, 12);
        MD5_STEP(MD5_F, c, d, a, b, w[10], 0xffff5bb1, 17);
        MD5_STEP(MD5_F, b, c, d, a, w[11], 0x895cd7be, 22);
        MD5_STEP(MD5_F, a, b, c, d, w[12], 0x6b901122, 7);
        MD5_STEP(MD5_F, d, a, b, c, w[13], 0xfd987193, 12);
        MD5_STEP(MD5_F, c, d, a, b, w[14], 0xa679438e, 17);
        MD5_STEP(MD5_F, b, c, d, a, w[15], 0x49b40821, 22);

        MD5_STEP_G(a, b, c, d, w[1], 0xf61e2562, 5);
        MD5_STEP_G(d, a, b, c, w[6], 0xc040b340, 9);
        MD5_STEP_G(c, d, a, b, w[11], 0x265e5a51, 14);
        MD5_STEP_G(b, c, d, a, w[0], 0xe9b6c7aa, 20);
        MD5_STEP_G(a, b, c, d, w[5], 0xd62f105d, 5);
        MD5_STEP_G(d, a, b, c, w[10], 0x02441453, 9);
        MD5_STEP_G(c, d, a, b, w[15], 0xd8a1e681, 14);
        MD5_STEP_G(b, c, d, a, w[4], 0xe7d3fbc8, 20);
        MD5_STEP_G(a, b, c, d, w[9], 0x21e1cde6, 5);
        MD5_STEP_G(d, a, b, c, w[14], 0xc33707d6, 9);
        MD5_STEP_G(c, d, a, b, w[3], 0xf4d50d87, 14);
        MD5_STEP_G(b, c, d, a, w[8], 0x455a14ed, 20);
        MD5_STEP_G(a, b, c, d, w[13], 0xa9e3e905, 5);
        MD5_STEP_G(d, a, b, c, w[2], 0xfcefa3f8, 9);
        MD5_STEP_G(c, d, a, b, w[7], 0x676f02d9, 14);
        MD5_STEP_G(b, c, d, a, w[12], 0x8d2a4c8a, 20);

        MD5_STEP(MD5_H, a, b, c, d, w[5], 0xfffa3942, 4);
        MD5_STEP(MD5_H, d, a, b, c, w[8], 0x8771f681, 11);
        MD5_STEP(MD5_H, c, d, a, b, w[11], 0x6d9d6122, 16);
        MD5_STEP(MD5_H, b, c, d, a, w[14], 0xfde5380c, 23);
        MD5_STEP(MD5_H, a, b, c, d, w[1], 0xa4beea44, 4);
        MD5_STEP(MD5_H, d, a, b, c, w[4], 0x4bdecfa9, 11);
        MD5_STEP(MD5_H, c, d, a, b, w[7], 0xf6bb4b60, 16);
        MD5_STEP(MD5_H, b, c, d, a, w[10], 0xbebfbc70, 23);
        MD5_STEP(MD5_H, a, b, c, d, w[13], 0x289b7ec6, 4);
        MD5_STEP(MD5_H, d, a, b, c, w[0], 0xeaa127fa, 11);
        MD5_STEP(MD5_H, c, d, a, b, w[3], 0xd4ef3085, 16);
        MD5_STEP(MD5_H, b, c, d, a, w[6], 0x04881d05, 23);
        MD5_STEP(MD5_H, a, b, c, d, w[9], 0xd9d4d039, 4);
        MD5_STEP(MD5_H, d, a, b, c, w[12], 0xe6db99e5, 11);
        MD5_STEP(MD5_H, c, d, a, b, w[15], 0x1fa27cf8, 16);
        MD5_STEP(MD5_H, b, c, d, a, w[2], 0xc4ac5665, 23);

        MD5_STEP(MD5_I, a, b, c, d, w[0], 0xf4292244, 6);
        MD5_STEP(MD5_I, d, a, b, c, w[7], 0x432aff97, 10);
        MD5_STEP(MD5_I, c, d, a, b, w[14], 0xab9423a7, 15);
        MD5_STEP(MD5_I, b, c, d, a, w[5], 0xfc93a039, 21);
        MD5_STEP(MD5_I, a, b, c, d, w[12], 0x655b59c3, 6);
        MD5_STEP(MD5_I, d, a, b, c, w[3], 0x8f0ccc92, 10);
        MD5_STEP(MD5_I, c, d, a, b, w[10], 0xffeff47d, 15);
        MD5_STEP(MD5_I, b, c, d, a, w[1], 0x85845dd1, 21);
        MD5_STEP(MD5_I, a, b, c, d, w[8], 0x6fa87e4f, 6);
        MD5_STEP(MD5_I, d, a, b, c, w[15], 0xfe2ce6e0, 10);
        MD5_STEP(MD5_I, c, d, a, b, w[6], 0xa3014314, 15);
        MD5_STEP(MD5_I, b, c, d, a, w[13], 0x4e0811a1, 21);
        MD5_STEP(MD5_I, a, b, c, d, w[4], 0xf7537e82, 6);
        MD5_STEP(MD5_I, d, a, b, c, w[11], 0xbd3af235, 10);
        MD5_STEP(MD5_I, c, d, a, b, w[2], 0x2ad7d2bb, 15);
        MD5_STEP(MD5_I, b, c, d, a, w[9], 0xeb86d391, 21);

        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
    }
}

}  // namespace

void Md5Begin(Md5& md5) {
    md5.state[0] = 0x67452301;
    md5.state[1] = 0xefcdab89;
    md5.state[2] = 0x98badcfe;
    md5.state[3] = 0x10325476;
    md5.length = 0;
}

void Md5Update(Md5& md5, const void* data, size_t size) {
    if (size == 0) return;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    size_t used = static_cast<size_t>(md5.length % 64);
    md5.length += size;
    if (used != 0) {
        const size_t take = size < 64 - used ? size : 64 - used;
        std::memcpy(md5.pending + used, bytes, take);
        bytes += take;
        size -= take;
        if (used + take < 64) return;
        HashBlocks(md5.state, md5.pending, 1);
    }
    HashBlocks(md5.state, bytes, size / 64);
    std::memcpy(md5.pending, bytes + (size & ~size_t{63}), size % 64);
}

std::string Md5End(Md5& md5) {
    // Padding: one 1 bit, zeros up to 56 bytes into the block, then the length in bits.
    const uint64_t bits = md5.length * 8;
    uint8_t padding[72] = {0x80};
    const size_t used = static_cast<size_t>(md5.length % 64);
    const size_t padLength = used < 56 ? 56 - used : 120 - used;
    uint8_t lengthBytes[8];
    for (int i = 0; i < 8; ++i) lengthBytes[i] = static_cast<uint8_t>(bits >> (8 * i));
    Md5Update(md5, padding, padLength);
    Md5Update(md5, lengthBytes, 8);

    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (uint32_t word : md5.state) {
        for (int i = 0; i < 4; ++i) {
            const uint8_t byte = static_cast<uint8_t>(word >> (8 * i));
            hex += digits[byte >> 4];
            hex += digits[byte & 15];
        }
    }
    return hex;
}

std::string Md5Hex(const void* data, size_t size) {
    Md5 md5;
    Md5Begin(md5);
    Md5Update(md5, data, size);
    return Md5End(md5);
}
