// The decoder's seven client functions over real files, for cabx. One file can be registered as
// holding the cabinet inside a larger file (an installer's payload): opening that name then
// presents only the cabinet's byte range, from its first byte, so the decoder reads it like any
// cabinet. A name that does not open as written is looked for without regard to case in its
// folder, since cabinets name the next one of a set as Windows would find it.
#pragma once

#include <cstdint>
#include <string>

#include "cab/cabinet.h"

// Opening `path` gives the byte range [offset, offset + length) of that file.
void RegisterCabinetRange(const std::string& path, int64_t offset, int64_t length);

// Output handles: the caller's own, opened for writing. Returns the handle or -1.
int OpenOutputFile(const std::string& path);
// Output handles whose bytes go to a sink instead of a file (for `cabx test`).
using OutputSink = void (*)(void* context, const void* data, uint32_t size);
int OpenOutputSink(OutputSink sink, void* context);
// Closes a cabinet or output handle; 0 on success.
int CloseHandle(int handle);

cab::Decoder* CreateFileDecoder(cab::ErrorRecord* error);
