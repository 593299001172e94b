// The Codec interface: how a compression method plugs into the cabinet reader.
//
// Each method offers four operations on a handle of its own. The reader sets a codec up when a
// folder of its method is selected (create), resets it before the first block of every newly
// selected folder, hands it one CFDATA block at a time (decompress) and destroys it when a folder
// of another method or window follows, or when the decoder is destroyed.
#pragma once

#include <cstdint>

#include "cab/cabinet.h"

namespace cab {

enum CodecResult : int {
    CodecOk = 0,
    CodecNoMemory = 1,          // alloc returned null
    CodecBadHandle = 2,         // the handle is not one of this method's
    CodecBadParameters = 3,     // a size out of range
    CodecDataError = 4,         // the compressed data is not valid
    CodecBadConfiguration = 5,  // the method cannot work with this configuration
};

struct CodecConfig {
    uint32_t windowBits = 0;  // bits 8-12 of typeCompress (Quantum, LZX)
    int cpuType = 0;          // the value given to Create (Quantum)
};

struct Codec {
    // blockSize in/out: the largest output of one block (the reader passes BlockSize).
    // inputBufferSize out: the size the compressed-data buffer must have. With handle null only
    // that answer is given; otherwise *handle receives a new handle.
    CodecResult (*create)(uint32_t* blockSize, const CodecConfig& config, AllocFunction alloc,
                          FreeFunction free, uint32_t* inputBufferSize, void** handle);
    // outputSize in: the size wanted; out: the size produced.
    CodecResult (*decompress)(void* handle, const uint8_t* input, uint32_t inputSize,
                              uint8_t* output, uint32_t* outputSize);
    CodecResult (*reset)(void* handle);
    CodecResult (*destroy)(void* handle);
};

// The codec of a compression method (MethodMszip, MethodQuantum, MethodLzx); null for any
// other method, the stored method included, which the reader handles itself.
const Codec* FindCodec(uint16_t method);

extern const Codec MszipCodec;
extern const Codec QuantumCodec;
extern const Codec LzxCodec;

}  // namespace cab
