#pragma once
// The strong search's evaluation: the classic score difference and win bonus,
// plus what the unfinished squares promise and what the side to move can take
// at once.

#include <algorithm>
#include <cstdint>

#include "engine/strong_params.h"

namespace qv::strong {

// A square's state is reds + 5 x blues; states past a full square are padding.
constexpr int kStates = 30;
constexpr int kRedStep = 1;
constexpr int kBlueStep = 5;
constexpr int StepOf(int32_t colour) {
    return colour == 1 ? kRedStep : kBlueStep;
}

struct EvalTables {
    // By [size][state]: the square's worth from Red's side.
    int32_t worth[9][kStates]{};
    // By [colour][size][state]: how a piece of the colour changes that worth,
    // minus the same for the state before.
    int32_t change[3][9][kStates]{};

    explicit EvalTables(const EvalParams& p);
};

constexpr int32_t kWinBonus = 1000;
constexpr int32_t kDecidedValue = 1000;

// The classic evaluation on whole numbers: Mover - Other, with Remaining x
// 1000 to a leader that has 150 points and leads by 15.
constexpr int32_t Evaluate(int32_t remaining, int32_t mover, int32_t other) {
    const int32_t diff = mover - other;
    if (diff < 15 && diff > -15) return diff;
    if (other >= 150 && other > mover) return diff - remaining * kWinBonus;
    if (mover >= 150) return diff + remaining * kWinBonus;
    return diff;
}

constexpr bool IsDecided(int32_t v) {
    return v >= kDecidedValue || v <= -kDecidedValue;
}

// The estimate beside the score difference, kept inside the undecided range.
constexpr int32_t Undecided(int32_t diff, int32_t promise64) {
    return std::clamp(diff + promise64 / 64, -(kDecidedValue - 1), kDecidedValue - 1);
}

}  // namespace qv::strong
