// The E8 call-address translation of LZX, both ways.
//
// x86 CALL instructions (opcode 0xE8) carry a displacement relative to the next instruction;
// the same function called from many places gets many different displacements. The encoder
// replaces each displacement by an absolute target (displacement + folder position of the 0xE8
// byte), which repeats and so compresses; the decoder turns it back. Both walk a frame the same
// way: from its first byte, every 0xE8 that is at least E8Reach bytes before the frame's end has
// its next 4 bytes treated as a little-endian operand and skipped; frames of E8TailBytes or
// fewer are not walked. Since the walk only looks at bytes other than operands, it finds the same
// 0xE8 bytes in the original and in the translated frame.
#pragma once

#include <cstdint>

namespace cab {
namespace lzx {

// Undoes the translation of a decoded frame in place. position: folder offset of frame[0];
// translationSize: the size from the folder's E8 header (not 0).
void E8Decode(uint8_t* frame, uint32_t size, uint32_t position, uint32_t translationSize);

// Applies the translation to a frame of input in place, so that E8Decode gives it back.
void E8Encode(uint8_t* frame, uint32_t size, uint32_t position, uint32_t translationSize);

}  // namespace lzx
}  // namespace cab
