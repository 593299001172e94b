// BlockEncoder: how a compression method plugs into the cabinet writer.
//
// The writer cuts every folder's uncompressed stream (its files' bytes back to back) into
// blocks of exactly BlockInputSize bytes, the last block of a folder being shorter (1 to
// BlockInputSize bytes). It hands the blocks of one folder to one encoder, in order, and stores
// each result as the data of one CFDATA block whose cbUncomp is the block's input size. The
// writer owns the cabinet layout (headers, file list, block headers, checksums, folder splits);
// an encoder only turns input blocks into compressed bytes.
//
// The contract an encoder keeps:
//   - Reset() is called before the first block of every folder. After it the encoder must not
//     refer to anything it saw before: a decoder starts every folder afresh.
//   - EncodeBlock() gets the folder's blocks in order and appends the cbData bytes of one CFDATA
//     block to `out` (which the writer hands over empty). The encoder may keep state from block
//     to block within a folder (history window, adaptive models); the decoder is given the same
//     blocks in the same order. `last` is true for the folder's last block, the only one that
//     may be shorter than BlockInputSize.
//   - A block's output may not exceed maxCompressedSize bytes, the compressed-data buffer the
//     cabinet reader sets up for the method (BlockInputSize plus 12 for MSZIP, 10240 for
//     Quantum, 6144 for LZX) and never more than 65535 (cbData is 16 bits). The writer checks
//     it and fails the cabinet when it is exceeded, so an encoder must fall back to an
//     uncompressed form of its method when compression does not pay.
//   - The output depends only on the input blocks (no time, no addresses, no randomness):
//     the same files must give a byte-identical cabinet.
//   - Failures are reported by returning false with a message in `error`; nothing throws.
//
// Adding a method (LZX, Quantum): write its encoder in a file of its own with a factory
// function, and add one row to the method table in block_encoders.cpp (its name on the command
// line, the method number, the window range). Nothing in cabinet_writer.cpp changes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace cabwriter {

// Uncompressed bytes of every CFDATA block but a folder's last.
constexpr uint32_t BlockInputSize = 32768;

class BlockEncoder {
public:
    virtual ~BlockEncoder() = default;

    // The CFFOLDER typeCompress word of the folders this encoder writes: the method in bits
    // 0-3, the window parameter in bits 8-12 (LZX: window bits 15..21; Quantum: 10..21).
    uint16_t typeCompress = 0;
    // Largest cbData this encoder may produce for one block (see above).
    uint32_t maxCompressedSize = BlockInputSize;

    virtual bool Reset(std::string& error) = 0;
    virtual bool EncodeBlock(const uint8_t* input, uint32_t size, bool last, std::vector<uint8_t>& out,
                             std::string& error) = 0;
};

// A compression choice as the tools take it on the command line: "none", "mszip", and for
// methods with a window "name:bits" (for instance "lzx:21"); the window defaults per method.
struct CompressionChoice {
    uint16_t method = 0;      // 0 stored, 1 MSZIP, 2 Quantum, 3 LZX
    uint16_t windowBits = 0;  // 0 for methods without a window
};

// Parses a choice; false with a message naming the known methods when it is not one of them.
bool ParseCompression(const std::string& text, CompressionChoice& choice, std::string& error);

// The names the command line accepts, for usage texts ("none|mszip").
std::string CompressionNames();

// A new encoder for the choice; null with a message when the method or window is not supported.
std::unique_ptr<BlockEncoder> MakeBlockEncoder(const CompressionChoice& choice, std::string& error);

// The encoders that exist, one factory each (block_encoders.cpp lists them by method).
std::unique_ptr<BlockEncoder> MakeStoredEncoder();
std::unique_ptr<BlockEncoder> MakeMszipEncoder();
std::unique_ptr<BlockEncoder> MakeQuantumEncoder(uint16_t windowBits);  // 10 to 21
std::unique_ptr<BlockEncoder> MakeLzxEncoder(uint16_t windowBits);      // 15 to 21

}  // namespace cabwriter
