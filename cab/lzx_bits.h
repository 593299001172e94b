// The LZX decoder's bit reader.
//
// The input is a sequence of 16-bit little-endian words whose bits are taken most significant
// first. `bits` holds the next `count` bits of the stream at its top (bit 63 is the next bit);
// Refill tops it up a word at a time to at least 49 bits, enough for a main symbol, a length
// symbol and a 17-bit footer. Words are fetched from `data`, the decoder's own copy of the
// frame's input followed by zero bytes (InputPadding of them), so a look-ahead past the input
// reads zeros, and fetching needs no test of its own (see InputPadding).
//
// The reader counts consumed bits from `base`, the byte at which it was last primed. The
// input is used up, for the purposes of the format's checks, once the words fetched would
// reach 4 bytes past the input's end: SymbolLimit() and TreeLimit() turn that into bit counts
// (see lzx_decoder.cpp).
#pragma once

#include <cstdint>
#include <cstring>

namespace cab {
namespace lzx {

// Zero bytes after the input copy. The decoder checks the consumed bits against the input's end
// (a few bytes past it at most) before every symbol, every tree length and every block header.
// Between two checks the reader consumes at most a block header, an aligned tree and a pretree
// (17 bytes) or, after an uncompressed block, starts again at most 5 bytes past the input's end;
// a refill then fetches at most 6 bytes beyond the 8 it holds. Every fetch thus stays well inside
// the padding.
constexpr uint32_t InputPadding = 64;

struct BitReader {
    const uint8_t* data = nullptr;
    uint32_t base = 0;      // byte offset of the last priming
    uint32_t next = 0;      // byte offset of the next word to fetch
    uint64_t bits = 0;
    int count = 0;

    // Starts reading at byte offset `at`: the bit buffer is emptied and filled anew.
    void Prime(uint32_t at) {
        base = next = at;
        bits = 0;
        count = 0;
        Refill();
    }

    // One word, fetched by one 16-bit load (assembling it from two byte loads costs three more
    // instructions on a path taken by about every other symbol).
    uint32_t Word(uint32_t at) const {
        uint16_t v;
        std::memcpy(&v, data + at, 2);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        v = __builtin_bswap16(v);
#endif
        return v;
    }
    // Two words, the first in the upper half.
    uint32_t TwoWords(uint32_t at) const {
        uint32_t v;
        std::memcpy(&v, data + at, 4);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        v = __builtin_bswap32(v);
#endif
        return (v << 16) | (v >> 16);
    }

    void Refill() {
        if (count <= 32) {
            bits |= uint64_t(TwoWords(next)) << (32 - count);
            next += 4;
            count += 32;
        }
        if (count <= 48) {
            bits |= uint64_t(Word(next)) << (48 - count);
            next += 2;
            count += 16;
        }
    }

    // The next k bits (1 to 32) without consuming them.
    uint32_t Peek(uint32_t k) const { return uint32_t(bits >> (64 - k)); }
    void Skip(uint32_t k) {
        bits <<= k;
        count -= int(k);
    }
    // Reads k bits (0 to 17); the buffer must hold them (call Refill first).
    uint32_t Take(uint32_t k) {
        if (k == 0) return 0;
        const uint32_t value = Peek(k);
        Skip(k);
        return value;
    }
    // Refills and reads k bits (0 to 17).
    uint32_t Read(uint32_t k) {
        Refill();
        return Take(k);
    }
    // Bits consumed since the last priming.
    int64_t Consumed() const { return int64_t(next - base) * 8 - count; }
};

}  // namespace lzx
}  // namespace cab
