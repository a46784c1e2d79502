#pragma once
// What a search is asked and what it answers, below the Engine facade: the
// searches themselves take the request as it is.

#include <array>
#include <cstdint>
#include <string>

#include "engine/strong_params.h"
#include "engine/types.h"
#include "model/board.h"

namespace qv {

// Classic: the fixed-depth searches the settings have always offered. Strong:
// iterative deepening over every empty point with a transposition table,
// stopped by a clock or a node budget.
enum class SearchKind { Classic, Strong };

// Everything a search depends on. Built from a player's description in one
// place (MakeSearchRequest); the tests and benchmarks that drive the engine
// directly fill it themselves.
struct SearchRequest {
    SearchKind kind = SearchKind::Classic;
    Board position;
    int32_t colour = Blue;
    int32_t depth = 11;  // plies, 1..kMaxSearchDepth (others are refused)
    int32_t width = 3;   // candidates tried at inner nodes
    bool fullWidth = false;
    PotentialWeights weights = DefaultWeights();
    // The line is ended after this entry (the common search depth of the
    // settings); 0 keeps the whole line.
    int32_t lineEnd = 0;
    // Threads that search; the classic result is the same for any number.
    // Taken as 1..64.
    int32_t threads = 1;
    // Strong only: the thinking time, a node budget (0: none; with one the
    // answer is deterministic and the clock is ignored), the table's size
    // and the search's knobs (strong.maxDepth: the deepest iteration).
    int32_t movetimeMs = 1000;
    int64_t nodes = 0;
    // Strong only: a game clock instead of movetimeMs (negative: none). The
    // time left for the side to move's remaining moves, what each of its
    // moves adds, and its moves before the clock is refilled (0: the rest of
    // the game). A node budget still wins.
    int64_t timeLeftMs = -1;
    int64_t incrementMs = 0;
    int32_t movesToGo = 0;
    int32_t tableMiB = 64;
    strong::Params strong;
};

// After each root move: how many are done and the progress bar's 0..100.
struct SearchProgress {
    int32_t rootMoves = 0;
    int32_t percent = 0;
};

struct SearchResult {
    // No move (entry 1 kNoMove) when the board is full, or when a Cancel came
    // before the first root move was finished.
    PredictedLine line{};
    float value = kNoMove.score;  // entry 1's score
    bool boardWasFull = false;    // nothing could be tried
    bool cancelled = false;       // ended early by Cancel
    std::string caption;          // the predicted outcome, or kCancelledText
    int64_t positions = 0;        // positions evaluated
    int32_t rootMoves = 0;
    double elapsedMs = 0;  // from a monotonic clock
    // As the last ranking or best-point call of the search left them.
    std::array<float, kPoints> pointPotentials{};
    // Strong only: the last depth the iterative deepening finished.
    int32_t depthReached = 0;
    // The threads that searched: fewer than asked for when the system could
    // not start them all (the numbers are the same).
    int32_t threads = 1;
};

}  // namespace qv
