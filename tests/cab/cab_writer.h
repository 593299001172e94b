// Small writers for hand-made test inputs: a byte writer, a cabinet builder that lays out every
// field of CFHEADER, CFFOLDER, CFFILE and CFDATA from a plain description (so each test states
// only the fields its case is about), and a deflate bit writer for hand-made MSZIP blocks.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace cabtest {

using Bytes = std::vector<uint8_t>;

struct ByteWriter {
    Bytes bytes;
    void U8(uint32_t v) { bytes.push_back(static_cast<uint8_t>(v)); }
    void U16(uint32_t v) { U8(v); U8(v >> 8); }
    void U32(uint32_t v) { U16(v); U16(v >> 16); }
    void Append(const Bytes& b) { bytes.insert(bytes.end(), b.begin(), b.end()); }
    void Text(const std::string& s) { Append(Bytes(s.begin(), s.end())); U8(0); }
    void PatchU32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
    }
};

// ---- Cabinets -------------------------------------------------------------------------------

struct BlockSpec {
    Bytes data;                   // the cbData bytes as stored
    uint32_t uncompressed = 0;    // cbUncomp
    Bytes reserve;                // the data reserve (its size must match the cabinet's)
    bool checksum = true;         // write the right csum; false writes 0
    uint32_t checksumXor = 0;     // flips bits of the written csum, to make it wrong
};

inline BlockSpec Block(Bytes data, uint32_t uncompressed) {
    BlockSpec block;
    block.data = std::move(data);
    block.uncompressed = uncompressed;
    return block;
}

struct FolderSpec {
    uint16_t typeCompress = 0;
    std::vector<BlockSpec> blocks;
    Bytes reserve;
    int32_t blockCountOverride = -1;  // cCFData when not the number of blocks
};

struct FileSpec {
    std::string name;
    uint32_t size = 0;
    uint32_t folderOffset = 0;
    uint16_t folder = 0;
    uint16_t date = 0x5A21;  // 2025-01-01
    uint16_t time = 0x6000;  // 12:00:00
    uint16_t attribs = 0x20;
    bool terminated = true;  // false: the name is written without its NUL
};

inline FileSpec File(std::string name, uint32_t size, uint32_t folderOffset, uint16_t folder = 0) {
    FileSpec file;
    file.name = std::move(name);
    file.size = size;
    file.folderOffset = folderOffset;
    file.folder = folder;
    return file;
}

struct CabinetSpec {
    uint16_t version = 0x0103;
    uint16_t setID = 0x1234;
    uint16_t iCabinet = 0;
    bool reservePresent = false;  // flag 0x0004 and the reserve sizes
    Bytes headerReserve;
    uint8_t folderReserveSize = 0;
    uint8_t dataReserveSize = 0;
    bool hasPrevious = false;     // flag 0x0001
    std::string previousCabinet, previousDisk;
    bool hasNext = false;         // flag 0x0002
    std::string nextCabinet, nextDisk;
    std::vector<FolderSpec> folders;
    std::vector<FileSpec> files;
    int32_t fileCountOverride = -1;  // cFiles when not the number of files
};

Bytes BuildCabinet(const CabinetSpec& layout);

// The CFDATA checksum of a block, computed here independently of the decoder: data, then the
// header after csum (cbData, cbUncomp, reserve).
uint32_t BlockChecksum(const BlockSpec& block);

// A folder of stored blocks holding content, cut into blocks of blockSize bytes.
FolderSpec StoredFolder(const Bytes& content, uint32_t blockSize = 32768);

// One stored entry per content, all in one stored folder, back to back.
CabinetSpec StoredCabinet(const std::vector<std::pair<std::string, Bytes>>& entries);

// ---- Deflate --------------------------------------------------------------------------------

struct BitWriter {
    Bytes bytes;
    uint32_t pending = 0;
    int count = 0;
    // value's low n bits, least significant first (deflate's order for everything but codes).
    void Bits(uint32_t value, int n);
    // A Huffman code of length n, most significant bit first.
    void Code(uint32_t code, int n);
    void AlignToByte();
    // The bytes written, with "CK" in front: one MSZIP block.
    Bytes MszipBlock();
};

// Canonical codes (RFC 1951, 3.2.2) for a list of code lengths.
std::vector<uint32_t> CanonicalCodes(const std::vector<uint8_t>& lengths);

// Fixed-Huffman symbols (RFC 1951, 3.2.6).
void FixedLiteral(BitWriter& w, uint32_t symbol);  // 0-287 literal/length symbol
void FixedDistance(BitWriter& w, uint32_t symbol); // 0-31

// A dynamic block header for these literal/length and distance code lengths: HLIT, HDIST,
// HCLEN, then a code-length code in which symbols 0-12 take 4 bits and 13-18 take 5, and each
// length sent as its own symbol. The caller writes BFINAL and BTYPE first.
void DynamicHeader(BitWriter& w, const std::vector<uint8_t>& litLenLengths,
                   const std::vector<uint8_t>& distanceLengths);
// The code-length code DynamicHeader uses, for tests that send their own code-length symbols.
std::vector<uint8_t> HeaderCodeLengthLengths();
// The header's first part only: counts, then that code-length code.
void DynamicHeaderStart(BitWriter& w, unsigned litLenCount, unsigned distanceCount);

}  // namespace cabtest
