// Decoding Quantum frames: the bit source, the arithmetic decoder and the LZ77 items.
//
// Bit source. The frame's bytes are read most significant bit first. `bits` holds the next
// `count` bits of the stream left-aligned in a 64-bit word and is topped up (eight bytes in one
// go where the input has them) whenever fewer than RefillBelow bits are left, so that one
// symbol (at most 31 shifts of the code register, see Renormalise) or one raw value (at most 19
// bits) never has to look at the input. Past the input's end the refill supplies zero bytes and
// counts them; the frame has read past its end as soon as one of those zero bits has been
// consumed, that is when zeroBytes × 8 > count.
//
// Arithmetic decoder. Three 16-bit registers: low L, high H and code C, C being the 16 stream
// bits in hand (with the 0x4000 flips of the underflow case applied). After every
// renormalisation L < 0x4000 or H ≥ 0xC000 holds with L ≤ H, so the range H - L + 1 exceeds
// 0x4000, which is more than any model total: every symbol narrows the range to at least one
// value and the renormalisation ends after a bounded number of shifts, whatever the input holds.
//
// Speed: no division by the range (the symbol search compares products), the two divisions by
// the model total are multiplications by a tabled reciprocal, the renormalisation shifts in two
// batches without a branch, the coder's state stays in registers (everything that touches it
// is inlined into the frame loop) and the frame loop keeps the window position in a local.
#include "cab/quantum_decoder.h"

#include <cstring>

namespace cab {
namespace quantum {
namespace {

constexpr int RefillBelow = 32;
static_assert(RefillBelow >= 31, "one symbol's shifts, or one raw value (19 bits), per refill");

struct Frame {
    const uint8_t* next;
    const uint8_t* end;
    uint64_t bits;
    int count;
    uint32_t zeroBytes;
    uint32_t low;
    uint32_t high;
    uint32_t code;
};

// The next eight input bytes as one big-endian word.
inline uint64_t LoadBigEndian64(const uint8_t* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    word = __builtin_bswap64(word);
#elif !defined(__BYTE_ORDER__) || __BYTE_ORDER__ != __ORDER_BIG_ENDIAN__
#error "unknown byte order"
#endif
    return word;
}

// Every function that touches the Frame is inlined into DecodeFrame, so that the coder's
// registers and the bit buffer live in machine registers rather than in memory.
#define QUANTUM_INLINE __attribute__((always_inline)) inline

QUANTUM_INLINE void Refill(Frame& f) {
    if (f.end - f.next >= 8) {
        // Eight bytes in one load; as many whole bytes as fit below the bits in hand are kept.
        f.bits |= LoadBigEndian64(f.next) >> f.count;
        f.next += (63 - f.count) >> 3;
        f.count |= 56;
        return;
    }
    while (f.count <= 56) {
        uint64_t byte = 0;
        if (f.next < f.end) {
            byte = *f.next++;
        } else {
            ++f.zeroBytes;
        }
        f.bits |= byte << (56 - f.count);
        f.count += 8;
    }
}

inline void EnsureBits(Frame& f) {
    if (f.count < RefillBelow) Refill(f);
}

inline bool ReadPastEnd(const Frame& f) { return uint64_t(f.zeroBytes) * 8 > uint64_t(f.count); }

// k raw bits, most significant first; k is at most 19.
inline uint32_t ReadRaw(Frame& f, unsigned k) {
    if (k == 0) return 0;
    EnsureBits(f);
    const uint32_t value = static_cast<uint32_t>(f.bits >> (64 - k));
    f.bits <<= k;
    f.count -= static_cast<int>(k);
    return value;
}

// Division by a model's total as a multiplication: x / total for x = cumulative frequency ×
// range, so x ≤ total × 2^16. With m = 2^40 / total + 1 (rounded down, plus one) the product
// x × m stays below 2^57 and exceeds x × 2^40 / total by at most x ≤ total × 2^16, which is
// less than 2^40 / total as every total is below 2^12: too little to reach the next multiple
// of 2^40, so (x × m) >> 40 is exactly the quotient.
constexpr unsigned ReciprocalShift = 40;
constexpr uint32_t MaxTotal = RescaleThreshold + FrequencyStep;
static_assert(MaxTotal < (1u << 12), "the reciprocals are exact for totals below 2^12");
struct ReciprocalTable {
    uint64_t value[MaxTotal + 1];
    constexpr ReciprocalTable() : value() {
        for (uint32_t t = 1; t <= MaxTotal; ++t) value[t] = (uint64_t{1} << ReciprocalShift) / t + 1;
    }
};
constexpr ReciprocalTable Reciprocals;

inline uint32_t Quotient(uint32_t x, uint64_t reciprocal) {
    return static_cast<uint32_t>((x * reciprocal) >> ReciprocalShift);
}

// Shifts n (0 to 16) stream bits into the code register; L shifts in zeros, H ones. No branch:
// (bits >> 1) >> (63 - n) is the top n bits of `bits`, and 0 for n = 0.
inline void Shift(Frame& f, unsigned n) {
    f.low = (f.low << n) & 0xFFFF;
    f.high = ((f.high << n) | ((1u << n) - 1)) & 0xFFFF;
    f.code = ((f.code << n) | static_cast<uint32_t>((f.bits >> 1) >> (63 - n))) & 0xFFFF;
    f.bits <<= n;
    f.count -= static_cast<int>(n);
}

// The format's renormalisation loop, one shift at a time:
//     while the top bits of L and H are equal, or differ with L = 01... and H = 10...
//     (underflow: flip bit 14 of L, H and C first), shift L, H and C left by one.
// Done here in two batches, either of which may be empty. The equal top bits are the leading
// zeros of L ^ H. An underflow shift keeps the top bits different and moves the next bit pair
// up to bit 14, so the underflow shifts that follow are the run of bit positions from 14 down
// where L has a 1 and H a 0; their flips touch exactly those positions, so one XOR does them
// all before the shift.
inline void Renormalise(Frame& f) {
    Shift(f, static_cast<unsigned>(__builtin_clz(((f.low ^ f.high) << 16) | 0x8000)));
    const unsigned underflow = static_cast<unsigned>(__builtin_clz(~((f.low & ~f.high) << 17) | 1));
    const uint32_t flips = ((1u << underflow) - 1) << (15 - underflow);
    f.low ^= flips;
    f.high ^= flips;
    f.code ^= flips;
    Shift(f, underflow);
}

QUANTUM_INLINE unsigned DecodeSymbol(Frame& f, Model& m) {
    EnsureBits(f);
    const uint32_t range = f.high - f.low + 1;
    const uint32_t total = m.cumFreq[0];
    // The symbol is that of the first entry i whose successor's cumulative frequency is not
    // above f = ((C - L + 1) × total - 1) / range, the code's place in the range scaled to the
    // total (C - L in 16 bits: on damaged input the code may lie outside [L, H]). For integers
    // f ≥ c exactly when (C - L + 1) × total - 1 ≥ c × range, so the search compares products
    // and needs no division. (f itself stays below 2^14 as the range exceeds 0x4000, so the
    // format's 16-bit truncation of it never applies.)
    const uint32_t scaled = (((f.code - f.low) & 0xFFFF) + 1) * total - 1;
    unsigned i = 0;
    while (m.cumFreq[i + 1] * range > scaled) ++i;  // ends at entry s, whose frequency is 0
    const unsigned symbol = m.symbol[i];

    const uint32_t low = f.low;
    const uint64_t perTotal = Reciprocals.value[total];
    f.high = (low + Quotient(m.cumFreq[i] * range, perTotal) - 1) & 0xFFFF;
    f.low = (low + Quotient(m.cumFreq[i + 1] * range, perTotal)) & 0xFFFF;
    UpdateModel(m, i);

    Renormalise(f);
    return symbol;
}

// Copies a match byte by byte (the source may overlap what it writes) to the window and the
// output; the source and the write index both wrap at the window's end.
inline void CopyMatch(uint8_t* window, uint32_t mask, uint32_t position, uint8_t* out, uint32_t offset,
                      uint32_t length) {
    uint32_t from = (position - offset) & mask;
    uint32_t to = position & mask;
    if (from + length <= mask + 1 && to + length <= mask + 1) {
        if (offset >= 8) {
            // Eight bytes at a time: each group is read before it is written and lies at
            // least 8 bytes behind it, so overlapping matches copy as byte by byte.
            uint32_t k = 0;
            for (; k + 8 <= length; k += 8) {
                uint64_t group;
                std::memcpy(&group, window + from + k, sizeof group);
                std::memcpy(window + to + k, &group, sizeof group);
                std::memcpy(out + k, &group, sizeof group);
            }
            for (; k < length; ++k) {
                const uint8_t b = window[from + k];
                window[to + k] = b;
                out[k] = b;
            }
            return;
        }
        for (uint32_t k = 0; k < length; ++k) {
            const uint8_t b = window[from + k];
            window[to + k] = b;
            out[k] = b;
        }
        return;
    }
    for (uint32_t k = 0; k < length; ++k) {
        const uint8_t b = window[from];
        window[to] = b;
        out[k] = b;
        from = (from + 1) & mask;
        to = (to + 1) & mask;
    }
}

}  // namespace

void ResetDecoder(DecoderState& state) {
    state.position = 0;
    InitModels(state.models, state.windowBits);
}

bool DecodeFrame(DecoderState& s, const uint8_t* input, uint32_t inputSize, uint8_t* output,
                 uint32_t wanted) {
    Frame f;
    f.next = input;
    f.end = input + inputSize;
    f.bits = 0;
    f.count = 0;
    f.zeroBytes = 0;
    Refill(f);
    f.code = static_cast<uint32_t>(f.bits >> 48);
    f.bits <<= 16;
    f.count -= 16;
    f.low = 0;
    f.high = 0xFFFF;

    // Local copies, so that the byte stores cannot make the compiler reload them.
    Models& m = s.models;
    uint8_t* const window = s.window;
    const uint32_t mask = s.windowMask;
    uint32_t position = s.position;
    uint8_t* out = output;
    bool overflow = false;
    while (wanted != 0 && !ReadPastEnd(f)) {
        const unsigned selector = DecodeSymbol(f, m.selector);
        if (selector < LiteralModels) {
            const uint8_t byte = static_cast<uint8_t>(DecodeSymbol(f, m.literal[selector]) + LiteralSymbols * selector);
            window[position & mask] = byte;
            ++position;
            *out++ = byte;
            --wanted;
            continue;
        }

        uint32_t length;
        unsigned slot;
        if (selector == SelectorMatch3) {
            length = 3;
            slot = DecodeSymbol(f, m.match3Position);
        } else if (selector == SelectorMatch4) {
            length = 4;
            slot = DecodeSymbol(f, m.match4Position);
        } else {
            const unsigned lengthSlot = DecodeSymbol(f, m.longLength);
            length = ReadRaw(f, LengthExtraBits[lengthSlot]) + LengthBase[lengthSlot] + LongMatchMinLength;
            slot = DecodeSymbol(f, m.longPosition);
        }
        const uint32_t offset = ReadRaw(f, PositionExtraBits[slot]) + PositionBase[slot] + 1;
        if (length > wanted) {  // a match may not run past the frame
            overflow = true;
            break;
        }
        CopyMatch(window, mask, position, out, offset, length);
        position += length;
        out += length;
        wanted -= length;
    }
    s.position = position;
    if (overflow) return false;
    return wanted == 0 && !ReadPastEnd(f);
}

}  // namespace quantum
}  // namespace cab
