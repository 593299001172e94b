// The CFDATA checksum: an XOR of the data taken as little-endian 32-bit words, with the 1 to 3
// bytes left over taken big-endian.
#pragma once

#include <cstdint>

namespace cab {

uint32_t Checksum(const uint8_t* data, uint32_t size, uint32_t seed);

}  // namespace cab
