// Which codec decodes which compression method. Stored folders (method 0) need none: the reader
// copies their blocks itself.
#include "cab/cab_format.h"
#include "cab/codec.h"

namespace cab {

const Codec* FindCodec(uint16_t method) {
    switch (method) {
    case MethodMszip: return &MszipCodec;
    case MethodQuantum: return &QuantumCodec;
    case MethodLzx: return &LzxCodec;
    default: return nullptr;
    }
}

}  // namespace cab
