#pragma once
// What searched subtrees found, kept for the rest of one search. The same
// position is often reached by the same moves in another order, with the
// same bounds; a subtree's search reads nothing but its position, the side
// to move, its remaining depth, its bounds, the two scores and (in full
// width) its hint, so a subtree met again with all of these the same finds
// exactly what it found before: the same line entries, positions and last
// potentials. Those are kept here and handed back instead of searching
// again, which changes no number the search reports.
//
// One table per search thread, allocated once; a new search makes every
// entry stale by its generation instead of clearing them.

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <memory>
#include <type_traits>

#include "engine/noted.h"
#include "engine/types.h"

namespace qv::search_detail {

struct SubtreeKey {
    uint64_t red, blue;  // the position with the move made
    float alpha, beta;
    float own, other;  // as the subtree's root is called with them
    int8_t colour;     // to move
    int8_t remaining;
    int8_t hint;
    bool operator==(const SubtreeKey&) const = default;
};

class SubtreeCache {
  public:
    // Plain data, so that the table is allocated without being written:
    // a slot is read only once its generation says it was.
    struct Entry {
        SubtreeKey key;
        int64_t positions;
        Noted::Kind noted;  // kNone: the subtree noted nothing
        int8_t notedColour;
        float notedScore;
        uint64_t notedRed, notedBlue;
        // Line entries ply + 1 .. the horizon's.
        struct Move {
            float score;
            int8_t column, row;
        };
        std::array<Move, kMaxSearchDepth> line;
    };
    static_assert(std::is_trivially_default_constructible_v<Entry>);

    // A new search: nothing found so far holds.
    void Begin() {
        if (!entries_) {
            entries_ = std::make_unique_for_overwrite<Entry[]>(kSize);
            generations_ = std::make_unique<uint32_t[]>(kSize);
        }
        if (++generation_ == 0) {
            // Wrapped: entries of 2^32 searches ago would look current.
            std::fill_n(generations_.get(), kSize, 0);
            generation_ = 1;
        }
    }

    const Entry* Find(const SubtreeKey& key) const {
        const size_t slot = Slot(key);
        if (generations_[slot] != generation_) return nullptr;
        const Entry& e = entries_[slot];
        return e.key == key ? &e : nullptr;
    }

    // The subtree's line entries are line[from .. to].
    void Store(const SubtreeKey& key, const PredictedLine& line, int32_t from, int32_t to,
               int64_t positions, const Noted& noted) {
        const size_t slot = Slot(key);
        generations_[slot] = generation_;
        Entry& e = entries_[slot];
        e.key = key;
        e.positions = positions;
        e.noted = noted.kind;
        e.notedColour = static_cast<int8_t>(noted.colour);
        e.notedScore = noted.score;
        e.notedRed = noted.red;
        e.notedBlue = noted.blue;
        for (int32_t i = from; i <= to; ++i) {
            const ScoredMove& m = line[static_cast<size_t>(i)];
            e.line[static_cast<size_t>(i - from)] = {m.score, static_cast<int8_t>(m.column),
                                                     static_cast<int8_t>(m.row)};
        }
    }

    // Puts the entry's findings where the subtree's search would have left
    // them.
    static void Load(const Entry& e, PredictedLine& line, int32_t from, int32_t to,
                     int64_t& positions, Noted& noted) {
        for (int32_t i = from; i <= to; ++i) {
            const Entry::Move& m = e.line[static_cast<size_t>(i - from)];
            line[static_cast<size_t>(i)] = {m.column, m.row, m.score};
        }
        positions += e.positions;
        if (e.noted != Noted::Kind::kNone)
            noted = {e.noted, e.notedRed, e.notedBlue, e.notedColour, e.notedScore};
    }

  private:
    // About 850 kB: the same position comes back mostly soon, in the same
    // part of the tree, and a larger table was measured slower.
    static constexpr int kBits = 12;
    static constexpr size_t kSize = size_t{1} << kBits;

    static size_t Slot(const SubtreeKey& key) {
        const auto bits = [](float f) { return static_cast<uint64_t>(std::bit_cast<uint32_t>(f)); };
        uint64_t h = key.red * 0x9E3779B97F4A7C15u ^ key.blue * 0xC2B2AE3D27D4EB4Fu;
        h ^= (bits(key.alpha) << 32 | bits(key.beta)) * 0x165667B19E3779F9u;
        h ^= static_cast<uint64_t>(static_cast<uint8_t>(key.hint)) << 16 |
             static_cast<uint64_t>(key.remaining) << 8 | static_cast<uint64_t>(key.colour);
        h *= 0xFF51AFD7ED558CCDu;
        return static_cast<size_t>(h >> (64 - kBits));
    }

    std::unique_ptr<Entry[]> entries_;
    std::unique_ptr<uint32_t[]> generations_;
    uint32_t generation_ = 0;
};

}  // namespace qv::search_detail
