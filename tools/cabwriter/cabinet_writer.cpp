// Writing a cabinet: plan the folders, write the header, folder and file lists, stream every
// folder's blocks through its encoder, then fill in the fields known only at the end (the block
// offsets of each folder, the cabinet size and the setID).
#include "tools/cabwriter/cabinet_writer.h"

#include <algorithm>
#include <memory>

#include "cab/cab_format.h"
#include "cab/checksum.h"
#include "config/file_position.h"
#include "tools/cabwriter/little_endian.h"

namespace cabwriter {
namespace {

// cbCabinet, which the reader does not use and so has no constant of its own in cab_format.h.
constexpr uint32_t HeaderOffsetCabinetSize = 8;

struct FolderPlan {
    size_t firstEntry = 0;
    size_t entryCount = 0;
    uint64_t bytes = 0;       // uncompressed stream length
    uint32_t blocks = 0;
    uint32_t dataStart = 0;   // coffCabStart, known once the earlier folders are written
};

uint32_t BlocksFor(uint64_t bytes) { return uint32_t((bytes + BlockInputSize - 1) / BlockInputSize); }

bool CheckEntries(const std::vector<CabinetEntry>& entries, std::string& error) {
    if (entries.size() > MaxEntries) {
        error = "too many files for one cabinet: " + std::to_string(entries.size()) + " (at most " +
                std::to_string(MaxEntries) + ")";
        return false;
    }
    for (const CabinetEntry& entry : entries) {
        if (entry.name.empty() || entry.name.size() > MaxNameLength ||
            entry.name.find('\0') != std::string::npos) {
            error = "entry name '" + entry.name + "' must have 1 to " + std::to_string(MaxNameLength) + " bytes";
            return false;
        }
        if (entry.size > UINT32_MAX) {
            error = "'" + entry.name + "' is too large for a cabinet (4 GB or more)";
            return false;
        }
        if (entry.sourcePath.empty() && entry.contents.size() != entry.size) {
            error = "'" + entry.name + "': size does not match its contents";
            return false;
        }
    }
    return true;
}

// Entries go into the current folder until the next one would take it past the block limit.
bool PlanFolders(const std::vector<CabinetEntry>& entries, uint32_t maxBlocks, std::vector<FolderPlan>& folders,
                 std::string& error) {
    folders.assign(1, FolderPlan());
    for (size_t i = 0; i < entries.size(); ++i) {
        const CabinetEntry& entry = entries[i];
        if (BlocksFor(entry.size) > maxBlocks) {
            error = "'" + entry.name + "' is too large for one cabinet folder (" + std::to_string(entry.size) +
                    " bytes; at most " + std::to_string(uint64_t(maxBlocks) * BlockInputSize) + ")";
            return false;
        }
        FolderPlan* folder = &folders.back();
        if (folder->entryCount > 0 && BlocksFor(folder->bytes + entry.size) > maxBlocks) {
            folders.push_back(FolderPlan());
            folder = &folders.back();
            folder->firstEntry = i;
        }
        folder->entryCount++;
        folder->bytes += entry.size;
    }
    if (folders.size() > 0xFFFF - 3) {  // iFolder values from 0xFFFD on mean continuations
        error = "too many folders for one cabinet";
        return false;
    }
    for (FolderPlan& folder : folders) folder.blocks = BlocksFor(folder.bytes);
    return true;
}

// FNV-1a, for the setID: any change of the file list or of a block changes it.
struct Fingerprint {
    uint32_t hash = 2166136261u;
    void Add(const uint8_t* data, size_t size) {
        for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
    }
    void Add(uint32_t value) {
        uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
        Add(bytes, 4);
    }
    uint16_t Fold() const { return uint16_t(hash ^ (hash >> 16)); }
};

// Reads the folder's entries one after the other as a single stream.
class FolderReader {
public:
    FolderReader(const std::vector<CabinetEntry>& entries, const FolderPlan& folder)
        : entries_(entries), next_(folder.firstEntry), end_(folder.firstEntry + folder.entryCount) {}
    ~FolderReader() { CloseFile(); }

    // Fills buffer with exactly size bytes of the stream.
    bool Read(uint8_t* buffer, uint32_t size, std::string& error) {
        while (size > 0) {
            if (left_ == 0 && !OpenNext(error)) return false;
            uint32_t piece = uint32_t(std::min<uint64_t>(left_, size));
            const CabinetEntry& entry = entries_[current_];
            if (file_) {
                if (std::fread(buffer, 1, piece, file_) != piece) return Changed(entry, error);
            } else {
                std::copy_n(entry.contents.data() + (entry.size - left_), piece, buffer);
            }
            buffer += piece;
            size -= piece;
            left_ -= piece;
            if (left_ == 0 && !FinishEntry(error)) return false;
        }
        return true;
    }

private:
    bool OpenNext(std::string& error) {
        while (next_ < end_) {
            current_ = next_++;
            const CabinetEntry& entry = entries_[current_];
            if (!entry.sourcePath.empty()) {
                file_ = std::fopen(entry.sourcePath.c_str(), "rb");
                if (!file_) {
                    error = "cannot read '" + entry.sourcePath + "'";
                    return false;
                }
            }
            left_ = entry.size;
            if (left_ > 0) return true;
            if (!FinishEntry(error)) return false;
        }
        error = "internal error: folder stream ran past its entries";
        return false;
    }
    // A source file must end where its listed size says.
    bool FinishEntry(std::string& error) {
        if (file_) {
            bool atEnd = std::fgetc(file_) == EOF;
            CloseFile();
            if (!atEnd) return Changed(entries_[current_], error);
        }
        return true;
    }
    bool Changed(const CabinetEntry& entry, std::string& error) {
        error = "'" + entry.sourcePath + "' changed size while the cabinet was written";
        return false;
    }
    void CloseFile() {
        if (file_) std::fclose(file_);
        file_ = nullptr;
    }

    const std::vector<CabinetEntry>& entries_;
    size_t next_;
    size_t end_;
    size_t current_ = 0;
    uint64_t left_ = 0;
    std::FILE* file_ = nullptr;
};

bool WriteBytes(std::FILE* out, const std::vector<uint8_t>& bytes, std::string& error) {
    if (bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size()) return true;
    error = "write error";
    return false;
}

}  // namespace

bool WriteCabinet(const std::vector<CabinetEntry>& entries, const CabinetOptions& options, std::FILE* out,
                  uint64_t& cabinetSize, std::string& error) {
    cabinetSize = 0;
    std::vector<FolderPlan> folders;
    uint32_t maxBlocks = std::min(std::max<uint32_t>(options.maxBlocksPerFolder, 1), MaxBlocksPerFolder);
    if (!CheckEntries(entries, error) || !PlanFolders(entries, maxBlocks, folders, error)) return false;
    std::unique_ptr<BlockEncoder> encoder = MakeBlockEncoder(options.compression, error);
    if (!encoder) return false;

    // CFHEADER, CFFOLDER and CFFILE, with the end-of-writing fields as zeros for now.
    std::vector<uint8_t> head;
    head.insert(head.end(), cab::HeaderSignature, cab::HeaderSignature + 4);
    PutU32(head, 0);  // reserved
    PutU32(head, 0);  // cbCabinet, filled in at the end
    PutU32(head, 0);  // reserved
    uint32_t coffFiles = cab::HeaderSize + uint32_t(folders.size()) * cab::FolderSize;
    PutU32(head, coffFiles);
    PutU32(head, 0);  // reserved
    PutU16(head, cab::SupportedVersion);
    PutU16(head, uint32_t(folders.size()));
    PutU16(head, uint32_t(entries.size()));
    PutU16(head, 0);  // flags: no reserve, no previous or next cabinet
    PutU16(head, 0);  // setID, filled in at the end
    PutU16(head, 0);  // iCabinet
    for (const FolderPlan& folder : folders) {
        PutU32(head, 0);  // coffCabStart, filled in at the end
        PutU16(head, folder.blocks);
        PutU16(head, encoder->typeCompress);
    }
    Fingerprint fingerprint;
    for (size_t f = 0; f < folders.size(); ++f) {
        uint64_t offset = 0;
        for (size_t i = folders[f].firstEntry; i < folders[f].firstEntry + folders[f].entryCount; ++i) {
            const CabinetEntry& entry = entries[i];
            size_t at = head.size();
            PutU32(head, uint32_t(entry.size));
            PutU32(head, uint32_t(offset));
            PutU16(head, uint32_t(f));
            PutU16(head, entry.date);
            PutU16(head, entry.time);
            PutU16(head, entry.attribs);
            head.insert(head.end(), entry.name.begin(), entry.name.end());
            head.push_back(0);
            fingerprint.Add(head.data() + at, head.size() - at);
            offset += entry.size;
        }
    }

    int64_t start = FilePosition(out);
    if (start < 0) {
        error = "the output is not seekable";
        return false;
    }
    if (!WriteBytes(out, head, error)) return false;

    uint64_t total = 0;
    for (const FolderPlan& folder : folders) total += folder.bytes;
    uint64_t done = 0;
    uint64_t position = head.size();
    std::vector<uint8_t> input(BlockInputSize);
    std::vector<uint8_t> block;
    std::vector<uint8_t> blockHeader;
    for (FolderPlan& folder : folders) {
        if (position > UINT32_MAX) break;
        folder.dataStart = uint32_t(position);
        if (!encoder->Reset(error)) return false;
        FolderReader reader(entries, folder);
        uint64_t left = folder.bytes;
        while (left > 0) {
            uint32_t size = uint32_t(std::min<uint64_t>(left, BlockInputSize));
            if (!reader.Read(input.data(), size, error)) return false;
            left -= size;
            block.clear();
            if (!encoder->EncodeBlock(input.data(), size, left == 0, block, error)) return false;
            if (block.size() > encoder->maxCompressedSize || block.size() > 0xFFFF) {
                error = "a compressed block is larger than the method allows (" + std::to_string(block.size()) +
                        " bytes)";
                return false;
            }
            // csum covers the data, then cbData and cbUncomp (seeded with the data's sum).
            blockHeader.assign(8, 0);
            SetU16(&blockHeader[4], uint32_t(block.size()));
            SetU16(&blockHeader[6], size);
            uint32_t sum = cab::Checksum(block.data(), uint32_t(block.size()), 0);
            sum = cab::Checksum(&blockHeader[4], 4, sum);
            SetU32(&blockHeader[0], sum);
            fingerprint.Add(sum);
            if (!WriteBytes(out, blockHeader, error) || !WriteBytes(out, block, error)) return false;
            position += blockHeader.size() + block.size();
            done += size;
            if (options.progress) options.progress(done, total);
        }
    }
    if (position > UINT32_MAX) {
        error = "the cabinet would be larger than 4 GB";
        return false;
    }

    // The fields known only now.
    SetU32(&head[HeaderOffsetCabinetSize], uint32_t(position));
    SetU16(&head[cab::HeaderOffsetSetId], options.fixedSetId ? options.setId : fingerprint.Fold());
    for (size_t f = 0; f < folders.size(); ++f) {
        SetU32(&head[cab::HeaderSize + f * cab::FolderSize + cab::FolderOffsetDataStart], folders[f].dataStart);
    }
    size_t patched = cab::HeaderSize + folders.size() * cab::FolderSize;
    if (!SeekFile(out, start) || std::fwrite(head.data(), 1, patched, out) != patched ||
        !SeekFile(out, start + int64_t(position))) {
        error = "write error";
        return false;
    }
    cabinetSize = position;
    return true;
}

bool WriteCabinetFile(const std::vector<CabinetEntry>& entries, const CabinetOptions& options,
                      const std::string& path, std::string& error) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
        error = "cannot create '" + path + "'";
        return false;
    }
    uint64_t size = 0;
    bool ok = WriteCabinet(entries, options, out, size, error);
    if (std::fclose(out) != 0 && ok) {
        error = "write error on '" + path + "'";
        ok = false;
    }
    if (!ok) std::remove(path.c_str());
    return ok;
}

}  // namespace cabwriter
