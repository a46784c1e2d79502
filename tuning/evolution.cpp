#include "tuning/evolution.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "tuning/trace.h"

namespace qv {
namespace {

std::string Format(const char* fmt, auto... args) {
    char buf[256];
    const int n = std::snprintf(buf, sizeof buf, fmt, args...);
    return std::string(buf,
                       static_cast<size_t>(std::clamp(n, 0, static_cast<int>(sizeof buf) - 1)));
}

void Clamp(EngineProfile& p, int gene, int32_t lo, int32_t hi) {
    p[gene] = std::clamp(p[gene], lo, hi);
}

void LimitWidth(EngineProfile& p) {
    if (p[kDepth] * p[kWidth] > 50) p[kWidth] = 50 / p[kDepth];
}

}  // namespace

uint32_t TimeOfDaySeed() {
    using namespace std::chrono;
    const auto now = system_clock::now().time_since_epoch();
    return static_cast<uint32_t>(duration_cast<milliseconds>(now).count() % 86400000);
}

EngineProfile CreateIndividual(EvolutionRandom& rnd, int32_t identity) {
    EngineProfile p{};
    p[kSearchFlag] = 1;
    p[kDepth] = 5;
    p[kWidth] = 3;
    LimitWidth(p);
    p[3] = rnd.Random(11);
    p[4] = rnd.Random(10) + 1;
    p[5] = rnd.Random(6);
    p[6] = rnd.Random(11);
    p[7] = rnd.Random(10) + 1;
    p[8] = rnd.Random(6);
    p[kIdentity] = identity;
    p[13] = rnd.Random(5) + 2;
    p[14] = rnd.Random(4);
    p[15] = rnd.Random(8) + 2;
    return p;
}

void RearrangeLadder(Population& pop) {
    // Winners move up one game and losers down one: W1 W2 L1 W3 L2 ... W10 L9 L10.
    Population next = pop;
    for (int g = 1; g <= kGamesPerRound; ++g) {
        const EngineProfile& a = pop[2 * g - 1];
        const EngineProfile& b = pop[2 * g];
        const EngineProfile& winner = a[kWonLast] == 1 ? a : b;
        const EngineProfile& loser = a[kWonLast] == 1 ? b : a;
        next[g == 1 ? 1 : 2 * g - 2] = winner;
        next[g == kGamesPerRound ? kPopulation : 2 * g + 1] = loser;
    }
    pop = next;
}

EngineProfile MakeChild(EvolutionRandom& rnd, const EngineProfile& first,
                        const EngineProfile& second, int32_t identity) {
    EngineProfile child{};
    for (int gene : {0, 1, 2, 13, 14, 15, 3, 4, 5, 6, 7, 8})
        child[gene] = rnd.Random(2) == 0 ? first[gene] : second[gene];
    child[kWins] = 0;
    child[kLosses] = 0;
    child[kIdentity] = identity;
    for (int gene : {13, 14, 15, 3, 4, 5, 6, 7, 8}) child[gene] += rnd.Random(3) - 1;
    Clamp(child, kDepth, 1, 11);
    Clamp(child, kWidth, 1, 10);
    LimitWidth(child);
    Clamp(child, 13, 2, 7);
    Clamp(child, 14, 0, 3);
    Clamp(child, 15, 2, 10);
    Clamp(child, 3, 0, 10);
    Clamp(child, 4, 1, 10);
    Clamp(child, 5, 0, 5);
    Clamp(child, 6, 0, 10);
    Clamp(child, 7, 1, 10);
    Clamp(child, 8, 0, 5);
    return child;
}

std::string PopulationLine(int round, int slot, const EngineProfile& p) {
    return Format("%3d %2d %3d: %2d %2d %2d * %2d %2d %2d * %2d %2d %2d * %2d %2d %2d (%d-%d)",
                  round, slot, p[kIdentity], p[0], p[1], p[2], p[13], p[14], p[15], p[3], p[4],
                  p[5], p[6], p[7], p[8], p[kWins], p[kLosses]);
}

std::string EliminationLine(const EngineProfile& p) {
    return Format("Eliminated #%3d: %2d%2d%2d%3d%2d%2d%3d%2d%2d%3d%2d%2d (%d-%d)", p[kIdentity],
                  p[0], p[1], p[2], p[13], p[14], p[15], p[3], p[4], p[5], p[6], p[7], p[8],
                  p[kWins], p[kLosses]);
}

RoundSummary SummariseRound(int round, const Population& population) {
    RoundSummary s;
    s.round = round;
    for (size_t i = 0; i < kPlayingWeights.size(); ++i) {
        GeneRange& g = s.genes[i];
        g.gene = kPlayingWeights[i];
        g.min = g.max = population[1][g.gene];
        int64_t sum = 0;
        for (int k = 1; k <= kPopulation; ++k) {
            const int32_t v = population[k][g.gene];
            sum += v;
            g.min = std::min(g.min, v);
            g.max = std::max(g.max, v);
        }
        g.mean = static_cast<double>(sum) / kPopulation;
    }
    s.top = population[1];
    return s;
}

bool RunEvolution(uint32_t seed, int rounds, TraceFile& trace, const EvolutionHooks& hooks) {
    trace.Line("Begin");
    int32_t nextIdentity = 1;
    EvolutionRandom rnd(seed);
    Population pop{};
    for (int k = 1; k <= kPopulation; ++k) pop[k] = CreateIndividual(rnd, nextIdentity++);

    const auto halted = [&] {
        if (!hooks.cancelRequested || !hooks.cancelRequested()) return false;
        trace.Line("End");
        trace.Close();
        if (hooks.halted) hooks.halted();
        return true;
    };

    for (int round = 1; round <= rounds; ++round) {
        trace.Line("");
        trace.Line(Format("Round: %d", round));

        std::array<int, kGamesPerRound> results{};
        if (hooks.playRound) {
            std::array<Pairing, kGamesPerRound> pairs;
            for (int g = 1; g <= kGamesPerRound; ++g) pairs[g - 1] = {pop[2 * g - 1], pop[2 * g]};
            results = hooks.playRound(pairs);
            // A halt during the round discards all of its games, as a halt
            // between games discards the game just played.
            if (halted()) return false;
        }
        for (int g = 1; g <= kGamesPerRound; ++g) {
            EngineProfile& red = pop[2 * g - 1];
            EngineProfile& blue = pop[2 * g];
            if (!hooks.playRound) {
                if (hooks.gameStarting)
                    hooks.gameStarting(round, g, red[kIdentity], blue[kIdentity]);
                results[g - 1] = hooks.playGame(red, blue);
                if (hooks.gameFinished) hooks.gameFinished();
                if (halted()) return false;
            }
            EngineProfile& winner = results[g - 1] == kRedWon ? red : blue;
            EngineProfile& loser = results[g - 1] == kRedWon ? blue : red;
            ++winner[kWins];
            winner[kWonLast] = 1;
            ++loser[kLosses];
            loser[kWonLast] = 0;
        }

        RearrangeLadder(pop);
        trace.Line("");
        for (int k = 1; k <= kPopulation; ++k) {
            if (!ProfileView(pop[k]).Eliminated()) continue;
            trace.Line(EliminationLine(pop[k]));
            const int a = rnd.Random(5) + 1;
            const int b = rnd.Random(5) + 1;
            const EngineProfile first = pop[a], second = pop[b];
            pop[k] = MakeChild(rnd, first, second, nextIdentity);
            trace.Line(Format("  Replaced with %d by %d and %d", nextIdentity, first[kIdentity],
                              second[kIdentity]));
            ++nextIdentity;
        }
        trace.Line("");
        for (int k = 1; k <= kPopulation; ++k) trace.Line(PopulationLine(round, k, pop[k]));
        if (hooks.roundSummary) hooks.roundSummary(round, pop);
        if (hooks.roundFinished) hooks.roundFinished(round);
    }
    trace.Line("End");
    trace.Close();
    return true;
}

}  // namespace qv
