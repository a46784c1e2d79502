#pragma once
// The computer player as the front ends see it: a search request in, its
// result out, with a progress callback after each root move and a stop that
// any thread may pull.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/potentials.h"
#include "engine/types.h"
#include "model/board.h"

namespace qv {

class SearchEngine;
namespace strong {
class Search;
}

// Classic: the fixed-depth searches the settings have always offered. Strong:
// iterative deepening over every empty point with a transposition table,
// stopped by a clock or a node budget.
enum class SearchKind { Classic, Strong };

// Everything a suggestion depends on.
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
    // Threads that search; the result is the same for any number. Taken as
    // 1..64.
    int32_t threads = 1;
    // Strong only: the thinking time, a node budget (0: none; with one the
    // answer is deterministic and the clock is ignored) and the table's size.
    int32_t movetimeMs = 1000;
    int64_t nodes = 0;
    int32_t tableMiB = 64;
    // Strong only: the deepest iteration (0: as deep as the budget allows).
    int32_t maxDepth = 0;
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

class Engine {
  public:
    Engine();
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Runs one search, on the calling thread and request.threads - 1 others
    // that the Engine keeps; the progress callback comes on the calling
    // thread, once per root move in order. onPoll runs every millisecond or
    // so of searching (more often on several threads), on any of the
    // search's threads but never on two at once, so that a front end without
    // a thread of its own to call Cancel from (a signal's flag) may call it
    // there. Throws std::invalid_argument for a depth outside
    // 1..kMaxSearchDepth. The stop flags are not cleared.
    SearchResult Search(const SearchRequest& request,
                        const std::function<void(const SearchProgress&)>& onRootMove = {},
                        const std::function<void()>& onPoll = {});

    // Both may be called from any thread while Search runs. Cancel ends the
    // search within milliseconds, wherever it is, and keeps the best of the
    // root moves finished (the strong search: of its iterations; its first
    // always finishes). A Cancel already standing when a search begins ends
    // it after its first root move instead, so that the rest of an engine
    // game is played quickly with moves found as ever. Abort ends the search
    // at once, and its result is meaningless.
    void Cancel();
    void Abort();
    // Clears Cancel (as a new suggestion does), or both.
    void ClearCancel();
    void ClearStop();
    bool CancelRequested() const;
    bool AbortRequested() const;

    // The candidate ranking of the width-limited search for the colour.
    CandidateList RankCandidates(const Board& board, const PotentialWeights& weights,
                                 int32_t colour, float ownScore,
                                 std::array<float, kPoints>& potentials);

  private:
    std::unique_ptr<SearchEngine> impl_;
    // Made on the first strong search; keeps its table from one to the next.
    std::unique_ptr<strong::Search> strong_;
};

}  // namespace qv
