// Fuzz target: the payload chain of an installer file. The input is the whole file; the cabinet
// record, if any, is copied to a temporary file.
// Property: no crash, no read outside the file, every record visited lies inside the file, and
// the walk ends.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "driver/payload_chain.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!file) return 0;
    int64_t total = static_cast<int64_t>(size);
    size_t records = 0;
    WalkPayloadChain(file, [&](const PayloadRecord& record) {
        if (record.offset < 0 || record.length < 0 || record.offset + record.length + 8 > total) __builtin_trap();
        if (++records > size / 8 + 1) __builtin_trap();
        return true;
    });
    static std::string cabinet = "/tmp/fuzz_payload_" + std::to_string(getpid()) + "/files.cab";
    PayloadChainResult result;
    ReadPayloadChain(file, cabinet, result);
    std::fclose(file);
    return 0;
}
