#pragma once

#include <cstdint>

#include "engine/types.h"

namespace qv {

// A value this large either way is a decided game.
constexpr float kDecided = 1000.0f;
// A game is decided once one colour has the winning score and the lead.
constexpr float kWinningScore = 150.0f;
constexpr float kWinningLead = 15.0f;

// Mover - Other seen from the side that has just moved; a leader with at
// least the winning score and lead gets Remaining x 1000 on top.
inline float EvaluatePosition(int32_t Remaining, float Mover, float Other) {
    const float diff = Mover - Other;
    if ((diff < 0 ? -diff : diff) < kWinningLead) return diff;
    const int32_t bonus = Remaining * 1000;
    if (Other >= kWinningScore && Other > Mover)
        Other = Other + static_cast<float>(bonus);
    else if (Mover >= kWinningScore)
        Mover = Mover + static_cast<float>(bonus);
    return Mover - Other;
}

}  // namespace qv
