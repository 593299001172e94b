// Fuzz target: the three configuration documents. The first byte picks the document and whether
// it is read from a file or from memory; the rest is the document. Every defined variable is
// then expanded, which must end even when variables refer to themselves.
// Property: no crash, no hang, and a failed load always has an error text.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "config/define_table.h"
#include "config/property_table.h"
#include "install/install_config.h"

namespace {

std::string WriteTemporary(const std::string& text) {
    static std::string path = "/tmp/fuzz_documents_" + std::to_string(getpid()) + ".xml";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return path;
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    return path;
}

void ExpandEveryVariable(const DefineTable& table) {
    for (const auto& [name, value] : table.Variables()) table.Expand("%" + name + "%" + value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    bool ok = false;
    std::string error;
    switch (data[0] % 4) {
        case 0: {
            DefineTable table;
            ok = table.LoadText(text);
            error = table.ErrorText();
            ExpandEveryVariable(table);
            break;
        }
        case 1: {
            DefineTable table;
            ok = table.LoadFile(WriteTemporary(text));
            error = table.ErrorText();
            ExpandEveryVariable(table);
            break;
        }
        case 2: {
            PropertyTable table;
            ok = table.Load(WriteTemporary(text));
            error = table.ErrorText();
            DefineTable defines;
            for (const auto& [id, value] : table.Strings) defines.Set(id, value);
            ExpandEveryVariable(defines);
            break;
        }
        default: {
            InstallConfig config;
            ok = config.Load(WriteTemporary(text));
            error = config.ErrorText();
            break;
        }
    }
    if (!ok && error.empty()) __builtin_trap();
    return 0;
}
