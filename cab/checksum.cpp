// CFDATA checksum. XOR is associative, so the words are folded eight bytes at a time (two
// words side by side) and the halves combined at the end: the same result as word by word,
// at memory speed.
#include "cab/checksum.h"

#include <cstring>

namespace cab {

uint32_t Checksum(const uint8_t* data, uint32_t size, uint32_t seed) {
    uint64_t wide = 0;
    uint32_t i = 0;
    for (; i + 8 <= size; i += 8) {
        uint64_t piece;
        std::memcpy(&piece, data + i, 8);
        wide ^= piece;
    }
    // Little-endian machine: the low half holds the first word of each pair, the high the second.
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "words are read little-endian");
    uint32_t sum = seed ^ static_cast<uint32_t>(wide) ^ static_cast<uint32_t>(wide >> 32);
    if (i + 4 <= size) {
        uint32_t word;
        std::memcpy(&word, data + i, 4);
        sum ^= word;
        i += 4;
    }
    uint32_t tail = 0;
    for (; i < size; ++i) tail = (tail << 8) | data[i];
    return sum ^ tail;
}

}  // namespace cab
