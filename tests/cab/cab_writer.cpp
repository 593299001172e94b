// The hand-made input writers (see cab_writer.h). The cabinet builder writes the fields in file
// order, one line per field, and works out the offsets (coffFiles, coffCabStart) itself.
#include "tests/cab/cab_writer.h"

#include <algorithm>

namespace cabtest {
namespace {

uint32_t ChecksumBytes(const Bytes& bytes, uint32_t seed) {
    uint32_t sum = seed;
    size_t i = 0;
    for (; i + 4 <= bytes.size(); i += 4) {
        sum ^= static_cast<uint32_t>(bytes[i]) | (static_cast<uint32_t>(bytes[i + 1]) << 8) |
               (static_cast<uint32_t>(bytes[i + 2]) << 16) | (static_cast<uint32_t>(bytes[i + 3]) << 24);
    }
    uint32_t tail = 0;
    for (; i < bytes.size(); ++i) tail = (tail << 8) | bytes[i];
    return sum ^ tail;
}

}  // namespace

uint32_t BlockChecksum(const BlockSpec& block) {
    ByteWriter header;
    header.U16(static_cast<uint32_t>(block.data.size()));  // cbData
    header.U16(block.uncompressed);                        // cbUncomp
    header.Append(block.reserve);                          // data reserve
    return ChecksumBytes(header.bytes, ChecksumBytes(block.data, 0));
}

Bytes BuildCabinet(const CabinetSpec& layout) {
    ByteWriter w;
    const uint16_t flags = (layout.hasPrevious ? 0x0001 : 0) | (layout.hasNext ? 0x0002 : 0) |
                           (layout.reservePresent ? 0x0004 : 0);
    w.Append({'M', 'S', 'C', 'F'});                          // signature
    w.U32(0);                                                // reserved
    const size_t cbCabinetAt = w.bytes.size();
    w.U32(0);                                                // cbCabinet (patched)
    w.U32(0);                                                // reserved
    const size_t coffFilesAt = w.bytes.size();
    w.U32(0);                                                // coffFiles (patched)
    w.U32(0);                                                // reserved
    w.U16(layout.version);                                     // versionMinor, versionMajor
    w.U16(static_cast<uint32_t>(layout.folders.size()));       // cFolders
    w.U16(layout.fileCountOverride >= 0 ? static_cast<uint32_t>(layout.fileCountOverride)
                                      : static_cast<uint32_t>(layout.files.size()));  // cFiles
    w.U16(flags);                                            // flags
    w.U16(layout.setID);                                       // setID
    w.U16(layout.iCabinet);                                    // iCabinet
    if (layout.reservePresent) {
        w.U16(static_cast<uint32_t>(layout.headerReserve.size()));  // cbCFHeader
        w.U8(layout.folderReserveSize);                              // cbCFFolder
        w.U8(layout.dataReserveSize);                                // cbCFData
        w.Append(layout.headerReserve);                              // header reserve
    }
    if (layout.hasPrevious) {
        w.Text(layout.previousCabinet);                        // szCabinetPrev
        w.Text(layout.previousDisk);                           // szDiskPrev
    }
    if (layout.hasNext) {
        w.Text(layout.nextCabinet);                            // szCabinetNext
        w.Text(layout.nextDisk);                               // szDiskNext
    }

    std::vector<size_t> coffCabStartAt;
    for (const FolderSpec& folder : layout.folders) {
        coffCabStartAt.push_back(w.bytes.size());
        w.U32(0);                                            // coffCabStart (patched)
        w.U16(folder.blockCountOverride >= 0 ? static_cast<uint32_t>(folder.blockCountOverride)
                                             : static_cast<uint32_t>(folder.blocks.size()));  // cCFData
        w.U16(folder.typeCompress);                          // typeCompress
        w.Append(folder.reserve);                            // folder reserve
    }

    w.PatchU32(coffFilesAt, static_cast<uint32_t>(w.bytes.size()));
    for (const FileSpec& file : layout.files) {
        w.U32(file.size);                                    // cbFile
        w.U32(file.folderOffset);                            // uoffFolderStart
        w.U16(file.folder);                                  // iFolder
        w.U16(file.date);                                    // date
        w.U16(file.time);                                    // time
        w.U16(file.attribs);                                 // attribs
        if (file.terminated) {
            w.Text(file.name);                               // szName
        } else {
            w.Append(Bytes(file.name.begin(), file.name.end()));  // szName without its NUL
        }
    }

    for (size_t f = 0; f < layout.folders.size(); ++f) {
        w.PatchU32(coffCabStartAt[f], static_cast<uint32_t>(w.bytes.size()));
        for (const BlockSpec& block : layout.folders[f].blocks) {
            const uint32_t sum = block.checksum ? BlockChecksum(block) ^ block.checksumXor : 0;
            w.U32(sum);                                      // csum
            w.U16(static_cast<uint32_t>(block.data.size())); // cbData
            w.U16(block.uncompressed);                       // cbUncomp
            w.Append(block.reserve);                         // data reserve
            w.Append(block.data);                            // data
        }
    }
    w.PatchU32(cbCabinetAt, static_cast<uint32_t>(w.bytes.size()));
    return w.bytes;
}

FolderSpec StoredFolder(const Bytes& content, uint32_t blockSize) {
    FolderSpec folder;
    for (size_t at = 0; at < content.size(); at += blockSize) {
        BlockSpec block;
        const size_t end = std::min(content.size(), at + blockSize);
        block.data.assign(content.begin() + static_cast<long>(at), content.begin() + static_cast<long>(end));
        block.uncompressed = static_cast<uint32_t>(end - at);
        folder.blocks.push_back(block);
    }
    return folder;
}

CabinetSpec StoredCabinet(const std::vector<std::pair<std::string, Bytes>>& entries) {
    CabinetSpec layout;
    Bytes all;
    for (const auto& entry : entries) {
        FileSpec file;
        file.name = entry.first;
        file.size = static_cast<uint32_t>(entry.second.size());
        file.folderOffset = static_cast<uint32_t>(all.size());
        layout.files.push_back(file);
        all.insert(all.end(), entry.second.begin(), entry.second.end());
    }
    layout.folders.push_back(StoredFolder(all));
    return layout;
}

void BitWriter::Bits(uint32_t value, int n) {
    for (int i = 0; i < n; ++i) {
        pending |= ((value >> i) & 1u) << count;
        if (++count == 8) {
            bytes.push_back(static_cast<uint8_t>(pending));
            pending = 0;
            count = 0;
        }
    }
}

void BitWriter::Code(uint32_t code, int n) {
    for (int i = n - 1; i >= 0; --i) Bits((code >> i) & 1u, 1);
}

void BitWriter::AlignToByte() {
    if (count != 0) Bits(0, 8 - count);
}

Bytes BitWriter::MszipBlock() {
    AlignToByte();
    Bytes block(bytes.size() + 2);
    block[0] = 'C';
    block[1] = 'K';
    std::copy(bytes.begin(), bytes.end(), block.begin() + 2);
    return block;
}

std::vector<uint32_t> CanonicalCodes(const std::vector<uint8_t>& lengths) {
    uint32_t count[16] = {}, next[16] = {};
    for (uint8_t len : lengths) count[len]++;
    count[0] = 0;
    uint32_t code = 0;
    for (int len = 1; len < 16; ++len) {
        code = (code + count[len - 1]) << 1;
        next[len] = code;
    }
    std::vector<uint32_t> codes(lengths.size());
    for (size_t s = 0; s < lengths.size(); ++s) {
        if (lengths[s] != 0) codes[s] = next[lengths[s]]++;
    }
    return codes;
}

void FixedLiteral(BitWriter& w, uint32_t symbol) {
    if (symbol < 144) {
        w.Code(0x30 + symbol, 8);
    } else if (symbol < 256) {
        w.Code(0x190 + symbol - 144, 9);
    } else if (symbol < 280) {
        w.Code(symbol - 256, 7);
    } else {
        w.Code(0xC0 + symbol - 280, 8);
    }
}

void FixedDistance(BitWriter& w, uint32_t symbol) { w.Code(symbol, 5); }

std::vector<uint8_t> HeaderCodeLengthLengths() {
    std::vector<uint8_t> lengths(19, 4);
    for (int s = 13; s < 19; ++s) lengths[s] = 5;
    return lengths;
}

void DynamicHeaderStart(BitWriter& w, unsigned litLenCount, unsigned distanceCount) {
    static const int order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    const std::vector<uint8_t> codeLengths = HeaderCodeLengthLengths();
    w.Bits(litLenCount - 257, 5);  // HLIT
    w.Bits(distanceCount - 1, 5);  // HDIST
    w.Bits(19 - 4, 4);             // HCLEN: all 19 code-length code lengths follow
    for (int i = 0; i < 19; ++i) w.Bits(codeLengths[order[i]], 3);
}

void DynamicHeader(BitWriter& w, const std::vector<uint8_t>& litLenLengths,
                   const std::vector<uint8_t>& distanceLengths) {
    DynamicHeaderStart(w, static_cast<unsigned>(litLenLengths.size()),
                       static_cast<unsigned>(distanceLengths.size()));
    const std::vector<uint8_t> codeLengths = HeaderCodeLengthLengths();
    const std::vector<uint32_t> codes = CanonicalCodes(codeLengths);
    for (uint8_t len : litLenLengths) w.Code(codes[len], codeLengths[len]);
    for (uint8_t len : distanceLengths) w.Code(codes[len], codeLengths[len]);
}

}  // namespace cabtest
