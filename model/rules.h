#pragma once
// When a game is over, written once for every game loop, the window and the
// searches' value convention.

#include <cstdint>

#include "model/board.h"

namespace qv {

// A game is decided once one colour has the winning score and leads by the
// winning lead.
constexpr int32_t kWinningScore = 150;
constexpr int32_t kWinningLead = 15;

constexpr bool Decided(int32_t red, int32_t blue) {
    const int32_t lead = red - blue;
    return (red >= kWinningScore || blue >= kWinningScore) &&
           (lead >= kWinningLead || lead <= -kWinningLead);
}

// Both colours' totals on the board.
bool Decided(const Board& board);

// Decided, or no point left to play.
bool GameOver(const Board& board);

// A search value this large either way stands for a decided game: the
// winner's side gets 1000 per ply still to go on top of the difference.
constexpr float kDecided = 1000.0f;
constexpr bool IsDecidedValue(float value) {
    return value >= kDecided || value <= -kDecided;
}

}  // namespace qv
