// Reading CFDATA blocks: each piece is read into the compressed-data buffer, its checksum
// verified, shown to the hook, and the block decompressed into the output buffer. A block split
// over two cabinets is joined in the buffer first. When a folder's blocks in this cabinet run
// out, the reader moves on to the next cabinet of the set, which continues the folder.
#include <cstring>

#include "cab/checksum.h"
#include "cab/cabinet_internal.h"

namespace cab {
namespace {

uint16_t PieceCompressedSize(const Decoder& d) { return ReadU16(d.dataHeader + DataOffsetCompressed); }
uint16_t PieceUncompressedSize(const Decoder& d) { return ReadU16(d.dataHeader + DataOffsetUncompressed); }

// Reads one CFDATA piece into the compressed-data buffer at offset.
bool ReadDataPiece(Decoder& d, uint32_t offset) {
    if (!ReadExact(d, d.dataHandle, d.dataHeader, d.dataHeaderSize)) return false;
    const uint16_t size = PieceCompressedSize(d);
    if (static_cast<uint64_t>(offset) + size > d.inputSize) return Fail(d, CorruptCabinet);
    if (!ReadExact(d, d.dataHandle, d.input + offset, size)) return false;

    const uint32_t stored = ReadU32(d.dataHeader + DataOffsetChecksum);
    if (stored != 0) {
        // The data first, then everything of the header after csum: the two sizes and the
        // reserve.
        const uint32_t dataSum = Checksum(d.input + offset, size, 0);
        const uint32_t sum = Checksum(d.dataHeader + DataOffsetCompressed,
                                      d.dataHeaderSize - DataOffsetCompressed, dataSum);
        if (sum != stored) return Fail(d, CorruptCabinet);
    }

    // From here on cbData counts the joined block.
    const uint32_t held = offset + size;
    d.dataHeader[DataOffsetCompressed] = static_cast<uint8_t>(held);
    d.dataHeader[DataOffsetCompressed + 1] = static_cast<uint8_t>(held >> 8);

    const uint32_t reserveSize = d.dataHeaderSize - DataHeaderSize;
    d.hookRecord.reserve = reserveSize != 0 ? d.dataHeader + DataHeaderSize : nullptr;
    d.hookRecord.reserveSize = static_cast<uint16_t>(reserveSize);
    d.hookRecord.data = d.input + offset;
    d.hookRecord.dataSize = static_cast<uint16_t>(held);
    d.hookRecord.split = (offset != 0 || PieceUncompressedSize(d) == 0) ? 1 : 0;
    d.hookRecord.dataOffset = static_cast<uint16_t>(offset);
    return CallHook(d, BlockRead);
}

// Decompresses the block in the compressed-data buffer; it must give exactly cbUncomp bytes.
bool DecompressBlock(Decoder& d) {
    const uint32_t compressed = PieceCompressedSize(d);
    const uint32_t expected = PieceUncompressedSize(d);
    if (expected > d.outputSize) return Fail(d, DecompressFailed);

    const uint16_t method = d.compression & CompressionMethodMask;
    uint8_t* out = d.output;
    if (d.provideBlock != nullptr && method != MethodMszip) {
        if (uint8_t* given = d.provideBlock(d.provideContext, d.outputSize)) out = given;
    }
    uint32_t produced = 0;
    if (method == MethodStored) {
        if (compressed > d.outputSize) return Fail(d, DecompressFailed);
        std::memcpy(out, d.input, compressed);
        produced = compressed;
    } else {
        // MSZIP decodes until its deflate data ends; the other methods need the size told.
        produced = method == MethodMszip ? d.outputSize : expected;
        if (d.codec->decompress(d.codecHandle, d.input, compressed, out, &produced) != CodecOk) {
            return Fail(d, DecompressFailed);
        }
    }
    if (produced != expected) return Fail(d, DecompressFailed);
    d.block = out;
    d.blockLength = expected;
    return true;
}

}  // namespace

bool ReadNextBlock(Decoder& d) {
    d.blockStart += d.blockLength;
    d.blockLength = 0;
    if (d.blocksLeft == 0 && !MoveToNextCabinet(d)) return false;
    if (d.blocksLeft == 0) return Fail(d, CorruptCabinet);
    d.blocksLeft--;
    if (!ReadDataPiece(d, 0)) return false;

    // A cbUncomp of 0: the block goes on in the next cabinet. Each further piece is joined
    // behind the ones before, until a piece gives the block's size (a small block can be spread
    // over several cabinets of a set; the buffer's size bounds the pieces).
    while (PieceUncompressedSize(d) == 0) {
        const uint32_t held = PieceCompressedSize(d);
        if (!MoveToNextCabinet(d)) return false;
        if (d.blocksLeft == 0) return Fail(d, CorruptCabinet);
        d.blocksLeft--;
        if (!ReadDataPiece(d, held)) return false;
    }
    return DecompressBlock(d);
}

bool MoveToNextCabinet(Decoder& d) {
    // A cabinet that names no next cabinet has no more data to give: the folder or the entry
    // claims more than the cabinet holds.
    if (!(d.headerFlags & FlagNextCabinet)) return Fail(d, CorruptCabinet);

    const uint16_t setID = d.setID;
    const uint16_t nextIndex = static_cast<uint16_t>(d.iCabinet + 1);
    // A failed attempt may have read another cabinet's texts over the name; each retry starts
    // from the name as the client last left it.
    char nextName[MaxStringSize];
    std::memcpy(nextName, d.nextCabinet, sizeof nextName);
    d.record.error = 0;
    // Failed attempts set the error record; a move that succeeds in the end leaves it as it was.
    const ErrorRecord before = *d.error;

    for (;;) {
        if (!CloseCabinet(d)) return Fail(d, CorruptCabinet);
        std::memcpy(d.nextCabinet, nextName, sizeof nextName);
        d.record.str1 = d.nextCabinet;
        d.record.str2 = d.nextDisk;
        d.record.str3 = d.cabinetPath;
        d.record.user = d.user;
        d.record.setID = setID;
        d.record.iCabinet = nextIndex;
        if (!Notify(d, NextCabinet)) return false;
        // Texts the client wrote without a NUL in their 256 bytes are cut at the last byte.
        d.nextCabinet[MaxStringSize - 1] = '\0';
        d.cabinetPath[MaxStringSize - 1] = '\0';
        std::memcpy(nextName, d.nextCabinet, sizeof nextName);

        if (OpenCabinet(d, nextName, setID, nextIndex) && LoadFolder(d, 0)) break;
        if (d.error->code == UserAbort) return false;
        d.record.error = d.error->code;
    }
    *d.error = before;

    // Drop the new cabinet's first entries: the continuation of the entry in hand, then those of
    // the continued entries the client declined.
    d.skipCount++;
    for (; d.skipCount > 0; --d.skipCount) {
        if (d.entriesLeft == 0) return Fail(d, CorruptCabinet);
        d.entriesLeft--;
        if (!ReadExact(d, d.listHandle, d.fileEntry, FileSize) || !ReadString(d, d.name)) return false;
    }
    d.continuation = true;
    return true;
}

}  // namespace cab
