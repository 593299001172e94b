// Match finding for the Quantum encoder: the folder's recent bytes and hash chains over them.
//
// The history keeps at least the last window's worth of the folder's bytes, contiguously, with
// every position counted from the folder's start. Each position whose next three bytes are
// known is put at the head of the chain of its three-byte hash; a search walks a chain from the
// nearest candidate outwards, up to `depth` candidates and at most the window size back (an
// offset of exactly the window size reads the byte the decoder is about to overwrite, which it
// still holds; cabextract and 7-Zip accept it too).
#pragma once

#include <cstdint>
#include <vector>

namespace quantum_encoder {

struct Match {
    uint32_t length = 0;  // 0: none
    uint32_t offset = 0;
};

class MatchFinder {
public:
    // windowBits: the decoder's window (matches reach at most that far back); depth: the
    // candidates looked at per search.
    MatchFinder(uint32_t windowBits, unsigned depth);

    // Forgets everything: the start of a folder.
    void Reset();

    // Adds the next bytes of the folder (one block).
    void Append(const uint8_t* data, uint32_t size);

    // Folder position one past the last byte appended.
    uint64_t End() const { return base_ + bytes_.size(); }
    uint8_t At(uint64_t position) const { return bytes_[position - base_]; }
    const uint8_t* Pointer(uint64_t position) const { return bytes_.data() + (position - base_); }

    // Puts every position before `position` on its chain (those not yet on one and whose three
    // bytes are known).
    void InsertUpTo(uint64_t position);

    // Candidates for a match at `position` no longer than maxLength: calls
    // accept(length, offset) for each candidate longer than every one before it. Positions
    // before `position` must have been inserted.
    template <typename Accept>
    void Search(uint64_t position, uint32_t maxLength, Accept accept) const;

private:
    static uint32_t Hash(const uint8_t* p) {
        return ((uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]) * 2654435761u) >> (32 - HashBits);
    }

    static constexpr unsigned HashBits = 16;
    // A candidate this long ends the search: a longer one would save little.
    static constexpr uint32_t NiceLength = 96;
    uint32_t windowSize_;
    unsigned depth_;
    std::vector<uint8_t> bytes_;     // folder positions base_ .. End() - 1
    uint64_t base_ = 0;
    uint64_t inserted_ = 0;          // positions below this are on their chains
    std::vector<uint32_t> head_;     // hash → position + 1 (0: empty chain)
    std::vector<uint32_t> previous_; // position & (window - 1) → previous position + 1 on its chain
};

template <typename Accept>
void MatchFinder::Search(uint64_t position, uint32_t maxLength, Accept accept) const {
    if (maxLength < 3 || position + 3 > End()) return;
    const uint8_t* here = Pointer(position);
    uint32_t best = 2;
    uint32_t candidate = head_[Hash(here)];
    for (unsigned steps = 0; candidate != 0 && steps < depth_; ++steps) {
        const uint64_t from = candidate - 1;
        const uint64_t offset = position - from;
        if (offset > windowSize_ || from < base_) break;
        const uint8_t* there = Pointer(from);
        if (there[best] == here[best] && there[0] == here[0] && there[1] == here[1]) {
            uint32_t length = 2;
            while (length < maxLength && there[length] == here[length]) ++length;
            if (length > best) {
                best = length;
                accept(length, static_cast<uint32_t>(offset));
                if (length == maxLength || length >= NiceLength) return;
            }
        }
        const uint32_t next = previous_[from & (windowSize_ - 1)];
        if (next >= candidate) break;  // the slot was reused by a newer position
        candidate = next;
    }
}

}  // namespace quantum_encoder
