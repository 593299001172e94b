// Shared body of the codec fuzz targets: feeds a decoder of the cabinet reader's Codec interface
// frame by frame, as the reader does. Input layout: one byte of window bits, then frames, each a
// 16-bit little-endian length (cut to what is left) and that many bytes; every frame asks for
// 32768 output bytes, or for a shorter output when the length's top bit is set. Each frame's
// input sits at the end of an allocation of exactly its size, so over-reads fault under ASan.
// Property: no crash, no over-read, no hang, output never larger than asked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "cab/codec.h"

inline void* FuzzAlloc(uint32_t size) { return std::malloc(size); }
inline void FuzzFree(void* memory) { std::free(memory); }

inline int FuzzCodecFrames(const cab::Codec& codec, const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    cab::CodecConfig config;
    config.windowBits = data[0] & 0x1F;
    config.cpuType = 1;
    uint32_t blockSize = 32768, inputSize = 0;
    void* handle = nullptr;
    if (codec.create(&blockSize, config, FuzzAlloc, FuzzFree, &inputSize, &handle) != cab::CodecOk) return 0;
    std::vector<uint8_t> output(blockSize);
    size_t at = 1;
    while (at + 2 <= size) {
        uint32_t word = data[at] | uint32_t(data[at + 1]) << 8;
        at += 2;
        size_t length = word & 0x7FFF;
        if (length > size - at) length = size - at;
        if (length > inputSize) length = inputSize;
        uint8_t* frame = static_cast<uint8_t*>(std::malloc(length ? length : 1));
        if (length) std::memcpy(frame, data + at, length);
        at += length;
        uint32_t wanted = (word & 0x8000) ? 1 + (length * 131) % blockSize : blockSize;
        uint32_t produced = wanted;
        cab::CodecResult result = codec.decompress(handle, frame, static_cast<uint32_t>(length), output.data(), &produced);
        std::free(frame);
        if (result == cab::CodecOk && produced > wanted) __builtin_trap();
        if (result != cab::CodecOk) codec.reset(handle);
    }
    codec.destroy(handle);
    return 0;
}
