#include "tuning/evolution.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "model/savedgame.h"
#include "tuning/parallel_rounds.h"
#include "tuning/trace.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

TEST(EvolutionRandom, KnownSequence) {
    // Seed 7, the draws of the first individual (values from an independent calculation).
    EvolutionRandom rnd(7);
    const int32_t ranges[] = {11, 10, 6, 11, 10, 6, 5, 4, 8};
    const int32_t expected[] = {2, 8, 1, 7, 0, 1, 1, 2, 5};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(rnd.Random(ranges[i]), expected[i]) << i;
    EXPECT_EQ(rnd.State(), 3205274908u);
}

TEST(EvolutionRandom, FirstIndividualFromSeedSeven) {
    EvolutionRandom rnd(7);
    const EngineProfile p = CreateIndividual(rnd, 1);
    const EngineProfile expected{1, 5, 3, 2, 9, 1, 7, 1, 1, 0, 0, 1, 0, 3, 2, 7};
    EXPECT_EQ(p, expected);
}

TEST(Evolution, CreationRanges) {
    EvolutionRandom rnd(12345);
    const std::pair<int32_t, int32_t> range[16] = {
        {1, 1}, {5, 5}, {3, 3}, {0, 10}, {1, 10}, {0, 5}, {0, 10}, {1, 10},
        {0, 5}, {0, 0}, {0, 0}, {7, 7},  {0, 0},  {2, 6}, {0, 3},  {2, 9}};
    std::array<std::pair<int32_t, int32_t>, 16> seen;
    seen.fill({1000, -1000});
    for (int i = 0; i < 2000; ++i) {
        const EngineProfile p = CreateIndividual(rnd, 7);
        for (int g = 0; g < 16; ++g) {
            seen[g].first = std::min(seen[g].first, p[g]);
            seen[g].second = std::max(seen[g].second, p[g]);
        }
    }
    for (int g = 0; g < 16; ++g) EXPECT_EQ(seen[g], range[g]) << "gene " << g;
}

TEST(Evolution, LadderPermutation) {
    Population pop{};
    // Identity = slot; the Blue side (even slot) wins odd games, Red wins even ones.
    for (int k = 1; k <= 20; ++k) {
        pop[k][11] = k;
        const int g = (k + 1) / 2;
        const bool red = k % 2 == 1;
        pop[k][12] = (g % 2 == 1) != red ? 1 : 0;
    }
    RearrangeLadder(pop);
    // W1 W2 L1 W3 L2 W4 L3 W5 L4 W6 L5 W7 L6 W8 L7 W9 L8 W10 L9 L10
    const int expected[21] = {0, 2,  3,  1,  6,  4,  7,  5,  10, 8, 11,
                              9, 14, 12, 15, 13, 18, 16, 19, 17, 20};
    for (int k = 1; k <= 20; ++k) EXPECT_EQ(pop[k][11], expected[k]) << "slot " << k;
}

TEST(Evolution, ChildClampsAndKeepsSearchGenes) {
    EvolutionRandom rnd(99);
    EngineProfile high{1, 11, 10, 10, 10, 5, 10, 10, 5, 3, 4, 8, 1, 7, 3, 10};
    EngineProfile low{1, 1, 1, 0, 1, 0, 0, 1, 0, 0, 0, 9, 0, 2, 0, 2};
    for (int i = 0; i < 500; ++i) {
        const EngineProfile c = MakeChild(rnd, i % 2 ? high : low, i % 3 ? low : high, 42);
        EXPECT_EQ(c[9], 0);
        EXPECT_EQ(c[10], 0);
        EXPECT_EQ(c[11], 42);
        EXPECT_LE(c[1] * c[2], 50);
        EXPECT_GE(c[13], 2);
        EXPECT_LE(c[13], 7);
        EXPECT_GE(c[15], 2);
        EXPECT_LE(c[15], 10);
        EXPECT_GE(c[4], 1);
        EXPECT_LE(c[8], 5);
        EXPECT_GE(c[8], 0);
    }
}

TEST(Evolution, LineFormatsMatchTheExamples) {
    EngineProfile p{1, 5, 3, 5, 3, 2, 7, 4, 1, 1, 0, 25, 1, 4, 2, 9};
    EXPECT_EQ(PopulationLine(3, 12, p),
              "  3 12  25:  1  5  3 *  4  2  9 *  5  3  2 *  7  4  1 (1-0)");
    p[9] = 0;
    p[10] = 2;
    p[11] = 7;
    EXPECT_EQ(EliminationLine(p), "Eliminated #  7:  1 5 3  4 2 9  5 3 2  7 4 1 (0-2)");
    // Values that fill their width run together.
    p[13] = 100;
    EXPECT_EQ(EliminationLine(p), "Eliminated #  7:  1 5 3100 2 9  5 3 2  7 4 1 (0-2)");
}

class EvolutionRun : public ::testing::Test {
  protected:
    fs::path path;
    void SetUp() override {
        path = fs::temp_directory_path() /
               ("qv-trace-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt");
    }
    void TearDown() override { fs::remove(path); }
    std::string Trace() const {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        size_t start = 0;
        for (size_t i; (i = text.find("\r\n", start)) != std::string::npos; start = i + 2)
            lines.push_back(text.substr(start, i - start));
        return lines;
    }
};

// A quick, deterministic stand-in for an engine game.
int FakeGame(const EngineProfile& red, const EngineProfile& blue) {
    return (red[11] + blue[11] + red[3]) % 3 == 0 ? kBlueWon : kRedWon;
}

TEST_F(EvolutionRun, SerialAndRoundwiseTracesAreIdentical) {
    EvolutionHooks serial;
    serial.playGame = FakeGame;
    {
        TraceFile t(path.string());
        EXPECT_TRUE(RunEvolution(7, 6, t, serial));
    }
    const std::string a = Trace();
    EvolutionHooks roundwise;
    roundwise.playRound = [](const std::array<Pairing, kGamesPerRound>& pairs) {
        std::array<int, kGamesPerRound> r{};
        for (int g = kGamesPerRound - 1; g >= 0; --g) r[g] = FakeGame(pairs[g].red, pairs[g].blue);
        return r;
    };
    {
        TraceFile t(path.string());
        EXPECT_TRUE(RunEvolution(7, 6, t, roundwise));
    }
    EXPECT_EQ(Trace(), a);
    const auto lines = Lines(a);
    ASSERT_GT(lines.size(), 25u);
    EXPECT_EQ(lines.front(), "Begin");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], "Round: 1");
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[4], "");  // nobody is eliminated in round 1
    EXPECT_EQ(lines[5].substr(0, 11), "  1  1   1:");
    EXPECT_EQ(lines.back(), "End");
}

TEST_F(EvolutionRun, EliminatesAtTwoLossesMoreThanWins) {
    // Red always wins: after round 2 the Blue side of the ladder holds 0-2 records.
    EvolutionHooks hooks;
    int pairings = 0;
    hooks.gameStarting = [&](int round, int game, int32_t red, int32_t blue) {
        if (round == 1 && game == 1) {
            EXPECT_EQ(red, 1);
            EXPECT_EQ(blue, 2);
        }
        ++pairings;
    };
    hooks.playGame = [](const EngineProfile&, const EngineProfile&) { return kRedWon; };
    {
        TraceFile t(path.string());
        RunEvolution(3, 2, t, hooks);
    }
    EXPECT_EQ(pairings, 20);
    const auto lines = Lines(Trace());
    int eliminated = 0, replaced = 0;
    for (const auto& l : lines) {
        if (l.rfind("Eliminated #", 0) == 0) {
            ++eliminated;
            EXPECT_NE(l.find("(0-2)"), std::string::npos) << l;
        }
        if (l.rfind("  Replaced with ", 0) == 0) ++replaced;
    }
    EXPECT_GT(eliminated, 0);
    EXPECT_EQ(eliminated, replaced);
    // The first child is 21 and starts at 0-0 in its round's population line.
    bool sawChild = false;
    for (const auto& l : lines)
        if (l.size() > 11 && l.substr(7, 4) == " 21:") {
            sawChild = true;
            EXPECT_EQ(l.substr(l.size() - 5), "(0-0)");
        }
    EXPECT_TRUE(sawChild);
}

TEST_F(EvolutionRun, HaltedTraceEndsAfterTheRoundLine) {
    // Game by game (the window) or a round at once (the command line).
    for (const bool roundwise : {false, true}) {
        SCOPED_TRACE(roundwise ? "roundwise" : "game by game");
        EvolutionHooks hooks;
        int games = 0;
        bool haltedShown = false;
        hooks.playGame = [&](const EngineProfile&, const EngineProfile&) {
            ++games;
            return kBlueWon;
        };
        if (roundwise)
            hooks.playRound = [&](const std::array<Pairing, kGamesPerRound>&) {
                games += kGamesPerRound;
                std::array<int, kGamesPerRound> results;
                results.fill(kBlueWon);
                return results;
            };
        hooks.cancelRequested = [&] { return games == (roundwise ? 20 : 13); };
        hooks.halted = [&] { haltedShown = true; };
        {
            TraceFile t(path.string());
            EXPECT_FALSE(RunEvolution(5, 100, t, hooks));
        }
        EXPECT_TRUE(haltedShown);
        const auto lines = Lines(Trace());
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[lines.size() - 2], "Round: 2");
        EXPECT_EQ(lines.back(), "End");
    }
}

// The target keeps what it had until the file is closed; a file that wrote
// nothing (its command was refused) leaves it as it was.
TEST_F(EvolutionRun, TraceReplacesItsTargetWhenClosed) {
    { std::ofstream(path, std::ios::binary) << "earlier"; }
    { TraceFile unused(path.string()); }
    EXPECT_EQ(Trace(), "earlier");
    {
        TraceFile t(path.string());
        t.Line("Begin");
        EXPECT_EQ(Trace(), "earlier");
        t.Line("End");
    }
    EXPECT_EQ(Trace(), "Begin\r\nEnd\r\n");
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(path.parent_path()))
        files += entry.path().filename().string().starts_with(path.filename().string());
    EXPECT_EQ(files, 1u) << "no temporary file is left behind";
}

// A game that throws on a worker thread reaches the caller of the round.
TEST(ParallelRounds, AFailedGameEndsTheRoundWithItsException) {
    ParallelRounds pool(3, [](const EngineProfile& red, const EngineProfile&) -> int {
        if (red[3] == 5) throw std::runtime_error("no memory");
        return kRedWon;
    });
    std::array<Pairing, kGamesPerRound> pairs{};
    for (int g = 0; g < kGamesPerRound; ++g) pairs[g].red[3] = g;  // ten games apart
    EXPECT_THROW(pool.PlayRound(pairs), std::runtime_error);
}

TEST(TraceFile, UncreatableTraceReportsAnError) {
    try {
        TraceFile t("/nonexistent-dir/TRACE.TXT");
        ADD_FAILURE();
    } catch (const GameError& e) {
        EXPECT_STREQ(e.what(), "File not found");
    }
}

TEST(TraceFile, FullDeviceReportsDiskFull) {
    if (!fs::exists("/dev/full")) GTEST_SKIP();
    TraceFile t("/dev/full");
    try {
        t.Line("Begin");
        ADD_FAILURE();
    } catch (const GameError& e) {
        EXPECT_STREQ(e.what(), "Disk full");
    }
}

}  // namespace
}  // namespace qv

namespace qv {
namespace {

// Games of uneven, shuffled length, so threads finish in every order.
int SlowFakeGame(const EngineProfile& red, const EngineProfile& blue) {
    std::this_thread::sleep_for(std::chrono::microseconds(((red[3] * 7 + blue[4] * 13) % 11) * 50));
    return (red[11] + blue[11] + red[3] + blue[7]) % 3 == 0 ? kBlueWon : kRedWon;
}

TEST_F(EvolutionRun, ThreadsAndGamesAheadGiveTheSameTrace) {
    EvolutionHooks serial;
    serial.playGame = [](const EngineProfile& r, const EngineProfile& b) {
        return SlowFakeGame(r, b);
    };
    {
        TraceFile t(path.string());
        ASSERT_TRUE(RunEvolution(11, 12, t, serial));
    }
    const std::string expected = Trace();
    for (int threads : {2, 3, 5}) {
        ParallelRounds pool(threads, SlowFakeGame);
        EvolutionHooks parallel;
        parallel.playRound = [&](const std::array<Pairing, kGamesPerRound>& pairs) {
            return pool.PlayRound(pairs);
        };
        {
            TraceFile t(path.string());
            ASSERT_TRUE(RunEvolution(11, 12, t, parallel));
        }
        EXPECT_EQ(Trace(), expected) << threads << " threads";
        // Each distinct pairing is played once, however early it started.
        EXPECT_LE(pool.GamesPlayed(), 12 * kGamesPerRound);
    }
}

}  // namespace
}  // namespace qv
