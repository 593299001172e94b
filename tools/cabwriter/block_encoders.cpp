// The compression methods the writer knows: their command-line names, method numbers, window
// ranges and encoder factories. A new method is one row here plus its encoder file.
#include "tools/cabwriter/block_encoder.h"

#include "cab/cab_format.h"

namespace cabwriter {
namespace {

struct MethodRow {
    const char* name;
    uint16_t method;
    uint16_t minWindowBits;  // 0 and 0: the method has no window
    uint16_t maxWindowBits;
    uint16_t defaultWindowBits;
    // Null while the method has no encoder: it is named in messages but refused.
    std::unique_ptr<BlockEncoder> (*make)(uint16_t windowBits);
};

std::unique_ptr<BlockEncoder> MakeStored(uint16_t) { return MakeStoredEncoder(); }
std::unique_ptr<BlockEncoder> MakeMszip(uint16_t) { return MakeMszipEncoder(); }

const MethodRow Methods[] = {
    {"none", cab::MethodStored, 0, 0, 0, MakeStored},
    {"mszip", cab::MethodMszip, 0, 0, 0, MakeMszip},
    {"quantum", cab::MethodQuantum, 10, 21, 21, MakeQuantumEncoder},
    {"lzx", cab::MethodLzx, 15, 21, 21, MakeLzxEncoder},
};

const MethodRow* FindMethod(uint16_t method) {
    for (const MethodRow& row : Methods) {
        if (row.method == method) return &row;
    }
    return nullptr;
}

}  // namespace

std::string CompressionNames() {
    std::string names;
    for (const MethodRow& row : Methods) {
        if (!row.make) continue;
        if (!names.empty()) names += '|';
        names += row.name;
    }
    return names;
}

bool ParseCompression(const std::string& text, CompressionChoice& choice, std::string& error) {
    std::string name = text;
    std::string window;
    size_t colon = text.find(':');
    if (colon != std::string::npos) {
        name = text.substr(0, colon);
        window = text.substr(colon + 1);
    }
    for (const MethodRow& row : Methods) {
        if (name != row.name) continue;
        if (!row.make) {
            error = "compression method '" + name + "' is not available yet (use " + CompressionNames() + ")";
            return false;
        }
        choice.method = row.method;
        choice.windowBits = row.defaultWindowBits;
        if (colon == std::string::npos) return true;
        bool digits = !window.empty() && window.size() <= 2 &&
                      window.find_first_not_of("0123456789") == std::string::npos;
        unsigned bits = digits ? unsigned(std::stoul(window)) : 0;
        if (row.maxWindowBits == 0 || !digits || bits < row.minWindowBits || bits > row.maxWindowBits) {
            error = row.maxWindowBits == 0
                        ? "compression method '" + name + "' takes no window size"
                        : "window bits of '" + name + "' must be " + std::to_string(row.minWindowBits) +
                              " to " + std::to_string(row.maxWindowBits);
            return false;
        }
        choice.windowBits = uint16_t(bits);
        return true;
    }
    error = "unknown compression method '" + text + "' (use " + CompressionNames() + ")";
    return false;
}

std::unique_ptr<BlockEncoder> MakeBlockEncoder(const CompressionChoice& choice, std::string& error) {
    const MethodRow* row = FindMethod(choice.method);
    if (!row || !row->make) {
        error = "no encoder for compression method " + std::to_string(choice.method);
        return nullptr;
    }
    if (row->maxWindowBits != 0 &&
        (choice.windowBits < row->minWindowBits || choice.windowBits > row->maxWindowBits)) {
        error = std::string("window bits of '") + row->name + "' must be " + std::to_string(row->minWindowBits) +
                " to " + std::to_string(row->maxWindowBits);
        return nullptr;
    }
    std::unique_ptr<BlockEncoder> encoder = row->make(choice.windowBits);
    if (!encoder) error = std::string("could not set up the ") + row->name + " encoder";
    return encoder;
}

}  // namespace cabwriter
