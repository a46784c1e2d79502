#pragma once

#include <algorithm>
#include <cstdint>

#include "engine/types.h"
#include "model/rules.h"

namespace qv {

// Mover - Other seen from the side that has just moved; a leader with at
// least the winning score and lead gets Remaining x 1000 on top.
[[gnu::always_inline]] inline float EvaluatePosition(int32_t Remaining, float Mover, float Other) {
    // Scores and bonuses are whole numbers far below 2^24, so adding the bonus
    // to the difference is exact, as adding it to the score first is; taken
    // without branches, since which case holds changes from move to move.
    // Below the winning score on both sides, though (most of a game, and the
    // same for a whole search but near its end), no bonus can apply.
    const float diff = Mover - Other;
    if (std::max(Mover, Other) < kWinningScore) return diff;
    const float bonus = static_cast<float>(Remaining * 1000);
    const bool lead = (diff < 0 ? -diff : diff) >= kWinningLead;
    const bool otherWins = Other >= kWinningScore && Other > Mover;
    const bool moverWins = Mover >= kWinningScore;
    const float add = otherWins ? -bonus : moverWins ? bonus : 0.0f;
    return diff + (lead ? add : 0.0f);
}

// The value only grows with the mover's score, so a horizon scan can compare
// gains instead of values: this is the smallest whole gain g >= 1 with
// EvaluatePosition(1, Mover + g, Other) >= beta, or kNoGain when none up to
// kNoGain - 1 does. Mover, Other and beta are whole numbers, as every score
// and value is.
constexpr int32_t kNoGain = 1 << 20;
[[gnu::always_inline]] inline int32_t MinGainReaching(float Mover, float Other, float beta) {
    // With d the lead after the gain: the other's bonus at d <= -15, the
    // mover's at d >= 15 once it has the winning score, d itself in between.
    constexpr int64_t kLead = 15, kScore = 150, kBonus = 1000;
    const auto mover = static_cast<int64_t>(Mover), other = static_cast<int64_t>(Other);
    const auto want = static_cast<int64_t>(beta);
    const int64_t lead = mover - other;
    const auto atLeastOne = [](int64_t g) { return g < 1 ? int64_t{1} : g; };
    // The mover's bonus holds for every g >= winFrom.
    const int64_t winFrom = atLeastOne(std::max(kLead - lead, kScore - mover));
    int64_t best = std::max(winFrom, want - kBonus - lead);
    // The other's bonus holds for every g <= lossTo.
    const bool otherWins = other >= kScore;
    const int64_t lossTo = -kLead - lead;
    if (otherWins) {
        const int64_t g = atLeastOne(want + kBonus - lead);
        if (g <= lossTo) best = std::min(best, g);
    }
    const int64_t plainFrom = std::max(atLeastOne(otherWins ? lossTo + 1 : 1), want - lead);
    if (plainFrom < winFrom) best = std::min(best, plainFrom);
    return best >= kNoGain ? kNoGain : static_cast<int32_t>(best);
}

}  // namespace qv
