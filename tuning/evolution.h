#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "tuning/engine_profile.h"
#include "tuning/evolution_random.h"

namespace qv {

constexpr int kPopulation = 20;
constexpr int kGamesPerRound = kPopulation / 2;

// Slots 1..20 (index 0 unused); slots 2g-1 and 2g meet in game g.
using Population = std::array<EngineProfile, kPopulation + 1>;

// Result codes of an engine game: 2 the first (Red) profile won, 1 the second.
constexpr int kRedWon = 2;
constexpr int kBlueWon = 1;

struct Pairing {
    EngineProfile red;
    EngineProfile blue;
};

struct EvolutionHooks {
    // Before game g (1..10) of round r: "r: id vs. id" is shown by the window.
    std::function<void(int round, int game, int32_t redId, int32_t blueId)> gameStarting;
    // Plays one game and returns its result code.
    std::function<int(const EngineProfile& red, const EngineProfile& blue)> playGame;
    // Plays the ten games of a round at once (in any order, even in parallel) and
    // returns their result codes; used instead of playGame when set.
    std::function<std::array<int, kGamesPerRound>(const std::array<Pairing, kGamesPerRound>&)>
        playRound;
    // After each game: repaint, pending events.
    std::function<void()> gameFinished;
    // Asked after each game, or after each round when playRound is set.
    std::function<bool()> cancelRequested;
    std::function<void()> halted;  // shows "Evolution halted"
    std::function<void(int round)> roundFinished;
    // After each round, the population as the trace lists it.
    std::function<void(int round, const Population& population)> roundSummary;
};

class TraceFile;

// A round's population in figures: per gene (3..8 and 13..15) the mean and
// range, and the individual at the top of the ladder.
struct GeneRange {
    int gene = 0;
    double mean = 0;
    int32_t min = 0;
    int32_t max = 0;
};
struct RoundSummary {
    int round = 0;
    std::array<GeneRange, 9> genes{};
    EngineProfile top{};
};
RoundSummary SummariseRound(int round, const Population& population);

// Runs the ladder evolution for the given number of rounds, writing the trace.
// Returns false when it was halted.
bool RunEvolution(uint32_t seed, int rounds, TraceFile& trace, const EvolutionHooks& hooks);

// Pieces of the run, exposed for testing.
EngineProfile CreateIndividual(EvolutionRandom& rnd, int32_t identity);
void RearrangeLadder(Population& population);
EngineProfile MakeChild(EvolutionRandom& rnd, const EngineProfile& first,
                        const EngineProfile& second, int32_t identity);
std::string PopulationLine(int round, int slot, const EngineProfile& p);
std::string EliminationLine(const EngineProfile& p);

}  // namespace qv
