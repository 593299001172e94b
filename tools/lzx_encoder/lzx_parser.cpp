// The LZX encoder's parser: turns a frame into literals and matches.
//
// At every position it weighs the repeated offsets R0-R2 and the longest hash-chain match by
// their saving: the literal cost of the bytes covered minus the cost of the match, both taken
// from the previous block's trees (the cost model). A match is put off by one byte when the
// next position offers a better saving (lazy matching). Offsets equal to one of the registers
// are sent as repeated offsets; the registers change exactly as the decoder will change them.
#include <algorithm>

#include "tools/lzx_encoder/encoder_state.h"

namespace lzx_encoder {
namespace {

// Costs before any block has set them, and for symbols the previous block did not use.
constexpr uint8_t DefaultLiteralCost = 8;
constexpr uint8_t DefaultMatchCost = 9;
constexpr uint8_t DefaultLengthCost = 5;
constexpr uint8_t UnusedLiteralCost = 12;
constexpr uint8_t UnusedMatchCost = 13;
constexpr uint8_t UnusedLengthCost = 9;

// Slot 38 is the first of the slots of 17 footer bits that follow each other at a fixed step.
constexpr uint32_t FirstFixedSlot = 38;
constexpr uint32_t FirstFixedBase = 524288;

struct Candidate {
    Match match;
    int32_t saving = 0;  // in bits; only a positive saving is worth a match
};

class FrameParser {
public:
    FrameParser(LzxEncoder& encoder, uint64_t start, uint32_t size)
        : e_(encoder), start_(start), end_(start + size), litSum_(size + 1, 0) {
        const uint8_t* bytes = e_.history.At(start);
        for (uint32_t i = 0; i < size; ++i) litSum_[i + 1] = litSum_[i] + e_.costs.literal[bytes[i]];
    }

    void Run() {
        uint64_t p = start_;
        Candidate current = Best(p);
        while (p < end_) {
            if (current.saving <= 0) {
                Literal(p);
                ++p;
                if (p < end_) current = Best(p);
                continue;
            }
            if (p + 1 < end_ && current.match.length < LazyLimit) {
                Candidate next = Best(p + 1);
                if (next.saving > current.saving) {
                    Literal(p);
                    ++p;
                    current = next;
                    continue;
                }
            }
            Emit(current.match);
            p += current.match.length;
            if (p < end_) current = Best(p);
        }
    }

private:
    static constexpr uint32_t LazyLimit = 64;

    int32_t MatchCost(uint32_t length, uint32_t slot) const {
        const uint32_t header = std::min<uint32_t>(length - MinMatch, PrimaryLengths);
        int32_t cost = e_.costs.mainMatch[slot * LengthHeaders + header] + int32_t(FooterBits(slot));
        if (header == PrimaryLengths) cost += e_.costs.length[length - MinMatch - PrimaryLengths];
        return cost;
    }

    int32_t Saving(uint64_t p, uint32_t length, uint32_t slot) const {
        const uint64_t i = p - start_;
        return int32_t(litSum_[i + length] - litSum_[i]) - MatchCost(length, slot);
    }

    Candidate Best(uint64_t p) {
        History& h = e_.history;
        InsertUpTo(h, p);
        Candidate best;
        const uint32_t limit = uint32_t(std::min<uint64_t>(MaxMatch, end_ - p));
        if (limit < MinMatch) return best;
        for (int i = 0; i < 3; ++i) {
            const uint32_t offset = e_.r[i];
            if (offset > p) continue;  // before the folder's first byte
            const uint32_t length = MatchLength(h.At(p - offset), h.At(p), limit);
            if (length < MinMatch) continue;
            const int32_t saving = Saving(p, length, uint32_t(i));
            if (saving > best.saving) {
                best.saving = saving;
                best.match = {length, offset, i};
            }
        }
        Match found = LongestMatch(h, p, limit, e_.maxOffset, e_.settings.chainDepth);
        if (found.length >= MinMatch) {
            int repeated = -1;
            for (int i = 0; i < 3; ++i) {
                if (e_.r[i] == found.offset) repeated = i;
            }
            const uint32_t slot = repeated >= 0 ? uint32_t(repeated) : SlotOf(found.offset + 2);
            const int32_t saving = Saving(p, found.length, slot);
            if (saving > best.saving) {
                best.saving = saving;
                found.repeated = repeated;
                best.match = found;
            }
        }
        return best;
    }

    void Literal(uint64_t p) {
        e_.tokens.push_back({uint16_t(*e_.history.At(p)), 0, 0, 0});
    }

    void Emit(const Match& m) {
        uint32_t slot, footer = 0, footerBits = 0;
        if (m.repeated == 0) {
            slot = 0;
        } else if (m.repeated > 0) {
            slot = uint32_t(m.repeated);
            std::swap(e_.r[0], e_.r[slot]);
        } else {
            const uint32_t formatted = m.offset + 2;
            slot = SlotOf(formatted);
            footerBits = FooterBits(slot);
            footer = formatted - PositionBase(slot);
            e_.r[2] = e_.r[1];
            e_.r[1] = e_.r[0];
            e_.r[0] = m.offset;
        }
        const uint32_t header = std::min<uint32_t>(m.length - MinMatch, PrimaryLengths);
        e_.tokens.push_back({uint16_t(LiteralCount + slot * LengthHeaders + header), uint16_t(m.length), footer,
                             uint8_t(footerBits)});
    }

    LzxEncoder& e_;
    uint64_t start_, end_;
    std::vector<uint32_t> litSum_;  // literal costs of the frame's bytes, summed up to each index
};

}  // namespace

uint32_t SlotOf(uint32_t formatted) {
    if (formatted < 4) return formatted;
    if (formatted >= FirstFixedBase) return FirstFixedSlot + ((formatted - FirstFixedBase) >> 17);
    const uint32_t top = 31 - uint32_t(__builtin_clz(formatted));
    return 2 * top + ((formatted >> (top - 1)) & 1);
}

void ResetCosts(CostModel& costs) {
    std::fill(std::begin(costs.literal), std::end(costs.literal), DefaultLiteralCost);
    std::fill(std::begin(costs.mainMatch), std::end(costs.mainMatch), DefaultMatchCost);
    std::fill(std::begin(costs.length), std::end(costs.length), DefaultLengthCost);
}

void UpdateCosts(CostModel& costs, const uint8_t* mainLengths, uint32_t mainSymbols, const uint8_t* lengthLengths) {
    for (uint32_t s = 0; s < LiteralCount; ++s) {
        costs.literal[s] = mainLengths[s] ? mainLengths[s] : UnusedLiteralCost;
    }
    for (uint32_t s = LiteralCount; s < mainSymbols; ++s) {
        costs.mainMatch[s - LiteralCount] = mainLengths[s] ? mainLengths[s] : UnusedMatchCost;
    }
    for (uint32_t s = 0; s < LengthSymbols; ++s) {
        costs.length[s] = lengthLengths[s] ? lengthLengths[s] : UnusedLengthCost;
    }
}

void ParseFrame(LzxEncoder& encoder, uint64_t start, uint32_t size) {
    encoder.tokens.clear();
    FrameParser(encoder, start, size).Run();
}

}  // namespace lzx_encoder
