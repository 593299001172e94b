// The Quantum encoder's history and hash chains (see match_finder.h).
#include "tools/quantum_encoder/match_finder.h"

#include <cstring>

namespace quantum_encoder {

MatchFinder::MatchFinder(uint32_t windowBits, unsigned depth)
    : windowSize_(uint32_t{1} << windowBits), depth_(depth) {
    Reset();
}

void MatchFinder::Reset() {
    bytes_.clear();
    base_ = 0;
    inserted_ = 0;
    head_.assign(size_t{1} << HashBits, 0);
    previous_.assign(windowSize_, 0);
}

void MatchFinder::Append(const uint8_t* data, uint32_t size) {
    // Keep the last window of bytes (plus the three a hash needs) when the buffer would grow
    // past two windows and a block, so memory stays bounded on folders of any length.
    const size_t keep = size_t{windowSize_} + 4;
    const size_t limit = 2 * size_t{windowSize_} + 65536;
    if (bytes_.size() + size > limit && bytes_.size() > keep) {
        const size_t drop = bytes_.size() - keep;
        std::memmove(bytes_.data(), bytes_.data() + drop, keep);
        bytes_.resize(keep);
        base_ += drop;
    }
    bytes_.insert(bytes_.end(), data, data + size);
}

void MatchFinder::InsertUpTo(uint64_t position) {
    const uint64_t end = End();
    for (; inserted_ < position && inserted_ + 3 <= end; ++inserted_) {
        const uint32_t h = Hash(Pointer(inserted_));
        previous_[inserted_ & (windowSize_ - 1)] = head_[h];
        head_[h] = static_cast<uint32_t>(inserted_ + 1);
    }
}

}  // namespace quantum_encoder
