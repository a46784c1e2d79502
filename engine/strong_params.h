#pragma once
// The strong player's knobs, carried by a search request: the evaluation's
// weights and the search's selectivity and time rules.

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

struct Params {
    EvalParams eval;
    // The deepest iteration; a search never goes past the last empty point.
    int32_t maxDepth = 64;
    // Half the aspiration window around the last iteration's value.
    int32_t aspiration = 30;
    // On a node budget, do not start an iteration once this share (in
    // percent) of it is gone: the next one would rarely finish. A clock has
    // its own rule (strong_time.h).
    int32_t startBelowPercent = 60;
    // Null-move pruning and late-move reductions. A piece never hurts the
    // side that places it, so passing is the worst a side can do and a pass
    // that still reaches beta proves the cut-off in all but rare cases. Off,
    // the search finds exactly the full-width value of each depth.
    bool selective = true;
    int32_t nullReduction = 2;
    // Late quiet moves search this many hundredths of ln(depth) x ln(move
    // number) shallower first.
    int32_t lateReduction = 45;
    // Past the horizon, the mover's largest squares to complete tried at a
    // node, and the plies.
    int32_t quiesceWidth = 2;
    int32_t quiesceDepth = 8;
    // Futility margins in points one and two plies above the horizon (0:
    // none).
    int32_t futility1 = 8;
    int32_t futility2 = 0;
    // Quiet moves tried at most one and two plies above the horizon (0: all).
    int32_t lateMoves1 = 12;
    int32_t lateMoves2 = 0;
    // The move potentials order nodes this many plies above the horizon or
    // more.
    int32_t potentialsFrom = 3;
    // The table is read and written this many plies above the horizon or
    // more.
    int32_t tableFrom = 1;
    // A node this many plies above the horizon or fewer whose static value
    // is margin x plies above beta is cut off (0: never).
    int32_t reverseDepth = 2;
    int32_t reverseMargin = 20;
    // The null move only where the static value reaches beta.
    bool nullStatic = false;
};

}  // namespace qv::strong
