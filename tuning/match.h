#pragma once
// Matches between two players: pairs of games from the same random opening
// with the colours swapped, played side by side on several threads, and the
// score, Elo and sequential test that tell whether one player is stronger.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/strong_search.h"
#include "engine/strong_v1_search.h"

namespace qv {

// "classic:depth=11,width=3", "classic:depth=6,full-width",
// "strong:movetime=200", "strong:nodes=200000" (also table-mib=M, and the
// evaluation's knobs corner1..corner3, tempo, aspiration, start);
// "strong:...,version=1" is the frozen first version, without the knobs.
struct EngineSpec {
    std::string text;
    SearchKind kind = SearchKind::Classic;
    int32_t depth = 11;
    int32_t width = 3;
    bool fullWidth = false;
    int32_t movetimeMs = 1000;
    int64_t nodes = 0;
    int32_t tableMiB = 64;
    strong::Params strong;
    // Of the strong player: 1 the frozen reference, 2 today's.
    int32_t version = 2;
};

// Throws std::invalid_argument saying what is wrong.
EngineSpec ParseEngineSpec(const std::string& text);

struct MatchMove {
    int32_t column = 0;
    int32_t row = 0;
    int32_t colour = Empty;
};

struct GameRecord {
    int32_t game = 0;  // from 1
    bool firstIsRed = true;
    int32_t openingPlies = 0;  // the first moves are the opening's
    std::vector<MatchMove> moves;
    int32_t redScore = 0;
    int32_t blueScore = 0;
    int32_t winner = Empty;  // Red, Blue, or Empty for a draw
};

struct MatchOptions {
    EngineSpec first;
    EngineSpec second;
    // The colours change game by game; otherwise the first is always Red.
    bool alternate = true;
    int32_t games = 2;
    int32_t openingPlies = 4;
    uint64_t seed = 1;
    int32_t concurrency = 1;
};

// The random opening of a pair of games (pair from 0): the plies, none of
// them ending the game.
std::vector<MatchMove> MatchOpening(uint64_t seed, int32_t pair, int32_t plies);

// One move of a player for the colour: a classic one answers exactly as a
// suggestion with its settings does.
class MatchPlayer {
  public:
    explicit MatchPlayer(const EngineSpec& player);
    ScoredMove Move(const Board& board, int32_t colour);

  private:
    EngineSpec spec_;
    Engine engine_;
    strong::Search strong_;
    strong::v1::Search v1_;
};

// From the opening to a decided position or a full board.
GameRecord PlayMatchGame(MatchPlayer& red, MatchPlayer& blue,
                         const std::vector<MatchMove>& opening);

// Plays the games on options.concurrency threads, each with its own players.
// onGame runs for each finished game, one at a time, in the order they end.
// stop is asked before each move; once it says yes no game is finished and
// the games ended so far come back. The games come back in their order.
std::vector<GameRecord> PlayMatch(const MatchOptions& options,
                                  const std::function<void(const GameRecord&)>& onGame = {},
                                  const std::function<bool()>& stop = {});

struct MatchSummary {
    int32_t games = 0;
    int32_t wins = 0;  // of the first player
    int32_t draws = 0;
    int32_t losses = 0;
    double score = 0;  // percent
    // Empty where the score is 0 or 100 % and the Elo has no finite value.
    std::optional<double> elo;
    std::optional<double> eloLow;
    std::optional<double> eloHigh;  // the 95 % interval
};
MatchSummary Summarise(const std::vector<GameRecord>& games);

// A sequential probability ratio test of elo0 against elo1 (alpha = beta =
// 0.05) on the games' trinomial results.
struct SprtResult {
    double llr = 0;
    double lower = 0;
    double upper = 0;
    std::string verdict;  // "H0", "H1" or "continue"
};
SprtResult Sprt(const MatchSummary& summary, double elo0, double elo1);

}  // namespace qv
