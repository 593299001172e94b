// The E8 translation walk (see lzx_e8.h). memchr finds the next 0xE8 byte, so frames without
// calls cost one fast scan.
#include "cab/lzx_e8.h"

#include <cstring>

#include "cab/cab_format.h"
#include "cab/lzx_format.h"

namespace cab {
namespace lzx {
namespace {

constexpr uint8_t CallOpcode = 0xE8;

void WriteU32(uint8_t* p, uint32_t value) {
    p[0] = uint8_t(value);
    p[1] = uint8_t(value >> 8);
    p[2] = uint8_t(value >> 16);
    p[3] = uint8_t(value >> 24);
}

// Calls translate(operand, position of the 0xE8 byte) for every operand of the frame and
// stores what it returns.
template <typename Translate>
void WalkCalls(uint8_t* frame, uint32_t size, uint32_t position, Translate translate) {
    if (size <= E8TailBytes) return;
    // An 0xE8 at index end or later is too close to the frame's end.
    const uint32_t end = size > E8Reach ? size - E8Reach : 0;
    uint32_t i = 0;
    while (i < end) {
        const void* found = std::memchr(frame + i, CallOpcode, end - i);
        if (found == nullptr) break;
        i = uint32_t(static_cast<const uint8_t*>(found) - frame);
        uint8_t* operand = frame + i + 1;  // ends at most at size - E8TailBytes
        WriteU32(operand, translate(int32_t(ReadU32(operand)), int32_t(position + i)));
        i += 5;
    }
}

}  // namespace

void E8Decode(uint8_t* frame, uint32_t size, uint32_t position, uint32_t translationSize) {
    const int32_t limit = int32_t(translationSize);
    WalkCalls(frame, size, position, [limit](int32_t absolute, int32_t at) -> uint32_t {
        if (uint32_t(absolute) < uint32_t(limit)) return uint32_t(absolute) - uint32_t(at);
        if (absolute < 0 && -int64_t(absolute) <= at) return uint32_t(absolute) + uint32_t(limit);
        return uint32_t(absolute);
    });
}

void E8Encode(uint8_t* frame, uint32_t size, uint32_t position, uint32_t translationSize) {
    const int64_t limit = int64_t(translationSize);
    WalkCalls(frame, size, position, [limit](int32_t relative, int32_t at) -> uint32_t {
        // The inverse of E8Decode's two cases: [-at, limit - at) moves up by at into
        // [0, limit); [limit - at, limit) moves down by limit into [-at, 0).
        const int64_t value = relative;
        if (value >= -int64_t(at) && value < limit - at) return uint32_t(value + at);
        if (value >= limit - at && value < limit) return uint32_t(value - limit);
        return uint32_t(relative);
    });
}

}  // namespace lzx
}  // namespace cab
