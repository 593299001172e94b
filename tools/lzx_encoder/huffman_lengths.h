// Code lengths for the LZX encoder's Huffman trees: optimal lengths from symbol frequencies,
// limited to a largest length, and the canonical codes the decoder derives from them.
#pragma once

#include <cstdint>

namespace lzx_encoder {

// lengths[s] for count symbols (at least 2) from freqs[s]: a complete prefix code, no length
// above maxLength (2^maxLength must be at least count). Unused symbols get 0, except that at
// least two symbols always get a code, so that every decoder sees a complete tree.
void BuildLengths(const uint32_t* freqs, uint32_t count, uint32_t maxLength, uint8_t* lengths);

// Canonical codes: assigned in order of length, then of symbol.
void AssignCodes(const uint8_t* lengths, uint32_t count, uint32_t* codes);

}  // namespace lzx_encoder
