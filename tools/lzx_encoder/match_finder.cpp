// The LZX encoder's match finder: the folder's recent bytes in one buffer (the last window's
// worth plus the frames being encoded) and hash chains over 3-byte prefixes. A chain links each
// position to the previous one with the same hash, in a ring indexed by position modulo the
// window, so a chain walk stops by itself at the largest offset the format allows.
#include <cstring>

#include "tools/lzx_encoder/encoder_state.h"

namespace lzx_encoder {
namespace {

constexpr uint32_t HashBytes = 3;

uint32_t Hash3(const uint8_t* p, uint32_t bits) {
    const uint32_t v = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
    return (v * 0x9E3779B1u) >> (32 - bits);
}

}  // namespace

uint32_t MatchLength(const uint8_t* a, const uint8_t* b, uint32_t limit) {
    uint32_t n = 0;
    while (n + 8 <= limit) {
        uint64_t x, y;
        std::memcpy(&x, a + n, 8);
        std::memcpy(&y, b + n, 8);
        if (x != y) return n + uint32_t(__builtin_ctzll(x ^ y) >> 3);  // little-endian hosts
        n += 8;
    }
    while (n < limit && a[n] == b[n]) ++n;
    return n;
}

void ResetHistory(History& history, uint32_t windowBits) {
    history.hashBits = windowBits >= 18 ? 17 : 16;
    history.windowMask = (1u << windowBits) - 1;
    history.bytes.clear();
    history.start = history.end = history.hashed = 0;
    history.head.assign(size_t(1) << history.hashBits, 0);
    history.chain.assign(size_t(1) << windowBits, 0);
}

void AppendHistory(History& history, const uint8_t* data, uint32_t size, uint32_t windowSize) {
    // Keep one window behind the new bytes; drop what is older once the buffer has grown to
    // twice that, so the move happens once per window's worth of input.
    const uint64_t held = history.end - history.start;
    if (held + size > 2 * uint64_t(windowSize) + FrameSize) {
        const uint64_t drop = held - windowSize;
        history.bytes.erase(history.bytes.begin(), history.bytes.begin() + ptrdiff_t(drop));
        history.start += drop;
    }
    history.bytes.insert(history.bytes.end(), data, data + size);
    history.end += size;
}

void InsertUpTo(History& history, uint64_t upTo) {
    if (upTo + HashBytes > history.end) upTo = history.end >= HashBytes ? history.end - HashBytes + 1 : 0;
    for (uint64_t p = history.hashed; p < upTo; ++p) {
        uint32_t& head = history.head[Hash3(history.At(p), history.hashBits)];
        history.chain[p & history.windowMask] = head;
        head = uint32_t(p + 1);
    }
    if (upTo > history.hashed) history.hashed = upTo;
}

Match LongestMatch(const History& history, uint64_t position, uint32_t maxLength, uint32_t maxOffset,
                   uint32_t chainDepth) {
    Match best;
    const uint64_t available = history.end - position;
    const uint32_t limit = uint32_t(available < maxLength ? available : maxLength);
    if (limit < HashBytes) return best;
    const uint8_t* here = history.At(position);
    uint32_t bestLength = HashBytes - 1;
    uint32_t candidate = history.head[Hash3(here, history.hashBits)];
    for (uint32_t depth = chainDepth; candidate != 0 && depth > 0; --depth) {
        const uint64_t from = candidate - 1;
        if (from >= position || position - from > maxOffset) break;
        const uint8_t* there = history.At(from);
        if (there[bestLength] == here[bestLength] && there[0] == here[0] && there[1] == here[1]) {
            const uint32_t length = MatchLength(there, here, limit);
            if (length > bestLength) {
                bestLength = length;
                best.length = length;
                best.offset = uint32_t(position - from);
                if (length == limit) break;
            }
        }
        candidate = history.chain[from & history.windowMask];
    }
    return best;
}

}  // namespace lzx_encoder
