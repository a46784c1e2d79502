#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "model/board.h"

namespace qv {

// W0..W15; see DefaultWeights for the roles.
using PotentialWeights = std::array<int32_t, 16>;

// 1, 7, 3 (engine play: search flag, depth, width), 1, 4, 3, 1, 2, 4 (size and
// count offsets, factors, exponents), 0 x 4 (unused), 9, 4, 10 (fork boost).
constexpr PotentialWeights DefaultWeights() { return {1, 7, 3, 1, 4, 3, 1, 2, 4, 0, 0, 0, 0, 9, 4, 10}; }

// column -1: no move.
struct ScoredMove {
    int32_t column = -1;
    int32_t row = -1;
    float score = -65000.0f;
    bool operator==(const ScoredMove&) const = default;
};

constexpr ScoredMove kNoMove{-1, -1, -65000.0f};

// Entries 1..16 (index 0 unused); the line ends at the first column -1.
using PredictedLine = std::array<ScoredMove, 17>;

// The computer player's state: one per board being searched, so several can
// run side by side.
class Engine {
public:
    PotentialWeights Weights = DefaultWeights();
    // [column][row] like the board, column by column.
    std::array<float, kPoints> PointPotentials{};
    PredictedLine Line{};
    int32_t ProgressTotal = 0;
    int32_t ProgressCount = 0;
    int32_t PositionsEvaluated = 0;
    bool CancelRequested = false;
    // The progress bar's position, 0..100, as the root loop last set it.
    int32_t ProgressPosition = 0;
    // Called after each root move (progress display, pending window events);
    // it may set CancelRequested.
    std::function<void()> OnRootMove;

    Engine() { Line[1].column = -1; }
};

}  // namespace qv
