// Fuzz target: the markup reader on any text, read event by event to its end or first error.
// Property: no crash, no read outside the input, and the reader always ends (every call consumes
// input or stops).
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/entities.h"
#include "config/markup_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    MarkupReader reader;
    reader.OpenText(text);
    MarkupEvent event;
    size_t events = 0;
    while (reader.Next(event)) {
        // The reader consumes at least one byte per event; more events than bytes is a loop.
        if (++events > size + 1) __builtin_trap();
        event = MarkupEvent();
    }
    // Encoding then decoding gives back the text.
    if (DecodeEntities(EncodeEntities(text)) != text) __builtin_trap();
    return 0;
}
