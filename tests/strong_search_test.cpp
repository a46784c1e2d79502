#include "engine/strong_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
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
// searched before, whatever its table holds.
TEST(StrongSearch, NodeBudgetIsDeterministic) {
    std::mt19937 rng(3);
    const Board board = testing::RandomBoard(rng, 0.3);
    const SearchRequest request = StrongRequest(board, Blue, 30000);
    Engine used, fresh;
    used.Search(StrongRequest(testing::RandomBoard(rng, 0.25), Red, 50000));
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

}  // namespace
}  // namespace qv
