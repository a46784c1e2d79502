#include <stdexcept>
#include <string>

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
        return nullptr;
    }
    if (!parallel_ || parallel_->Threads() != threads)
        parallel_ = std::make_unique<search_detail::Parallel>(*this, threads);
    return parallel_.get();
}

// Runs the root node on the owner's Searcher, with the helpers if there are
// any, and leaves the counters and potentials on the engine.
template <class Body>
void SearchEngine::RunSearch(search_detail::Searcher& s, Body body) {
    s.parallel = Helpers();
    s.splitFrom = SplitFrom < 2 ? 2 : SplitFrom;
    if (s.parallel != nullptr) {
        s.parallel->Begin(s);
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
    ++ProgressCount;
    if (ProgressTotal > 0) {
        const int32_t position = ProgressCount * 100 / ProgressTotal;
        ProgressPosition = position > 100 ? 100 : position;
    }
    if (OnRootMove) OnRootMove();
}

void SearchEngine::SearchFullWidth(Board position, int32_t colour, int32_t remainingDepth,
                                   int32_t totalDepth, float parentAlpha, float parentBeta,
                                   float otherScore, float ownScore, PredictedLine& line,
                                   ScoredMove FirstMoveHint) {
    CheckDepths(remainingDepth, totalDepth);
    Tables();
    Searcher s(*this, fast::ToBits(position),
               searchTables_.searchExact ? fast::Kept::kSearch : fast::Kept::kNone);
    s.total = totalDepth;
    RunSearch(s, [&] {
        if (searchTables_.searchExact)
            s.FullNode<true>(colour, remainingDepth, parentAlpha, parentBeta, otherScore, ownScore,
                             line, FirstMoveHint);
        else
            s.FullNode<false>(colour, remainingDepth, parentAlpha, parentBeta, otherScore, ownScore,
                              line, FirstMoveHint);
    });
}

void SearchEngine::SearchWidthLimited(Board position, int32_t colour, int32_t remainingDepth,
                                      int32_t width, int32_t totalDepth, float parentAlpha,
                                      float parentBeta, float otherScore, float ownScore,
                                      PredictedLine& line) {
    CheckDepths(remainingDepth, totalDepth);
    Tables();
    Searcher s(*this, fast::ToBits(position),
               searchTables_.rankExact ? fast::Kept::kRank : fast::Kept::kNone);
    s.total = totalDepth;
    // The head is tried whatever the width; no list is longer than the board.
    s.width = width < 1 ? 1 : width > kPoints ? kPoints : width;
    RunSearch(s, [&] {
        using search_detail::RankKeys;
        if (!searchTables_.rankExact)
            s.WidthNode<RankKeys::kOrdered>(colour, remainingDepth, parentAlpha, parentBeta,
                                            otherScore, ownScore, line);
        else if (searchTables_.noBoost)
            s.WidthNode<RankKeys::kWhole>(colour, remainingDepth, parentAlpha, parentBeta,
                                          otherScore, ownScore, line);
        else
            s.WidthNode<RankKeys::kExact>(colour, remainingDepth, parentAlpha, parentBeta,
                                          otherScore, ownScore, line);
    });
}

}  // namespace qv
