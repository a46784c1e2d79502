#include "engine/strong_time.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "board_helpers.h"
#include "engine/strong_search.h"

namespace qv::strong {
namespace {

// Iterations of known lengths on a clock that only moves when told: whether
// the rule starts the next one at the end of the last.
TEST(StrongTime, StartsAnIterationOnlyWhenItCanEnd) {
    const struct {
        const char* why;
        std::vector<double> iterations;  // ms each, in order
        bool starts;
    } cases[] = {
        {"well below 0.85 T", {10, 30}, true},
        {"past 0.85 T, the next at 2.5 times the last would overrun", {50, 125}, false},
        {"past 0.85 T after a long iteration", {2, 4, 170}, false},
        {"past 0.85 T, short iterations growing twofold", {150, 10, 4, 8}, true},
        {"at the hard limit", {192}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        double now = 1000;
        const Clock clock = [&now] { return now; };
        TimeManager time(MovetimeBudget(200), clock);
        for (double ms : c.iterations) {
            now += ms;
            time.IterationDone();
        }
        EXPECT_EQ(time.StartNext(), c.starts);
    }
    double now = 0;
    const Clock clock = [&now] { return now; };
    const TimeManager time(MovetimeBudget(200), clock);
    now = 191.9;
    EXPECT_FALSE(time.Expired());
    now = 192;
    EXPECT_TRUE(time.Expired());
}

// The search itself on a clock that moves with the work done (half a
// millisecond each time it is read, every 1024 positions or so): a move takes
// between 0.85 T and T, and depth= ends it after that iteration.
TEST(StrongTime, SearchSpendsMovetimeAndStopsAtTheLimit) {
    std::mt19937 rng(7);
    SearchRequest request;
    request.kind = SearchKind::Strong;
    request.position = qv::testing::RandomBoard(rng, 0.2);
    request.colour = Red;
    request.tableMiB = 2;
    for (int32_t movetime : {40, 200}) {
        SCOPED_TRACE(movetime);
        request.movetimeMs = movetime;
        double now = 0;
        Search search;
        search.SetClock([&now] { return now += 0.5; });
        const SearchResult r = search.Run(request, request.strong, {}, nullptr, nullptr);
        EXPECT_GE(r.elapsedMs, 0.85 * movetime);
        EXPECT_LE(r.elapsedMs, movetime);
        EXPECT_NE(r.line[1].column, -1);
    }
    Params three;
    three.maxDepth = 3;
    request.movetimeMs = 600000;
    Search search;
    const SearchResult r = search.Run(request, three, {}, nullptr, nullptr);
    EXPECT_EQ(r.depthReached, 3);
}

// Over a whole game on a clock, spending each share as it is handed out:
// a clock long enough is never overdrawn, the largest shares fall in the middle game,
// and every share keeps the margin.
TEST(StrongTime, ClockIsSharedOverTheGame) {
    for (int64_t clock : {int64_t{200}, int64_t{10000}, int64_t{600000}}) {
        SCOPED_TRACE(clock);
        double left = static_cast<double>(clock);
        int32_t peak = 0;
        double largest = 0;
        for (int32_t ply = 0; ply < kPoints; ply += 2) {
            const auto ms = static_cast<int64_t>(left);
            const MoveBudget b = ClockBudget(ms, 0, 0, ply, kPoints - ply);
            EXPECT_LE(b.hardMs, std::max(kClockMinimumMs, static_cast<double>(ms) - 20.0));
            EXPECT_LE(b.targetMs, b.hardMs);
            if (b.targetMs > largest) largest = b.targetMs, peak = ply;
            left -= b.targetMs;
        }
        // A short clock runs out into the minimum a move, by design.
        if (clock >= 10000) {
            EXPECT_GE(left, 0);
            EXPECT_GE(peak, 24);
            EXPECT_LE(peak, 40);
        }
    }
    // Out of time: the minimum, not nothing; moves to go and an increment.
    EXPECT_EQ(ClockBudget(0, 0, 0, 30, 34).targetMs, kClockMinimumMs);
    EXPECT_NEAR(ClockShareMs(1000, 0, 1, 30, 34), 1000, 1e-9);
    EXPECT_GT(ClockShareMs(1000, 100, 0, 30, 34), ClockShareMs(1000, 0, 0, 30, 34));
}

}  // namespace
}  // namespace qv::strong
