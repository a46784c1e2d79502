// The hot parts of the searches and whole suggestions, fast engine and literal
// reading side by side. Whole searches report positions per second as
// items_per_second; for a table, run with --benchmark_repetitions=N
// --benchmark_report_aggregates_only=true and read the medians.

#include <benchmark/benchmark.h>

#include <vector>

#include "engine/bench_set.h"
#include "engine/engine.h"
#include "engine/search_engine.h"
#include "engine/searcher.h"
#include "engine/suggest.h"
#include "model/scoring.h"
#include "oracle/literal_engine.h"
#include "oracle/literal_scoring.h"

namespace qv {
namespace {

struct Case {
    Board board;
    int32_t colour;
    float own;
    float other;
};

// The bench positions that still have an empty point, with the side to move.
const std::vector<Case>& Cases() {
    static const std::vector<Case> cases = [] {
        std::vector<Case> list;
        for (const BenchPosition& p : kBenchPositions) {
            const Board b = BenchBoard(p);
            const int32_t colour = SideToMove(b);
            list.push_back({b, colour, static_cast<float>(TotalScore(colour, b)),
                            static_cast<float>(TotalScore(Opponent(colour), b))});
        }
        return list;
    }();
    return cases;
}

// ---- ScoreAfterMove: every empty point of every position ----

void BM_ScoreAfterMove_Literal(benchmark::State& state) {
    int64_t calls = 0;
    for (auto _ : state) {
        for (const Case& c : Cases())
            for (int p = 0; p < kPoints; ++p) {
                if (c.board[p] != Empty) continue;
                benchmark::DoNotOptimize(
                    literal::ScoreAfterMove(c.colour, ColumnOf(p), RowOf(p), c.board, c.own));
                ++calls;
            }
    }
    state.SetItemsProcessed(calls);
}
BENCHMARK(BM_ScoreAfterMove_Literal);

// The searches keep every point's gain up to date, so a move's score is a
// look-up; what that costs is in BM_PlaceRemove_Fast.
void BM_ScoreAfterMove_Fast(benchmark::State& state) {
    SearchEngine engine;
    std::vector<Searcher> searchers;
    for (const Case& c : Cases())
        searchers.emplace_back(engine, fast::ToBits(c.board), fast::Kept::kNone);
    int64_t calls = 0;
    for (auto _ : state) {
        for (size_t i = 0; i < searchers.size(); ++i) {
            const Case& c = Cases()[i];
            const fast::SearchBoard& b = searchers[i].board;
            for (uint64_t scan = ~b.occupied; scan != 0; scan &= scan - 1) {
                const int k = std::countr_zero(scan);
                benchmark::DoNotOptimize(c.own + static_cast<float>(b.Gain(c.colour, k)));
                ++calls;
            }
        }
    }
    state.SetItemsProcessed(calls);
}
BENCHMARK(BM_ScoreAfterMove_Fast);

// Placing a piece on every empty point, keeping the ranking sums, and
// putting the sums back.
void BM_PlaceRemove_Fast(benchmark::State& state) {
    SearchEngine engine;
    std::vector<Searcher> searchers;
    for (const Case& c : Cases())
        searchers.emplace_back(engine, fast::ToBits(c.board), fast::Kept::kRank);
    int64_t calls = 0;
    for (auto _ : state) {
        for (size_t i = 0; i < searchers.size(); ++i) {
            Searcher& s = searchers[i];
            const int32_t colour = Cases()[i].colour;
            for (uint64_t scan = ~s.board.occupied; scan != 0; scan &= scan - 1) {
                const int k = std::countr_zero(scan);
                const fast::SearchBoard::Sums saved = s.board.sums;
                s.board.Place<fast::Kept::kRank, false>(k, colour, s.terms);
                s.board.Unmark(k, colour);
                s.board.sums = saved;
                ++calls;
            }
            benchmark::DoNotOptimize(s.board.sums.sum[0]);
        }
    }
    state.SetItemsProcessed(calls);
}
BENCHMARK(BM_PlaceRemove_Fast);

// ---- RankCandidates and BestPotentialPoint: one call per position ----

void BM_RankCandidates_Literal(benchmark::State& state) {
    literal::Engine engine;
    for (auto _ : state)
        for (const Case& c : Cases())
            benchmark::DoNotOptimize(engine.RankCandidates(c.board, c.colour, c.own));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(Cases().size()));
}
BENCHMARK(BM_RankCandidates_Literal);

// The whole list from the board alone, as the diagnostics ask for it.
void BM_RankCandidates_FastFromBoard(benchmark::State& state) {
    SearchEngine engine;
    for (auto _ : state)
        for (const Case& c : Cases())
            benchmark::DoNotOptimize(engine.RankCandidates(c.board, c.colour, c.own));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(Cases().size()));
}
BENCHMARK(BM_RankCandidates_FastFromBoard);

// What an inner node of the search does: the first three of the list, from
// the sums kept on the search board.
void BM_RankCandidates_FastInSearch(benchmark::State& state) {
    SearchEngine engine;
    std::vector<Searcher> searchers;
    for (const Case& c : Cases()) {
        searchers.emplace_back(engine, fast::ToBits(c.board), fast::Kept::kRank);
        searchers.back().width = 3;
    }
    uint8_t order[kPoints];
    for (auto _ : state)
        for (size_t i = 0; i < searchers.size(); ++i) {
            const Case& c = Cases()[i];
            benchmark::DoNotOptimize(
                searchers[i].Rank<search_detail::RankKeys::kWhole>(c.colour, c.own, order));
        }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(Cases().size()));
}
BENCHMARK(BM_RankCandidates_FastInSearch);

void BM_BestPotentialPoint_Literal(benchmark::State& state) {
    literal::Engine engine;
    for (auto _ : state)
        for (const Case& c : Cases()) benchmark::DoNotOptimize(engine.BestPotentialPoint(c.board));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(Cases().size()));
}
BENCHMARK(BM_BestPotentialPoint_Literal);

void BM_BestPotentialPoint_FastFromBoard(benchmark::State& state) {
    SearchEngine engine;
    for (auto _ : state)
        for (const Case& c : Cases()) benchmark::DoNotOptimize(engine.BestPotentialPoint(c.board));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(Cases().size()));
}
BENCHMARK(BM_BestPotentialPoint_FastFromBoard);

void BM_BestPotentialPoint_FastInSearch(benchmark::State& state) {
    SearchEngine engine;
    std::vector<Searcher> searchers;
    for (const Case& c : Cases())
        searchers.emplace_back(engine, fast::ToBits(c.board), fast::Kept::kSearch);
    for (auto _ : state)
        for (Searcher& s : searchers) benchmark::DoNotOptimize(s.BestPoint<true>());
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(Cases().size()));
}
BENCHMARK(BM_BestPotentialPoint_FastInSearch);

// ---- A horizon node below the root, open window: every empty point ----

void BM_HorizonNode_Literal(benchmark::State& state) {
    literal::Engine engine;
    PredictedLine line{};
    for (auto _ : state)
        for (const Case& c : Cases()) {
            engine.SearchWidthLimited(c.board, c.colour, 1, 3, 2, -65000.0f, 65000.0f, c.other,
                                      c.own, line);
            benchmark::DoNotOptimize(line);
        }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(Cases().size()));
}
BENCHMARK(BM_HorizonNode_Literal);

void BM_HorizonNode_Fast(benchmark::State& state) {
    SearchEngine engine;
    std::vector<Searcher> searchers;
    for (const Case& c : Cases())
        searchers.emplace_back(engine, fast::ToBits(c.board), fast::Kept::kNone);
    PredictedLine line{};
    for (auto _ : state)
        for (size_t i = 0; i < searchers.size(); ++i) {
            const Case& c = Cases()[i];
            searchers[i].Horizon(c.colour, c.other, c.own, 65000.0f, line, 2, -1, true);
            benchmark::DoNotOptimize(line);
        }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(Cases().size()));
}
BENCHMARK(BM_HorizonNode_Fast);

// ---- Whole suggestions over the bench set ----

// The suggestion driver's steps, on the literal reading.
void LiteralSuggest(literal::Engine& e, const Board& b, int32_t colour, int32_t depth,
                    int32_t width, bool fullWidth) {
    e.ProgressTotal = fullWidth ? b.CountOf(Empty) : width;
    for (int i = 1; i <= 15; ++i) e.Line[i].column = -1;
    e.ProgressCount = 0;
    e.PositionsEvaluated = 0;
    const float own = static_cast<float>(literal::TotalScore(colour, b));
    const float other = static_cast<float>(literal::TotalScore(Opponent(colour), b));
    e.CancelRequested = false;
    if (fullWidth)
        e.SearchFullWidth(b, colour, depth, depth, -65000, 65000, other, own, e.Line, kNoMove);
    else
        e.SearchWidthLimited(b, colour, depth, width, depth, -65000, 65000, other, own, e.Line);
    e.Line[depth + 1].column = -1;
}

// Arguments: depth, width (0: full width), first and last position + 1.
template <bool Literal>
void BM_Suggest(benchmark::State& state) {
    const auto depth = static_cast<int32_t>(state.range(0));
    const auto width = static_cast<int32_t>(state.range(1));
    const bool fullWidth = width == 0;
    const auto first = static_cast<size_t>(state.range(2));
    const auto last = std::min(static_cast<size_t>(state.range(3)), Cases().size());
    int64_t positions = 0;
    for (auto _ : state) {
        for (size_t i = first; i < last; ++i) {
            const Case& c = Cases()[i];
            if constexpr (Literal) {
                literal::Engine engine;
                LiteralSuggest(engine, c.board, c.colour, depth, width, fullWidth);
                positions += engine.PositionsEvaluated;
            } else {
                SearchEngine engine;
                SuggestMove(engine, c.board, c.colour, depth, width, fullWidth, depth);
                positions += engine.PositionsEvaluated;
            }
        }
    }
    state.SetItemsProcessed(positions);
    state.counters["positions"] = benchmark::Counter(static_cast<double>(positions) /
                                                     static_cast<double>(state.iterations()));
}

// The heavy settings a user can pick run on the middle-game positions (4 to
// 7); full width at depth 8 leaves out the first of them, whose literal
// reading alone takes several seconds.
void SuggestArgs(benchmark::internal::Benchmark* b) {
    const int64_t n = kBenchPositions.size();
    b->Args({11, 3, 0, n})->Args({11, 5, 0, n})->Args({6, 0, 0, n});
    b->Args({11, 3, 3, 7})->Args({11, 5, 3, 7})->Args({11, 6, 3, 7});
    b->Args({12, 5, 3, 7})->Args({13, 4, 3, 7});
    b->Args({6, 0, 3, 7})->Args({8, 0, 4, 7});
    b->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_Suggest<false>)->Name("BM_Suggest_Fast")->Apply(SuggestArgs);
BENCHMARK(BM_Suggest<true>)->Name("BM_Suggest_Literal")->Apply(SuggestArgs);

// The fast engine on several threads: depth, width (0: full width), first
// and last position + 1, threads. One engine keeps its threads from search
// to search, as the desktop program's does; the time is the wall clock's.
void BM_SuggestThreads(benchmark::State& state) {
    const auto depth = static_cast<int32_t>(state.range(0));
    const auto width = static_cast<int32_t>(state.range(1));
    const auto first = static_cast<size_t>(state.range(2));
    const auto last = std::min(static_cast<size_t>(state.range(3)), Cases().size());
    SearchEngine engine;
    engine.Threads = static_cast<int32_t>(state.range(4));
    int64_t positions = 0;
    for (auto _ : state)
        for (size_t i = first; i < last; ++i) {
            const Case& c = Cases()[i];
            SuggestMove(engine, c.board, c.colour, depth, width, width == 0, depth);
            positions += engine.PositionsEvaluated;
        }
    state.SetItemsProcessed(positions);
    state.counters["positions"] = benchmark::Counter(static_cast<double>(positions) /
                                                     static_cast<double>(state.iterations()));
}
BENCHMARK(BM_SuggestThreads)
    ->Args({8, 0, 3, 7, 1})
    ->Args({8, 0, 3, 7, 2})
    ->Args({8, 0, 3, 7, 4})
    ->Args({13, 5, 3, 7, 1})
    ->Args({13, 5, 3, 7, 2})
    ->Args({13, 5, 3, 7, 4})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The strong player on a node budget: budget, first and last position + 1.
// Its positions are every move it tries, inner ones included, so its rate
// reads next to the classic searches' leaf rate only as a measure of work.
void BM_SuggestStrong(benchmark::State& state) {
    const int64_t nodes = state.range(0);
    const auto first = static_cast<size_t>(state.range(1));
    const auto last = std::min(static_cast<size_t>(state.range(2)), Cases().size());
    // One engine, its table kept from search to search as the desktop
    // program's is.
    Engine engine;
    int64_t positions = 0;
    for (auto _ : state)
        for (size_t i = first; i < last; ++i) {
            const Case& c = Cases()[i];
            SearchRequest request;
            request.kind = SearchKind::Strong;
            request.position = c.board;
            request.colour = c.colour;
            request.nodes = nodes;
            positions += engine.Search(request).positions;
        }
    state.SetItemsProcessed(positions);
    state.counters["positions"] = benchmark::Counter(static_cast<double>(positions) /
                                                     static_cast<double>(state.iterations()));
}
BENCHMARK(BM_SuggestStrong)
    ->Args({200000, 0, static_cast<int64_t>(kBenchPositions.size())})
    ->Args({1000000, 3, 7})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qv

BENCHMARK_MAIN();
