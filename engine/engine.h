#pragma once
// The computer player as the front ends see it: a search request in, its
// result out, with a progress callback after each root move and a stop that
// any thread may pull.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "engine/potentials.h"
#include "engine/search_request.h"
#include "engine/types.h"
#include "model/board.h"

namespace qv {

class SearchEngine;
namespace strong {
class Search;
}

class Engine {
  public:
    Engine();
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Runs one search, on the calling thread and request.threads - 1 others
    // that the Engine keeps; the progress callback comes on the calling
    // thread, once per root move in order. Throws std::invalid_argument for a
    // depth outside 1..kMaxSearchDepth. The stop flags are not cleared.
    SearchResult Search(const SearchRequest& request,
                        const std::function<void(const SearchProgress&)>& onRootMove = {});

    // Both may be called from any thread while Search runs. Cancel ends the
    // search after the root move in progress and keeps what it found; Abort
    // ends it at once, and its result is meaningless.
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
