// Finding the cabinet in a cabinet file or an installer (see cabinet_locator.h).
#include "tools/cabx/cabinet_locator.h"

#include <cstdio>
#include <cstring>

#include "driver/payload_chain.h"

namespace {

void SplitPath(const std::string& file, std::string& folder, std::string& name) {
#ifdef _WIN32
    const size_t cut = file.find_last_of("/\\");
#else
    const size_t cut = file.find_last_of('/');
#endif
    folder = cut == std::string::npos ? "" : file.substr(0, cut + 1);
    name = cut == std::string::npos ? file : file.substr(cut + 1);
}

}  // namespace

bool LocateCabinet(const std::string& file, CabinetLocation& location, std::string& why) {
    SplitPath(file, location.folder, location.name);
    std::FILE* f = std::fopen(file.c_str(), "rb");
    if (f == nullptr) {
        why = "cannot open '" + file + "'";
        return false;
    }
    char signature[4] = {};
    const bool isCabinet = std::fread(signature, 1, 4, f) == 4 && std::memcmp(signature, "MSCF", 4) == 0;
    if (isCabinet) {
        std::fclose(f);
        return true;
    }
    bool found = false;
    const bool walked = WalkPayloadChain(f, [&](const PayloadRecord& record) {
        if (record.type == CabinetRecord && (!found || record.offset < location.offset)) {
            found = true;
            location.offset = record.offset;
            location.length = record.length;
        }
        return true;
    });
    std::fclose(f);
    if (!found) {
        why = walked ? "'" + file + "' is neither a cabinet nor an installer with one"
                     : "'" + file + "' is not a cabinet, and its payload chain cannot be read";
        return false;
    }
    location.inInstaller = true;
    return true;
}
