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
    // thread, once per root move in order. onPoll runs every millisecond or
    // so of searching (more often on several threads), on any of the
    // search's threads but never on two at once, so that a front end without
    // a thread of its own to call Cancel from (a signal's flag) may call it
    // there. Throws std::invalid_argument for a depth outside
    // 1..kMaxSearchDepth. The stop flags are not cleared.
    SearchResult Search(const SearchRequest& request,
                        const std::function<void(const SearchProgress&)>& onRootMove = {},
                        const std::function<void()>& onPoll = {});

    // The classic search of the request into line, without the report and
    // callbacks Search has (lineEnd is not read): for a player that searches
    // each root move itself and would otherwise pay for a result it does not
    // read. Returns entry 1's score and adds the positions evaluated to
    // positions. The stop flags act as in Search and are not cleared.
    float SearchLine(const SearchRequest& request, PredictedLine& line, int64_t& positions);

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
