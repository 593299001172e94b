// An LZX encoder for cabinet folders: one call per CFDATA block (one frame of up to 32768
// bytes), the folder's history carried from frame to frame, reset between folders.
//
// Each frame is E8-translated (when enabled), parsed into literals and matches against the
// window of the folder's earlier bytes (hash chains, lazy matching, repeated offsets R0-R2),
// and written as one block of the cheapest type: verbatim, aligned offset or uncompressed.
// Blocks never span frames, so every frame's output stands on its own bit boundary as the
// decoder expects, and no match crosses a frame's end.
//
// The output depends only on the frames given since the last reset.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace lzx_encoder {

struct LzxSettings {
    uint32_t windowBits = 21;  // 15 to 21
    bool e8Translation = true;
    // Hash-chain candidates looked at per position; more finds longer matches more slowly.
    uint32_t chainDepth = 64;
};

struct LzxEncoder;
struct LzxEncoderDeleter {
    void operator()(LzxEncoder* encoder) const;
};
using LzxEncoderPtr = std::unique_ptr<LzxEncoder, LzxEncoderDeleter>;

// A new encoder, already reset; null when windowBits is out of range.
LzxEncoderPtr CreateLzxEncoder(const LzxSettings& settings);

// Starts a new folder: no later frame refers to anything before.
void ResetLzxEncoder(LzxEncoder& encoder);

// Appends the compressed frame to out. size is 1 to 32768; only a folder's last frame may be
// shorter than 32768. False when the frame cannot be encoded (a size out of range, or a frame
// after a short one that would run past the window's end).
bool EncodeLzxFrame(LzxEncoder& encoder, const uint8_t* input, uint32_t size, std::vector<uint8_t>& out);

// The largest output of one frame: an uncompressed block with its headers.
constexpr uint32_t MaxFrameOutput = 32768 + 32;

}  // namespace lzx_encoder
