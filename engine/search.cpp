#include <stdexcept>
#include <string>
#include <type_traits>

#include "engine/searcher.h"

namespace qv {

namespace {

// Once per search: a deeper search would write past the end of the line.
void CheckDepths(int32_t remainingDepth, int32_t totalDepth) {
    if (totalDepth < 1 || totalDepth > kMaxSearchDepth)
        throw std::invalid_argument("search depth " + std::to_string(totalDepth) +
                                    " is outside 1.." + std::to_string(kMaxSearchDepth));
    if (remainingDepth < 1 || remainingDepth > totalDepth)
        throw std::invalid_argument("remaining depth " + std::to_string(remainingDepth) +
                                    " is outside 1.." + std::to_string(totalDepth));
}

}  // namespace

SearchEngine::SearchEngine() {
    Line[1].column = -1;
}

SearchEngine::~SearchEngine() = default;

search_detail::Parallel* SearchEngine::Helpers() {
    const int32_t threads = Threads < 1 ? 1 : Threads > kMaxThreads ? kMaxThreads : Threads;
    if (threads == 1) {
        parallel_.reset();
        ThreadsSearching = 1;
        return nullptr;
    }
    if (!parallel_ || parallel_->Requested() != threads) {
        // The old helpers end first: their memory may be what the new ones need.
        parallel_.reset();
        parallel_ = std::make_unique<search_detail::Parallel>(*this, threads);
    }
    // Kept even when no helper could start, so that the next search does not
    // try again.
    ThreadsSearching = parallel_->Threads();
    return ThreadsSearching > 1 ? parallel_.get() : nullptr;
}

// Runs the root node on the owner's Searcher, with the helpers if there are
// any, and leaves the counters and potentials on the engine.
template <class Body>
void SearchEngine::RunSearch(search_detail::Searcher& s, bool fullWidth, Body body) {
    // The owner's table first: the helpers take what memory is left.
    if (!cache_) cache_ = std::make_unique<search_detail::SubtreeCache>();
    cache_->Begin();
    s.parallel = Helpers();
    s.cache = cache_.get();
    s.splitFrom = SplitFrom < 2 ? 2 : SplitFrom;
    s.watchCancel = !CancelRequested;
    anyFinished_ = false;
    if (s.parallel != nullptr) {
        s.parallel->Begin(s, fullWidth);
        try {
            body();
        } catch (...) {
            s.parallel->End();
            throw;
        }
        s.parallel->End();
    } else {
        body();
    }
    PositionsEvaluated += s.positions;
    s.FinishPotentials();
}

void SearchEngine::Tables() {
    if (tables_.weights == Weights) return;
    std::swap(tables_, previousTables_);
    std::swap(searchTables_, previousSearchTables_);
    if (tables_.weights != Weights) {
        tables_ = fast::PotentialTables(Weights);
        searchTables_ = fast::SearchTables(tables_);
    }
}

ScoredMove SearchEngine::BestPotentialPoint(const Board& board) {
    Tables();
    return fast::BestPotentialPointOf(fast::ToBits(board), tables_, PointPotentials);
}

CandidateList SearchEngine::RankCandidates(const Board& board, int32_t colour, float ownScore) {
    Tables();
    CandidateList list;
    fast::RankCandidatesOf(fast::ToBits(board), colour, ownScore, tables_, PointPotentials, list);
    return list;
}

void SearchEngine::RootMoveDone() {
    finished_ = *rootLine_;
    anyFinished_ = true;
    ++ProgressCount;
    if (ProgressTotal > 0) {
        const int32_t position = ProgressCount * 100 / ProgressTotal;
        ProgressPosition = position > 100 ? 100 : position;
    }
    if (OnRootMove) OnRootMove();
}

void SearchEngine::KeepFinished(PredictedLine& line, int32_t ply) const {
    for (int32_t i = ply; i <= 16; ++i) line[i] = anyFinished_ ? finished_[i] : kNoMove;
}

void SearchEngine::Poll() {
    if (!OnPoll || polling_.exchange(true, std::memory_order_acquire)) return;
    // An Abort set by the last poll, on whatever thread, is seen here.
    if (!AbortRequested.load(std::memory_order_relaxed)) OnPoll();
    polling_.store(false, std::memory_order_release);
}

void SearchEngine::SearchFullWidth(Board position, int32_t colour, int32_t remainingDepth,
                                   int32_t totalDepth, float parentAlpha, float parentBeta,
                                   float otherScore, float ownScore, PredictedLine& line,
                                   ScoredMove FirstMoveHint) {
    CheckDepths(remainingDepth, totalDepth);
    Tables();
    Searcher s(*this, fast::ToBits(position),
               searchTables_.searchExact ? fast::Kept::kSearch : fast::Kept::kNone);
    rootLine_ = &line;
    s.total = totalDepth;
    s.top = remainingDepth;
    RunSearch(s, true, [&] {
        const auto run = [&](auto exact, auto shared) {
            s.FullNode<decltype(exact)::value, decltype(shared)::value>(
                colour, remainingDepth, parentAlpha, parentBeta, otherScore, ownScore, line,
                FirstMoveHint);
        };
        const bool shared = s.Splits(remainingDepth);
        if (searchTables_.searchExact)
            shared ? run(std::true_type{}, std::true_type{})
                   : run(std::true_type{}, std::false_type{});
        else
            shared ? run(std::false_type{}, std::true_type{})
                   : run(std::false_type{}, std::false_type{});
    });
    if (s.halted) KeepFinished(line, totalDepth - remainingDepth + 1);
}

void SearchEngine::SearchWidthLimited(Board position, int32_t colour, int32_t remainingDepth,
                                      int32_t width, int32_t totalDepth, float parentAlpha,
                                      float parentBeta, float otherScore, float ownScore,
                                      PredictedLine& line) {
    CheckDepths(remainingDepth, totalDepth);
    Tables();
    Searcher s(*this, fast::ToBits(position),
               searchTables_.rankExact ? fast::Kept::kRank : fast::Kept::kNone);
    rootLine_ = &line;
    s.total = totalDepth;
    s.top = remainingDepth;
    // The head is tried whatever the width; no list is longer than the board.
    s.width = width < 1 ? 1 : width > kPoints ? kPoints : width;
    RunSearch(s, false, [&] {
        using search_detail::RankKeys;
        const auto run = [&](auto keys, auto shared) {
            s.WidthNode<decltype(keys)::value, decltype(shared)::value>(
                colour, remainingDepth, parentAlpha, parentBeta, otherScore, ownScore, line);
        };
        using Ordered = std::integral_constant<RankKeys, RankKeys::kOrdered>;
        using Whole = std::integral_constant<RankKeys, RankKeys::kWhole>;
        using Exact = std::integral_constant<RankKeys, RankKeys::kExact>;
        const bool shared = s.Splits(remainingDepth);
        if (!searchTables_.rankExact)
            shared ? run(Ordered{}, std::true_type{}) : run(Ordered{}, std::false_type{});
        else if (searchTables_.noBoost)
            shared ? run(Whole{}, std::true_type{}) : run(Whole{}, std::false_type{});
        else
            shared ? run(Exact{}, std::true_type{}) : run(Exact{}, std::false_type{});
    });
    if (s.halted) KeepFinished(line, totalDepth - remainingDepth + 1);
}

}  // namespace qv
