#pragma once
// The strong search's evaluation: the classic score difference and win bonus,
// plus what the unfinished squares promise and what the side to move can take
// at once.

#include <algorithm>
#include <cstdint>

namespace qv::strong {

// Weights in 64ths of a point. A live square (one colour only) with n of its
// corners filled is worth corner[n] / 64 of its value to that colour. Where
// the side to move has nothing to cash, it is expected to block the
// opponent's largest threat, and the second largest then weighs cashed / 64
// (at least as much as a square with three corners does); with no threat to
// block, its free move is worth tempo / 64 of a point.
struct EvalParams {
    int32_t corner[4] = {0, 0, 4, 16};
    int32_t cashed = 16;
    int32_t tempo = 0;
    // The classic evaluation alone: the score difference and the win bonus.
    bool classic = false;
};

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
