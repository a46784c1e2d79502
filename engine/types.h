#pragma once

#include <array>
#include <cstdint>

namespace qv {

// W0..W15; see DefaultWeights for the roles.
using PotentialWeights = std::array<int32_t, 16>;

// 1, 7, 3 (engine play: search flag, depth, width), 1, 4, 3, 1, 2, 4 (size and
// count offsets, factors, exponents), 0 x 4 (unused), 9, 4, 10 (fork boost).
constexpr PotentialWeights DefaultWeights() {
    return {1, 7, 3, 1, 4, 3, 1, 2, 4, 0, 0, 0, 0, 9, 4, 10};
}

// The search window: every value lies within -kWindow..+kWindow.
constexpr float kWindow = 65000.0f;

// column -1: no move.
struct ScoredMove {
    int32_t column = -1;
    int32_t row = -1;
    float score = -kWindow;
    bool operator==(const ScoredMove&) const = default;
};

constexpr ScoredMove kNoMove{-1, -1, -kWindow};

// Entries 1..16 (index 0 unused); the line ends at the first column -1.
using PredictedLine = std::array<ScoredMove, 17>;

// The deepest search the line has room for: a node at ply p writes entry p + 1.
constexpr int32_t kMaxSearchDepth = 15;

}  // namespace qv
