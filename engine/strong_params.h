#pragma once
// The strong player's knobs, carried by a search request: the evaluation's
// weights and the search's selectivity and time rules.

#include <cstdint>

namespace qv::strong {

// Weights in sixteenths of a point. A live square (one colour only) with n
// of its corners filled is worth corner[n] / 16 of its value to that colour;
// the side to move is expected to take tempo / 16 of its best single gain.
struct EvalParams {
    int32_t corner[4] = {0, 0, 1, 4};
    int32_t tempo = 4;
    // The classic evaluation alone: the score difference and the win bonus.
    bool classic = false;
};

struct Params {
    EvalParams eval;
    // The deepest iteration; a search never goes past the last empty point.
    int32_t maxDepth = 64;
    // Half the aspiration window around the last iteration's value.
    int32_t aspiration = 30;
    // Do not start an iteration once this share (in percent) of the time or
    // node budget is gone: the next one would rarely finish.
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
};

}  // namespace qv::strong
