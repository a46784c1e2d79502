#include "engine/strong_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "board_helpers.h"
#include "engine/engine.h"
#include "engine/search_engine.h"
#include "engine/suggest.h"
#include "model/board_text.h"

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
TEST(StrongSearch, ClassicValueAtFixedDepths) {
    std::mt19937 rng(15);
    strong::Search search;
    SearchEngine classic;
    for (int i = 0; i < 6; ++i) {
        const Board board = testing::RandomBoard(rng, 0.2 + 0.07 * i);
        const int32_t colour = i % 2 ? Red : Blue;
        for (int32_t depth : {3, 4}) {
            strong::Params params;
            params.eval.classic = true;
            params.selective = false;
            params.maxDepth = depth;
            SearchRequest request = StrongRequest(board, colour, 1000000000);
            request.tableMiB = 1;
            const SearchResult r = search.Run(request, params, {}, nullptr, nullptr);
            // A decided value ends the deepening early; it is then that
            // depth's value.
            ASSERT_GE(r.depthReached, 1);
            if (r.depthReached < depth) {
                ASSERT_GE(std::abs(r.value), 1000.0f);
            }
            SuggestMove(classic, board, colour, r.depthReached, 64, true, r.depthReached);
            EXPECT_EQ(r.value, classic.Line[1].score)
                << "position " << i << " depth " << r.depthReached << "\n"
                << FormatBoardText(board);
        }
    }
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

}  // namespace
}  // namespace qv
