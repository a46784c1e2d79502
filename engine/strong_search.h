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

#include "engine/engine.h"
#include "engine/potential_tables.h"
#include "engine/strong_board.h"
#include "engine/strong_eval.h"
#include "engine/strong_table.h"

namespace qv::strong {

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

    // One search of request.position for request.colour. request.depth,
    // width, fullWidth and threads are not read: the strong search runs on
    // the calling thread alone. onIteration runs after each finished
    // iteration. cancel ends it soon with the last finished iteration's move
    // (depth 1 always finishes); abort ends it at once.
    SearchResult Run(const SearchRequest& request, const Params& params,
                     const std::function<void(const SearchProgress&)>& onIteration,
                     const std::atomic<bool>* cancel, const std::atomic<bool>* abort);

  private:
    static constexpr int kMaxPly = 66;

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
    Table table_;

    int64_t positions_ = 0;
    int64_t nextPoll_ = 0;
    int64_t nodeBudget_ = 0;
    double movetimeMs_ = 0;
    int32_t depth_ = 0;
    bool stop_ = false;
    const std::atomic<bool>* cancel_ = nullptr;
    const std::atomic<bool>* abort_ = nullptr;
    std::chrono::steady_clock::time_point start_{};

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
