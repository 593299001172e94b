// Little-endian fields for the files the tools write (cabinets, payload trailers, bitmaps):
// appended to a byte vector, or stored into bytes already there. The reading side is in
// cab/cab_format.h.
#pragma once

#include <cstdint>
#include <vector>

namespace cabwriter {

inline void PutU16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
inline void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    PutU16(out, v);
    PutU16(out, v >> 16);
}
inline void SetU16(uint8_t* at, uint32_t v) {
    at[0] = uint8_t(v);
    at[1] = uint8_t(v >> 8);
}
inline void SetU32(uint8_t* at, uint32_t v) {
    SetU16(at, v);
    SetU16(at + 2, v >> 16);
}

}  // namespace cabwriter
