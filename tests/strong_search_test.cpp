#include "engine/strong_search.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "board_helpers.h"
#include "engine/engine.h"
#include "engine/search_engine.h"
#include "engine/suggest.h"
#include "model/board_text.h"
#include "model/scoring.h"

namespace qv {
namespace {

// Red on a 4 x 4 block in the top left corner (156 points), less the holes.
Board RedBlockLess(std::initializer_list<Point> holes) {
    Board b;
    for (int32_t c = 1; c <= 4; ++c)
        for (int32_t r = 1; r <= 4; ++r) b(c, r) = Red;
    for (Point p : holes) b(p.column, p.row) = Empty;
    return b;
}

SearchRequest StrongRequest(const Board& board, int32_t colour, int64_t nodes) {
    SearchRequest request;
    request.kind = SearchKind::Strong;
    request.position = board;
    request.colour = colour;
    request.nodes = nodes;
    request.tableMiB = 4;
    return request;
}

TEST(StrongSearch, FindsWinsAndBestMovesOnANodeBudget) {
    const Board corners = testing::With({{1, 1}, {8, 1}, {1, 8}}, Red);
    const struct {
        const char* name;
        Board board;
        int32_t colour;
        const char* point;  // "" : any
        const char* caption;
    } cases[] = {
        {"win in one", RedBlockLess({{1, 1}}), Red, "A,8", "Predicted Win in 1 moves"},
        {"forced win in three", RedBlockLess({{1, 1}, {4, 4}}), Red, "",
         "Predicted Win in 3 moves"},
        {"blocks the largest square", corners, Blue, "H,1", ""},
        {"takes the largest square", corners, Red, "H,1", ""},
    };
    Engine engine;
    for (const auto& c : cases) {
        const SearchResult r = engine.Search(StrongRequest(c.board, c.colour, 200000));
        const ScoredMove& m = r.line[1];
        if (*c.point) {
            EXPECT_EQ(PointName(m.column, m.row), c.point) << c.name;
        }
        if (*c.caption) {
            EXPECT_EQ(r.caption, c.caption) << c.name;
            EXPECT_GE(r.value, 1000.0f) << c.name;
        }
        EXPECT_EQ(r.value, m.score) << c.name;
        EXPECT_GE(r.depthReached, 1) << c.name;
        EXPECT_EQ(r.rootMoves, r.depthReached) << c.name;
    }
    std::mt19937 rng(1);
    const SearchResult full =
        engine.Search(StrongRequest(testing::RandomBoard(rng, 2.0), Red, 1000));
    EXPECT_TRUE(full.boardWasFull);
    EXPECT_EQ(full.caption, "No move: the board is full");
    EXPECT_EQ(full.line[1].column, -1);
}

// With the classic evaluation and no reductions, every depth's value is the
// full-width search's: the table, the ordering and the windows lose nothing.
// Six open boards, and a few hundred where a colour nears 150 so that
// decided values run through the table.
TEST(StrongSearch, ClassicValueAtFixedDepths) {
    struct Case {
        Board board;
        int32_t colour;
        int32_t depth;
    };
    // A win found below a node's own depth once read from the table as a
    // loss here.
    std::vector<Case> cases{
        {ParseBoardText(".rr.rr.r/.br....r/.rb..rb./b.brb.../.b....bb/rb.rrb.r/rrbrrr../.r.b.r.r"),
         Blue, 4}};
    std::mt19937 rng(15);
    for (int i = 0; i < 6; ++i)
        for (int32_t depth : {3, 4})
            cases.push_back({testing::RandomBoard(rng, 0.2 + 0.07 * i), i % 2 ? Red : Blue, depth});
    SearchEngine classic;
    const auto classicValue = [&classic](const Board& b, int32_t colour, int32_t depth) {
        SuggestMove(classic, b, colour, depth, 64, true, depth);
        return classic.Line[1].score;
    };
    std::uniform_real_distribution<double> share(0.3, 0.6);
    for (int near = 0; near < 400;) {
        const Board board = testing::RandomBoard(rng, share(rng));
        const int32_t colour = near % 2 ? Red : Blue;
        const int32_t top = std::max(TotalScore(Red, board), TotalScore(Blue, board));
        // Not decided within two plies: the decisions fall inside the tree.
        if (top < 100 || top >= 150 || std::abs(classicValue(board, colour, 2)) >= 1000.0f)
            continue;
        cases.push_back({board, colour, 4 + near % 2});
        ++near;
    }
    strong::Search search;
    int decided = 0;
    for (const Case& c : cases) {
        strong::Params params;
        params.eval.classic = true;
        params.selective = false;
        params.maxDepth = c.depth;
        SearchRequest request = StrongRequest(c.board, c.colour, 1000000000);
        request.tableMiB = 1;
        const SearchResult r = search.Run(request, params, {}, nullptr, nullptr);
        // A decided value ends the deepening early; it is then that
        // depth's value.
        ASSERT_GE(r.depthReached, 1);
        if (r.depthReached < c.depth) {
            ASSERT_GE(std::abs(r.value), 1000.0f);
        }
        decided += std::abs(r.value) >= 1000.0f;
        EXPECT_EQ(r.value, classicValue(c.board, c.colour, r.depthReached))
            << "depth " << r.depthReached << ", " << (c.colour == Red ? "Red" : "Blue")
            << " to move\n"
            << FormatBoardText(c.board);
    }
    EXPECT_GE(decided, 200);
}

// A node budget gives the same answer on a fresh Engine and on one that
// searched before, on several threads, whatever its table holds.
TEST(StrongSearch, NodeBudgetIsDeterministic) {
    std::mt19937 rng(3);
    const Board board = testing::RandomBoard(rng, 0.3);
    const SearchRequest request = StrongRequest(board, Blue, 30000);
    Engine used, fresh;
    SearchRequest before = StrongRequest(testing::RandomBoard(rng, 0.25), Red, 50000);
    before.threads = 3;
    used.Search(before);
    const SearchResult a = used.Search(request), b = fresh.Search(request);
    EXPECT_EQ(a.line, b.line);
    EXPECT_EQ(a.positions, b.positions);
    EXPECT_EQ(a.depthReached, b.depthReached);
    EXPECT_EQ(a.caption, b.caption);
}

// A clock of 200 ms is spent, not left mostly unused, and is enough for four
// plies on an open board.
TEST(StrongSearch, SpendsItsMovetime) {
    std::mt19937 rng(5);
    SearchRequest request = StrongRequest(testing::RandomBoard(rng, 0.15), Red, 0);
    request.movetimeMs = 200;
    Engine engine;
    const SearchResult r = engine.Search(request);
    EXPECT_GE(r.elapsedMs, 100.0);
    EXPECT_LE(r.elapsedMs, 400.0);
    EXPECT_GE(r.depthReached, 4);
}

// Several threads share one search: the answer is a move of the board, every
// thread's positions count against the budget, and a cancel or abort ends
// every thread at once.
TEST(StrongSearch, ThreadsShareTheSearch) {
    std::mt19937 rng(9);
    const Board board = testing::RandomBoard(rng, 0.2);
    Engine engine;
    SearchRequest request = StrongRequest(board, Red, 200000);
    request.threads = 3;
    const SearchResult r = engine.Search(request);
    EXPECT_EQ(r.threads, 3);
    ASSERT_NE(r.line[1].column, -1);
    EXPECT_EQ(board(r.line[1].column, r.line[1].row), Empty);
    // Each thread stops within a poll of 1,024 positions past the budget.
    EXPECT_GE(r.positions, 200000);
    EXPECT_LE(r.positions, 200000 + 3 * 1100);

    for (const bool abort : {false, true}) {
        request.nodes = 0;
        request.movetimeMs = 600000;
        const auto started = std::chrono::steady_clock::now();
        int polls = 0;
        const SearchResult s = engine.Search(request, {}, [&] {
            if (++polls == 200) abort ? engine.Abort() : engine.Cancel();
        });
        engine.ClearStop();
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
        EXPECT_TRUE(s.cancelled);
        EXPECT_NE(s.line[1].column, -1);  // the last finished iteration's
    }
}

// Threads storing and probing the same buckets at once: a probe finds
// nothing or what was stored under its own key, never parts of two entries.
TEST(StrongTable, ConcurrentWritersLeaveWholeEntries) {
    strong::Table table;
    table.Resize(1);
    table.NewSearch();
    // The data of an entry follows from its key, so a mix shows.
    const auto value = [](uint64_t key) { return static_cast<int32_t>(key >> 40) - (1 << 23); };
    const auto move = [](uint64_t key) { return static_cast<int>((key >> 20) % 64); };
    const auto draft = [](uint64_t key) { return static_cast<int32_t>((key >> 30) % 60); };
    // Twelve keys a bucket over eight buckets: slots change hands all the time.
    std::vector<uint64_t> keys;
    std::mt19937_64 rng(11);
    for (int i = 0; i < 96; ++i) keys.push_back((rng() & ~uint64_t{0xffff}) | (i % 8));
    std::atomic<int64_t> found{0}, wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            std::mt19937 pick(static_cast<uint32_t>(t));
            for (int i = 0; i < 200000; ++i) {
                const uint64_t key = keys[pick() % keys.size()];
                if (pick() % 2 == 0) {
                    table.Store(key, value(key), 0, move(key), draft(key),
                                static_cast<strong::Bound>(1 + key % 3));
                    continue;
                }
                strong::Entry e;
                if (!table.Probe(key, e)) continue;
                ++found;
                if (e.key != key || e.value != value(key) || e.move != move(key) ||
                    e.draft != draft(key) || e.bound != static_cast<strong::Bound>(1 + key % 3))
                    ++wrong;
            }
        });
    for (std::thread& t : threads) t.join();
    EXPECT_GT(found.load(), 0);
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace qv
