#pragma once
// The strong player: iterative deepening negamax with alpha-beta over every
// empty point, a transposition table, table-move / gain / killer / history /
// potential move ordering and aspiration windows, stopped by a clock or a
// node budget. Values keep the classic meaning: the mover's view, and a
// decided game carries 1000 per remaining ply of the iteration that found it,
// so the classic captions read them right with the depth reached.

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "engine/potential_tables.h"
#include "engine/search_request.h"
#include "engine/strong_board.h"
#include "engine/strong_eval.h"
#include "engine/strong_params.h"
#include "engine/strong_table.h"
#include "engine/strong_time.h"

namespace qv::strong {

// The two largest of the gains added.
struct TopTwo {
    int32_t first = 0;
    int32_t second = 0;
    void Add(int32_t g);
};

class Search {
  public:
    Search() = default;
    Search(const Search&) = delete;
    Search& operator=(const Search&) = delete;

    // One search of request.position for request.colour; request.depth,
    // width and fullWidth are not read. With request.threads above one, the
    // calling thread's search is the answer and helper threads search the
    // same tree beside it, filling the shared table (the answer then depends
    // on their timing). onIteration runs after each finished
    // iteration. cancel ends it within a millisecond or so with the last
    // finished iteration's move (depth 1 always finishes); abort ends it at
    // once. onPoll runs as often, on the calling thread; it may set either.
    SearchResult Run(const SearchRequest& request, const Params& params,
                     const std::function<void(const SearchProgress&)>& onIteration,
                     const std::atomic<bool>* cancel, const std::atomic<bool>* abort,
                     const std::function<void()>& onPoll = {});

    // The clock the time rule reads (the machine's steady clock unless
    // replaced, as tests do).
    void SetClock(Clock clock) { clock_ = std::move(clock); }

  private:
    static constexpr int kMaxPly = 66;

    // What the threads of one search share: the stop, and the positions
    // each reports when it polls.
    struct Shared {
        std::atomic<bool> stop{false};
        std::atomic<int64_t> positions{0};
    };

    // Starts up to threads - 1 helpers on rootBoard_, as many as the system
    // lets start; the threads searching.
    int32_t StartHelpers(int32_t threads, int32_t last, int32_t colour);
    // Stops and joins them, their positions added to helperPositions_.
    void StopHelpers();
    // A helper's iterative deepening up to last, depthOffset_ plies ahead.
    void HelperDeepen(int32_t last, int32_t colour);
    // One iteration's root search in an aspiration window around the last
    // value, widened on a fail; stop_ says whether it finished.
    int32_t AspiratedRoot(int32_t depth, int32_t value, int32_t colour);
    // The root moves for the next iteration: the best first, the others by
    // what this one found of them. Gives the best.
    uint8_t SortRoot();
    // The positions of every thread so far.
    int64_t Positions() const {
        return sharing_ == nullptr
                   ? positions_
                   : sharing_->positions.load(std::memory_order_relaxed) + positions_ - reported_;
    }

    int32_t Node(int32_t remaining, int32_t alpha, int32_t beta, int32_t ply, int32_t colour,
                 bool allowNull = true);
    // Past the horizon: the mover completes its own squares or stands on
    // Static.
    int32_t Quiesce(int32_t alpha, int32_t beta, int32_t ply, int32_t colour, int32_t depth);
    // The side to move's value when it completes no square of its own.
    int32_t Static(int32_t colour) const;
    // The same for the opponent once colour has played p, without placing it.
    int32_t ReplyStatic(int p, int32_t colour) const;
    // Whether the opponent's search past the horizon after colour plays p
    // would end on its static value; v is then the move's value.
    bool ReplyStands(int p, int32_t colour, int32_t& v) const;
    // From the mover's scores, the unfinished squares' worth for it in
    // sixteenths, and the opponent's two largest threats.
    int32_t StaticOf(int32_t own, int32_t theirs, int32_t promise, TopTwo threats) const;
    // A move's value when it ends the line (decided, fills the board, or at
    // the classic horizon); kNotLeaf when it is to be searched deeper.
    int32_t LeafValue(int p, int32_t colour, int32_t remaining) const;
    int32_t Root(int32_t depth, int32_t alpha, int32_t beta, int32_t colour);
    // The empty points and their ordering keys, higher first.
    int OrderMoves(int32_t colour, int32_t remaining, int32_t ply, int ttMove,
                   std::array<uint8_t, kPoints>& moves, std::array<int64_t, kPoints>& keys) const;
    void Poll();
    void UpdatePv(int32_t ply, int p);

    Params params_{};
    EvalTables eval_{EvalParams{}};
    fast::PotentialTables potentials_{DefaultWeights()};
    StrongBoard board_;
    Table ownTable_;
    // Its own, or the one of the search a helper helps.
    Table* table_ = &ownTable_;

    Shared shared_;
    // &shared_ of the calling thread's search while helpers run; null alone.
    Shared* sharing_ = nullptr;
    bool helper_ = false;
    int32_t depthOffset_ = 0;
    int64_t reported_ = 0;
    int64_t helperPositions_ = 0;
    // The threads asked for, and started (0: not yet).
    int32_t wanted_ = 1;
    int32_t started_ = 0;
    int32_t last_ = 0;
    int32_t colour_ = 0;
    StrongBoard rootBoard_;
    // Made once and kept for the next searches.
    std::vector<std::unique_ptr<Search>> helpers_;
    std::vector<std::thread> threads_;

    int64_t positions_ = 0;
    int64_t nextPoll_ = 0;
    int64_t nodeBudget_ = 0;
    int32_t depth_ = 0;
    bool stop_ = false;
    const std::atomic<bool>* cancel_ = nullptr;
    const std::atomic<bool>* abort_ = nullptr;
    const std::function<void()>* onPoll_ = nullptr;
    Clock clock_ = SteadyClock();
    const TimeManager* time_ = nullptr;

    // The root's moves, best first after each iteration.
    std::array<uint8_t, kPoints> rootMoves_{};
    std::array<int32_t, kPoints> rootScores_{};
    int rootCount_ = 0;
    int rootBest_ = -1;
    // The root move that last raised alpha in the iteration under way, and
    // its value.
    int partialIndex_ = -1;
    int32_t partialValue_ = 0;

    int8_t pv_[kMaxPly + 1][kMaxPly + 1]{};
    int32_t pvLength_[kMaxPly + 1]{};
    int8_t killers_[kMaxPly + 1][2]{};
    int32_t history_[3][kPoints]{};
};

}  // namespace qv::strong
