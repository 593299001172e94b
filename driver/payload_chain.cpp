// Reading the payload chain behind the installer's image (layout in payload_chain.h).
#include "driver/payload_chain.h"

#include <cstring>

#include "config/file_position.h"
#include "config/paths.h"

namespace {

constexpr size_t CopyPieceSize = 4096;

bool FileLength(std::FILE* file, int64_t& length) {
    if (!SeekFileEnd(file)) return false;
    length = FilePosition(file);
    return length >= 0;
}

bool ReadU32At(std::FILE* file, int64_t offset, uint32_t& value) {
    unsigned char bytes[4];
    if (!SeekFile(file, offset) || std::fread(bytes, 1, 4, file) != 4) return false;
    value = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
    return true;
}

}  // namespace

bool WalkPayloadChain(std::FILE* file, const std::function<bool(const PayloadRecord&)>& visit) {
    int64_t fileLength = 0;
    if (!FileLength(file, fileLength)) return false;
    int64_t p = fileLength - 4;  // position of the last type field
    while (p > 0) {
        if (p < 4) return false;  // no room for a length field
        uint32_t type = 0, rawLength = 0;
        if (!ReadU32At(file, p, type) || !ReadU32At(file, p - 4, rawLength)) return false;
        int64_t length = static_cast<int32_t>(rawLength);
        if (length < 0 || length > p - 4) return false;
        if (type > StubRecord) return false;
        PayloadRecord record;
        record.type = type;
        record.length = length;
        record.offset = p - 4 - length;
        if (!visit(record)) return false;
        p = p - length - PayloadTrailerSize;
    }
    return true;
}

bool CopyFileRange(std::FILE* from, int64_t offset, int64_t length, std::FILE* to) {
    if (!SeekFile(from, offset)) return false;
    char piece[CopyPieceSize];
    while (length > 0) {
        size_t want = length < int64_t(CopyPieceSize) ? size_t(length) : CopyPieceSize;
        if (std::fread(piece, 1, want, from) != want) return false;
        if (std::fwrite(piece, 1, want, to) != want) return false;
        length -= int64_t(want);
    }
    return true;
}

bool ReadRecordText(std::FILE* file, int64_t offset, int64_t length, std::string& text) {
    text.assign(static_cast<size_t>(length), '\0');
    if (!SeekFile(file, offset)) return false;
    if (length > 0 && std::fread(&text[0], 1, text.size(), file) != text.size()) return false;
    size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    return true;
}

bool ReadPayloadChain(std::FILE* file, const std::string& cabinetFile, PayloadChainResult& result) {
    return WalkPayloadChain(file, [&](const PayloadRecord& record) {
        switch (record.type) {
            case DefinesRecord: {
                std::string text;
                if (!ReadRecordText(file, record.offset, record.length, text)) return false;
                // The walk runs from the end, so each text goes in front of those found so far.
                result.attachedDefines.insert(result.attachedDefines.begin(), text);
                return true;
            }
            case CabinetRecord: {
                MakeDirectories(DirectoryPart(cabinetFile));
                std::FILE* out = std::fopen(cabinetFile.c_str(), "wb");
                if (!out) {
                    result.message = "Unable to Create Cab '" + cabinetFile + "'";
                    return false;
                }
                bool copied = CopyFileRange(file, record.offset, record.length, out);
                bool closed = std::fclose(out) == 0;
                result.cabinetWritten = true;
                return copied && closed;
            }
            default:
                return true;  // the stub record
        }
    });
}
