// Folder selection and codec set-up.
//
// A folder is selected when an entry of it is extracted: its CFFOLDER entry is read, the codec
// is switched to its typeCompress (kept when the word is unchanged, so runs of folders of one
// method share one codec and one pair of buffers) and its first block is read. The output
// buffer is zeroed whenever a folder starts afresh or new buffers are set up: it is the history
// window, and a match reaching before the folder's first byte must find defined bytes, never
// another folder's data.
#include <cstring>

#include "cab/cabinet_internal.h"

namespace cab {
namespace {

uint16_t MethodOf(uint16_t typeCompress) { return typeCompress & CompressionMethodMask; }

bool IsCodecMethod(uint16_t method) {
    return method == MethodMszip || method == MethodQuantum || method == MethodLzx;
}

void FreeBuffers(Decoder& d) {
    FreeMemory(d, d.input);
    FreeMemory(d, d.output);
    d.input = d.output = nullptr;
    d.block = nullptr;
    d.inputSize = d.outputSize = 0;
}

bool ResetCodec(Decoder& d) {
    const uint16_t method = MethodOf(d.compression);
    if (d.compression == MethodNone || method == MethodStored) return true;
    if (!IsCodecMethod(method)) return Fail(d, BadCompressionType);
    if (d.codec->reset(d.codecHandle) != CodecOk) return Fail(d, DecompressFailed);
    return true;
}

}  // namespace

bool ReleaseCodec(Decoder& d) {
    const uint16_t method = MethodOf(d.compression);
    bool ok = true;
    if (IsCodecMethod(method) && d.codec != nullptr) {
        ok = d.codec->destroy(d.codecHandle) == CodecOk;
    } else if (method != MethodStored && d.compression != MethodNone) {
        ok = false;
    }
    if (d.compression != MethodNone) FreeBuffers(d);
    d.compression = MethodNone;
    d.codec = nullptr;
    d.codecHandle = nullptr;
    return ok ? true : Fail(d, DecompressFailed);
}

bool SwitchCodec(Decoder& d, uint16_t typeCompress) {
    const uint16_t method = MethodOf(typeCompress);
    if (method == MethodNone) return Fail(d, BadCompressionType);
    if (typeCompress == d.compression) return true;
    if (!ReleaseCodec(d)) return false;

    uint32_t blockSize = BlockSize;
    uint32_t inputSize = 0;
    const Codec* codec = nullptr;
    CodecConfig config;
    config.windowBits = (typeCompress >> CompressionWindowShift) & CompressionWindowMask;
    config.cpuType = d.cpuType;
    if (method == MethodStored) {
        inputSize = BlockSize;
    } else if (IsCodecMethod(method)) {
        codec = FindCodec(method);
        if (codec->create(&blockSize, config, d.alloc, d.free, &inputSize, nullptr) != CodecOk) {
            return Fail(d, DecompressFailed);
        }
    } else {
        return Fail(d, BadCompressionType);
    }

    d.input = static_cast<uint8_t*>(d.alloc(inputSize));
    if (d.input == nullptr) return Fail(d, OutOfMemory);
    d.output = static_cast<uint8_t*>(d.alloc(blockSize));
    if (d.output == nullptr) {
        d.free(d.input);
        d.input = nullptr;
        return Fail(d, OutOfMemory);
    }
    d.inputSize = inputSize;
    d.outputSize = blockSize;

    if (codec != nullptr) {
        const CodecResult created =
            codec->create(&blockSize, config, d.alloc, d.free, &inputSize, &d.codecHandle);
        if (created != CodecOk) {
            FreeBuffers(d);
            d.codecHandle = nullptr;
            return Fail(d, created == CodecNoMemory ? OutOfMemory : DecompressFailed);
        }
    }
    // Fresh buffers hold whatever the allocator left; give them defined contents.
    std::memset(d.input, 0, d.inputSize);
    std::memset(d.output, 0, d.outputSize);
    d.codec = codec;
    d.compression = typeCompress;
    return true;
}

bool LoadFolder(Decoder& d, uint16_t folder) {
    if (folder >= d.folderCount) return Fail(d, CorruptCabinet);
    const uint64_t entryOffset =
        d.folderArrayStart + static_cast<uint64_t>(folder) * d.folderEntrySize;
    if (!SeekTo(d, d.dataHandle, entryOffset)) return false;
    if (!ReadExact(d, d.dataHandle, d.folderEntry, d.folderEntrySize)) return false;
    if (!SeekTo(d, d.dataHandle, ReadU32(d.folderEntry + FolderOffsetDataStart))) return false;
    d.blocksLeft = ReadU16(d.folderEntry + FolderOffsetBlockCount);
    if (!SwitchCodec(d, ReadU16(d.folderEntry + FolderOffsetCompression))) return false;

    const uint32_t reserveSize = d.folderEntrySize - FolderSize;
    d.hookRecord.reserve = reserveSize != 0 ? d.folderEntry + FolderSize : nullptr;
    d.hookRecord.reserveSize = static_cast<uint16_t>(reserveSize);
    d.hookRecord.iFolder = folder;
    return CallHook(d, FolderOpened);
}

bool SelectFolder(Decoder& d, uint16_t folder) {
    // After a move into the next cabinet the folder in hand is the continued one.
    if (d.continuation) return true;
    if (d.folderCount == 0) return Fail(d, CorruptCabinet);
    if (folder == FolderContinuedToNext || folder == FolderContinuedBoth) {
        folder = static_cast<uint16_t>(d.folderCount - 1);
    }
    if (folder == d.currentFolder) return true;
    if (!ResetCodec(d)) return false;

    d.currentFolder = folder;
    if (!LoadFolder(d, folder)) return false;
    std::memset(d.output, 0, d.outputSize);
    d.blockStart = 0;
    d.blockLength = 0;
    return ReadNextBlock(d);
}

}  // namespace cab
