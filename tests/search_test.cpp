#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "board_helpers.h"
#include "engine/bench_set.h"
#include "engine/engine.h"
#include "engine/evaluate.h"
#include "engine/report.h"
#include "engine/search_engine.h"
#include "engine/suggest.h"
#include "model/scoring.h"

namespace qv {
namespace {

using testing::With;

Board FullBoard() {
    Board b;
    for (int i = 0; i < kPoints; ++i) b[i] = (i * 7) % 3 == 0 ? Red : Blue;
    return b;
}

// Every point filled except the given ones.
Board AllBut(std::initializer_list<Point> empty) {
    Board b = FullBoard();
    for (Point p : empty) b(p.column, p.row) = Empty;
    return b;
}

struct Mode {
    const char* name;
    bool fullWidth;
    int32_t width;
};
const Mode kModes[] = {{"full width", true, 0}, {"width 3", false, 3}, {"width 1", false, 1}};

TEST(Search, DepthOneTriesEveryPointAndKeepsTheBest) {
    const Board b = With({{1, 1}, {2, 1}, {1, 2}}, Red);
    for (const Mode& mode : kModes) {
        SearchEngine engine;
        const Suggestion s = SuggestMove(engine, b, Red, 1, mode.width, mode.fullWidth, 1);
        SCOPED_TRACE(mode.name);
        EXPECT_EQ(engine.PositionsEvaluated, 61);
        EXPECT_EQ(engine.ProgressCount, 61);
        EXPECT_EQ(engine.Line[1], (ScoredMove{2, 2, 4.0f}));
        EXPECT_EQ(engine.Line[2], kNoMove);
        EXPECT_EQ(s.caption, "4 in 1 moves");
        EXPECT_EQ(engine.ProgressPosition, 100);
    }
}

TEST(Search, FullBoardTriesNothing) {
    for (const Mode& mode : kModes) {
        for (int32_t depth : {1, 3, 11}) {
            SearchEngine engine;
            const Suggestion s =
                SuggestMove(engine, FullBoard(), Blue, depth, 3, mode.fullWidth, depth);
            SCOPED_TRACE(std::string(mode.name) + " depth " + std::to_string(depth));
            EXPECT_EQ(engine.PositionsEvaluated, 0);
            EXPECT_EQ(engine.ProgressCount, 0);
            EXPECT_EQ(engine.ProgressPosition, 0);
            EXPECT_EQ(engine.Line[1], kNoMove);
            EXPECT_TRUE(s.boardWasFull);
            EXPECT_EQ(s.caption, "No move: the board is full");
            EXPECT_FALSE(ShouldSwitchToFullWidth(s.value, mode.fullWidth, s.boardWasFull));
        }
    }
}

// A full random board whose colours stay within 15 points of each other, so
// that nothing on it is decided.
Board UndecidedFullBoard(uint32_t seed, Point p, int32_t colour) {
    std::mt19937 rng(seed);
    for (;;) {
        Board b = testing::RandomBoard(rng, 1.0);
        b(p.column, p.row) = colour;
        if (std::abs(TotalScore(Red, b) - TotalScore(Blue, b)) < 8) return b;
    }
}

TEST(Search, MoveThatFillsTheBoardIsALeaf) {
    // One empty point, searched deep: the only move is valued, never deepened.
    const Board after = UndecidedFullBoard(1, {5, 5}, Red);
    Board one = after;
    one(5, 5) = Empty;
    const float expected = EvaluatePosition(6, static_cast<float>(TotalScore(Red, after)),
                                            static_cast<float>(TotalScore(Blue, one)));
    ASSERT_LT(std::abs(expected), 1000.0f) << "the test wants an undecided position";
    for (const Mode& mode : kModes) {
        SearchEngine engine;
        const Suggestion s = SuggestMove(engine, one, Red, 6, 3, mode.fullWidth, 6);
        SCOPED_TRACE(mode.name);
        EXPECT_EQ(engine.PositionsEvaluated, 1);
        EXPECT_EQ(engine.Line[1], (ScoredMove{5, 5, expected}));
        EXPECT_EQ(engine.Line[2].column, -1);
        EXPECT_FALSE(s.boardWasFull);
    }

    // Two empty points: the reply fills the board and is the leaf.
    Board two = UndecidedFullBoard(2, {1, 1}, Blue);
    two(1, 1) = Empty;
    two(8, 8) = Empty;
    for (const Mode& mode : kModes) {
        SearchEngine engine;
        SuggestMove(engine, two, Blue, 5, 3, mode.fullWidth, 5);
        SCOPED_TRACE(mode.name);
        EXPECT_EQ(engine.ProgressCount, 2);
        EXPECT_LT(std::abs(engine.Line[1].score), 65000.0f);
        EXPECT_GT(engine.Line[2].column, 0);
        EXPECT_EQ(engine.Line[3].column, -1);
    }
}

TEST(Search, DecidedRootMoveIsNotSearchedDeeper) {
    // Red's 4 x 4 block is worth 156; without its corner it is short of 150.
    Board b;
    for (int32_t c = 1; c <= 4; ++c)
        for (int32_t r = 1; r <= 4; ++r) b(c, r) = Red;
    b(1, 1) = Empty;
    b = With({{1, 8}, {2, 8}, {3, 6}, {8, 8}}, Blue, b);
    ASSERT_LT(TotalScore(Red, b), 150);
    for (const Mode& mode : kModes) {
        SearchEngine engine;
        const Suggestion s = SuggestMove(engine, b, Red, 4, 3, mode.fullWidth, 4);
        SCOPED_TRACE(mode.name);
        EXPECT_EQ(engine.Line[1].column, 1);
        EXPECT_EQ(engine.Line[1].row, 1);
        EXPECT_GE(engine.Line[1].score, 4 * 1000 + 15);
        EXPECT_EQ(engine.Line[2].column, -1);
        EXPECT_EQ(s.caption, "Predicted Win in 1 moves");
    }
}

TEST(Search, WidthLimitsInnerNodesOnly) {
    // Empty board, width 3: the root tries exactly the first three ranked points.
    SearchEngine engine;
    std::vector<int32_t> seen;
    engine.OnRootMove = [&] { seen.push_back(engine.ProgressCount); };
    SuggestMove(engine, Board{}, Red, 2, 3, false, 2);
    EXPECT_EQ(seen, (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(engine.ProgressPosition, 100);
    const ScoredMove first = engine.Line[1];
    EXPECT_TRUE((first.column == 1 && first.row == 4) || (first.column == 8 && first.row == 5) ||
                (first.column == 8 && first.row == 4));

    // Width beyond the empty points: each is tried once; progress stays below 100.
    SearchEngine wide;
    SuggestMove(wide, AllBut({{1, 1}, {2, 2}, {3, 3}, {4, 4}}), Blue, 3, 10, false, 3);
    EXPECT_EQ(wide.ProgressCount, 4);
    EXPECT_EQ(wide.ProgressPosition, 40);
}

TEST(Search, CancelEndsTheRootAfterTheMoveInProgress) {
    for (const Mode& mode : kModes) {
        SearchEngine engine;
        engine.OnRootMove = [&] { engine.CancelRequested = true; };
        SuggestMove(engine, Board{}, Blue, 3, 3, mode.fullWidth, 3);
        SCOPED_TRACE(mode.name);
        EXPECT_EQ(engine.ProgressCount, 1);
        EXPECT_GT(engine.Line[1].column, 0);
        EXPECT_GT(engine.PositionsEvaluated, 0);
    }
}

// On several threads the root still reports its moves one by one, in order,
// on the calling thread, and Cancel still ends it after the root move in
// progress: every number is the one thread's.
TEST(Search, ParallelRootReportsInOrderAndCancels) {
    const Board b = With({{4, 5}, {6, 3}, {2, 2}}, Blue, With({{4, 4}, {5, 5}, {3, 6}}, Red));
    for (const Mode& mode : kModes) {
        SCOPED_TRACE(mode.name);
        const int32_t depth = mode.fullWidth ? 4 : 6;
        SearchEngine one;
        SuggestMove(one, b, Red, depth, mode.width, mode.fullWidth, depth);
        for (const bool cancel : {false, true}) {
            SearchEngine many;
            many.Threads = 3;
            many.SplitFrom = 2;
            std::vector<int32_t> seen;
            const auto caller = std::this_thread::get_id();
            bool elsewhere = false;
            many.OnRootMove = [&] {
                seen.push_back(many.ProgressCount);
                elsewhere = elsewhere || std::this_thread::get_id() != caller;
                if (cancel) many.CancelRequested = true;
            };
            SuggestMove(many, b, Red, depth, mode.width, mode.fullWidth, depth);
            EXPECT_FALSE(elsewhere);
            std::vector<int32_t> order(seen.size());
            for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int32_t>(i) + 1;
            EXPECT_EQ(seen, order);
            if (cancel) {
                EXPECT_EQ(many.ProgressCount, 1);
                SearchEngine first;
                first.OnRootMove = [&] { first.CancelRequested = true; };
                SuggestMove(first, b, Red, depth, mode.width, mode.fullWidth, depth);
                EXPECT_EQ(many.Line, first.Line);
                EXPECT_EQ(many.PositionsEvaluated, first.PositionsEvaluated);
            } else {
                EXPECT_EQ(many.ProgressCount, one.ProgressCount);
                EXPECT_EQ(many.Line, one.Line);
                EXPECT_EQ(many.PositionsEvaluated, one.PositionsEvaluated);
                EXPECT_EQ(many.PointPotentials, one.PointPotentials);
            }
        }
    }
}

// A Cancel that comes inside a root move ends the search there: the result
// is exactly what a Cancel after the last root move finished gives, or no
// move at all when none was.
TEST(Search, CancelInsideARootMoveKeepsTheRootMovesFinished) {
    const Board b = BenchBoard(kBenchPositions[4]);
    const int32_t colour = SideToMove(b);
    const struct Case {
        const char* name;
        int32_t depth, width;
        bool fullWidth;
        int32_t threads;
        int32_t poll;      // the poll that cancels
        int32_t finished;  // root moves (one thread only; -1: any)
    } cases[] = {
        {"full width, first root move", 7, 0, true, 1, 1, 0},
        {"full width, later root move", 7, 0, true, 1, 20, 18},
        {"width 6, later root move", 11, 6, false, 1, 15, 2},
        {"full width, two threads", 7, 0, true, 2, 20, -1},
        {"width 6, two threads", 11, 6, false, 2, 15, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SearchEngine cut;
        cut.Threads = c.threads;
        int32_t polls = 0;
        cut.OnPoll = [&] {
            if (++polls == c.poll) cut.CancelRequested = true;
        };
        const Suggestion s = SuggestMove(cut, b, colour, c.depth, c.width, c.fullWidth, c.depth);
        ASSERT_TRUE(cut.CancelRequested);
        const int32_t finished = cut.ProgressCount;
        if (c.finished >= 0) {
            EXPECT_EQ(finished, c.finished);
        }
        if (finished == 0) {
            EXPECT_EQ(cut.Line[1], kNoMove);
            EXPECT_EQ(s.caption, kCancelledText);
            continue;
        }
        SearchEngine after;
        after.OnRootMove = [&] {
            if (after.ProgressCount == finished) after.CancelRequested = true;
        };
        const Suggestion a = SuggestMove(after, b, colour, c.depth, c.width, c.fullWidth, c.depth);
        for (int i = 1; i <= 16; ++i) EXPECT_EQ(cut.Line[i], after.Line[i]) << i;
        EXPECT_EQ(s.caption, a.caption);
    }
}

// Cancelled from another thread, a search that would go on for seconds
// returns at once, wherever it is: the first root move of this full-width
// search alone takes seconds.
TEST(Search, CancelFromAnotherThreadEndsADeepSearchAtOnce) {
    const struct Case {
        const char* name;
        SearchKind kind;
        int32_t threads;
    } cases[] = {{"full width", SearchKind::Classic, 1},
                 {"full width, two threads", SearchKind::Classic, 2},
                 {"strong", SearchKind::Strong, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SearchRequest request;
        request.kind = c.kind;
        request.position = BenchBoard(kBenchPositions[3]);
        request.colour = SideToMove(request.position);
        request.depth = 11;
        request.fullWidth = true;
        request.threads = c.threads;
        request.movetimeMs = 600000;
        Engine engine;
        std::chrono::steady_clock::time_point cancelled;
        std::thread canceller([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            cancelled = std::chrono::steady_clock::now();
            engine.Cancel();
        });
        const SearchResult r = engine.Search(request);
        const auto returned = std::chrono::steady_clock::now();
        canceller.join();
        EXPECT_LT(std::chrono::duration<double>(returned - cancelled).count(), 1.0);
        EXPECT_TRUE(r.cancelled);
        if (c.kind == SearchKind::Classic) {
            EXPECT_EQ(r.rootMoves, 0);
            EXPECT_EQ(r.line[1], kNoMove);
            EXPECT_EQ(r.caption, kCancelledText);
        } else {
            // Its first iteration always finishes.
            EXPECT_GE(r.depthReached, 1);
            EXPECT_GE(r.line[1].column, 1);
        }
    }
}

TEST(Search, LineEndsAtTheCommonDepth) {
    SearchEngine engine;
    SuggestMove(engine, Board{}, Red, 6, 1, false, 3);
    for (int i = 1; i <= 3; ++i) EXPECT_GT(engine.Line[i].column, 0) << i;
    EXPECT_EQ(engine.Line[4].column, -1);
}

TEST(Search, AbortFromThePollEndsADeepSearchAtOnce) {
    // Unaborted, either search would run for a very long time.
    const Mode modes[] = {{"full width", true, 0}, {"width 8", false, 8}};
    for (const Mode& mode : modes)
        for (const int32_t threads : {1, 2}) {
            SCOPED_TRACE(std::string(mode.name) + " on " + std::to_string(threads) + " threads");
            SearchEngine engine;
            engine.Threads = threads;
            int32_t polls = 0;
            engine.OnPoll = [&] {
                if (++polls == 3) engine.AbortRequested = true;
            };
            const auto start = std::chrono::steady_clock::now();
            SuggestMove(engine, Board{}, Red, mode.fullWidth ? 9 : 15, mode.width, mode.fullWidth,
                        9);
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            EXPECT_LT(seconds, 1.0);
            EXPECT_EQ(polls, 3);
            EXPECT_TRUE(engine.AbortRequested);
        }
}

// The line holds entries 1..16: a deeper search would write past its end.
TEST(Search, DepthsTheLineCannotHoldAreRefused) {
    const struct {
        int32_t remaining, total;
    } cases[] = {{16, 16}, {17, 17}, {0, 0}, {0, 5}, {6, 5}, {-1, 3}};
    for (const auto& c : cases)
        for (const Mode& mode : kModes) {
            SCOPED_TRACE(std::string(mode.name) + " " + std::to_string(c.remaining) + "/" +
                         std::to_string(c.total));
            SearchEngine engine;
            if (mode.fullWidth)
                EXPECT_THROW(engine.SearchFullWidth(Board{}, Red, c.remaining, c.total, -65000,
                                                    65000, 0, 0, engine.Line),
                             std::invalid_argument);
            else
                EXPECT_THROW(engine.SearchWidthLimited(Board{}, Red, c.remaining, mode.width,
                                                       c.total, -65000, 65000, 0, 0, engine.Line),
                             std::invalid_argument);
            EXPECT_EQ(engine.PositionsEvaluated, 0);
        }
    SearchEngine engine;
    EXPECT_THROW(SuggestMove(engine, Board{}, Blue, 16, 1, false, 11), std::invalid_argument);
    EXPECT_NO_THROW(SuggestMove(engine, Board{}, Blue, 15, 1, false, 11));
    EXPECT_GT(engine.Line[11].column, 0);
}

// The count goes on past 2^31 (the sanitizer build stops at a signed overflow).
TEST(Search, PositionCountPassesTwoToTheThirtyFirst) {
    const Board b = With({{4, 5}, {6, 3}}, Blue, With({{4, 4}, {5, 5}, {3, 6}}, Red));
    for (const Mode& mode : kModes) {
        SCOPED_TRACE(mode.name);
        const auto search = [&](SearchEngine& e) {
            if (mode.fullWidth)
                e.SearchFullWidth(b, Red, 4, 4, -65000, 65000, 0, 0, e.Line);
            else
                e.SearchWidthLimited(b, Red, 4, mode.width, 4, -65000, 65000, 0, 0, e.Line);
        };
        SearchEngine fresh;
        search(fresh);
        SearchEngine counted;
        const int64_t start = int64_t{INT32_MAX} - fresh.PositionsEvaluated / 2;
        counted.PositionsEvaluated = start;
        int32_t polls = 0;
        counted.OnPoll = [&] { ++polls; };
        search(counted);
        EXPECT_EQ(counted.PositionsEvaluated, start + fresh.PositionsEvaluated);
        EXPECT_GT(counted.PositionsEvaluated, INT32_MAX);
        EXPECT_EQ(counted.Line, fresh.Line);
        EXPECT_LE(polls, fresh.PositionsEvaluated / 65536 + 1);
    }
}

TEST(Search, PollingChangesNothingTheSearchFinds) {
    const Board b = With({{4, 5}, {6, 3}}, Blue, With({{4, 4}, {5, 5}, {3, 6}}, Red));
    struct Setting {
        int32_t depth;
        int32_t width;
        bool fullWidth;
    };
    for (const Setting& setting : {Setting{5, 0, true}, Setting{13, 5, false}}) {
        SCOPED_TRACE(setting.depth);
        SearchEngine plain;
        const Suggestion s1 =
            SuggestMove(plain, b, Red, setting.depth, setting.width, setting.fullWidth, 16);
        SearchEngine polled;
        int32_t polls = 0;
        polled.OnPoll = [&] { ++polls; };
        const Suggestion s2 =
            SuggestMove(polled, b, Red, setting.depth, setting.width, setting.fullWidth, 16);
        EXPECT_GT(polls, 1);
        EXPECT_LE(polls, polled.PositionsEvaluated / 65536 + 1);
        EXPECT_EQ(s1.value, s2.value);
        EXPECT_EQ(plain.PositionsEvaluated, polled.PositionsEvaluated);
        EXPECT_EQ(plain.ProgressCount, polled.ProgressCount);
        for (int i = 1; i <= 16; ++i) EXPECT_EQ(plain.Line[i], polled.Line[i]) << i;
        EXPECT_EQ(plain.PointPotentials, polled.PointPotentials);
    }
}

}  // namespace
}  // namespace qv
