#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "engine/potential_tables.h"
#include "engine/potentials.h"
#include "engine/search_board.h"
#include "engine/types.h"
#include "model/board.h"

namespace qv {

namespace search_detail {
struct Searcher;
class Parallel;
class SubtreeCache;
}  // namespace search_detail

// The searches' state behind the Engine facade: one per board being
// searched, so several can run side by side. Internal to the engine (and the
// tests and benchmarks that check it).
class SearchEngine {
  public:
    PotentialWeights Weights = DefaultWeights();
    // [column][row] like the board, column by column.
    std::array<float, kPoints> PointPotentials{};
    PredictedLine Line{};
    int32_t ProgressTotal = 0;
    int32_t ProgressCount = 0;
    // 64-bit: a deep full-width search passes 2^31 positions.
    int64_t PositionsEvaluated = 0;
    // Set from any thread. Set during a search, it ends the search at once,
    // wherever it is, with the best of the root moves finished; standing when
    // a search begins, it ends the search after its first root move.
    std::atomic<bool> CancelRequested = false;
    // The progress bar's position, 0..100, as the root loop last set it.
    int32_t ProgressPosition = 0;
    // Called after each root move (progress display, pending window events);
    // it may set CancelRequested.
    std::function<void()> OnRootMove;
    // Called from inside the search every 65536 positions or so that a
    // thread searches, well under a millisecond of work, on any of the
    // search's threads but never on two at once, and no more once Abort is
    // set; it may set CancelRequested or AbortRequested. It changes nothing
    // the search finds.
    std::function<void()> OnPoll;
    // Ends the search at once, from every depth; the line and counters are
    // then meaningless. Stays set until the caller clears it.
    std::atomic<bool> AbortRequested = false;

    // Threads that search (1..kMaxThreads); the numbers do not depend on it.
    int32_t Threads = 1;
    // A node offers its later moves to other threads only when their
    // replies search at least this deep (2 or more).
    int32_t SplitFrom = 5;
    static constexpr int32_t kMaxThreads = 64;
    // The threads the last search ran on: fewer than Threads when the system
    // could not start them all.
    int32_t ThreadsSearching = 1;

    SearchEngine();
    ~SearchEngine();
    SearchEngine(const SearchEngine&) = delete;
    SearchEngine& operator=(const SearchEngine&) = delete;

    // With the live Weights; both overwrite PointPotentials.
    ScoredMove BestPotentialPoint(const Board& board);
    CandidateList RankCandidates(const Board& board, int32_t colour, float ownScore);

    // Negamax with alpha-beta over every empty point. The root is called with
    // remainingDepth = totalDepth, bounds (-kWindow, +kWindow), the two colours'
    // totals and a hint with column -1; it writes line[ply..16] and updates
    // the counters and PointPotentials. Throws std::invalid_argument unless
    // 1 <= remainingDepth <= totalDepth <= kMaxSearchDepth, before searching.
    void SearchFullWidth(Board position, int32_t colour, int32_t remainingDepth, int32_t totalDepth,
                         float parentAlpha, float parentBeta, float otherScore, float ownScore,
                         PredictedLine& line, ScoredMove FirstMoveHint = kNoMove);

    // The same, but inner nodes try only the first `width` ranked candidates;
    // the depths are checked the same way.
    void SearchWidthLimited(Board position, int32_t colour, int32_t remainingDepth, int32_t width,
                            int32_t totalDepth, float parentAlpha, float parentBeta,
                            float otherScore, float ownScore, PredictedLine& line);

  private:
    friend struct search_detail::Searcher;
    void Tables();
    void RootMoveDone();
    void Poll();
    // After a search that a stop cut short: the line, from the root's ply on,
    // as the root moves finished left it, or no move if none was.
    void KeepFinished(PredictedLine& line, int32_t ply) const;
    // The helpers for Threads, kept from one search to the next.
    search_detail::Parallel* Helpers();
    template <class Body>
    void RunSearch(search_detail::Searcher& s, bool fullWidth, Body body);

    // Copies of the default weights' tables, built once per process.
    fast::PotentialTables tables_{fast::DefaultTables()};
    fast::SearchTables searchTables_{fast::DefaultSearchTables()};
    // The tables of the weights installed before: engine games alternate
    // between two players' weights at every move.
    fast::PotentialTables previousTables_{fast::DefaultTables()};
    fast::SearchTables previousSearchTables_{fast::DefaultSearchTables()};
    std::unique_ptr<search_detail::Parallel> parallel_;
    // The owner's subtrees found in the search running, kept from one
    // search to the next so that it is allocated once.
    std::unique_ptr<search_detail::SubtreeCache> cache_;
    // A thread is in OnPoll.
    std::atomic<bool> polling_ = false;
    // The line the search running was given, as its last root move finished
    // left it, and whether one did.
    PredictedLine* rootLine_ = nullptr;
    PredictedLine finished_{};
    bool anyFinished_ = false;
};

}  // namespace qv
