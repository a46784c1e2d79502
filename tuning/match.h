#pragma once
// Matches between two players: pairs of games from the same random opening
// with the colours swapped, played side by side on several threads, and the
// score, Elo and sequential test that tell whether one player is stronger.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "play/game_loop.h"
#include "play/player_description.h"

namespace qv {

// A game of a match: which game it was and who had Red, besides the game.
struct MatchGame : GameRecord {
    int32_t game = 0;  // from 1
    bool firstIsRed = true;
};

struct MatchOptions {
    PlayerSpec first;
    PlayerSpec second;
    // The colours change game by game; otherwise the first is always Red.
    bool alternate = true;
    int32_t games = 2;
    int32_t openingPlies = 4;
    uint64_t seed = 1;
    int32_t concurrency = 1;
    // A clock of this many ms a game for each player (0: none); a strong
    // player with its own time-per-game= keeps that instead.
    int32_t timePerGameMs = 0;
};

// The game clock of a player in a match (negative: none).
int64_t MatchClockMs(const MatchOptions& options, const PlayerSpec& player);

// The random opening of a pair of games (pair from 0): the plies, none of
// them ending the game.
std::vector<GameMove> MatchOpening(uint64_t seed, int32_t pair, int32_t plies);

// Plays the games on options.concurrency threads, each with its own players
// (a classic one answers exactly as a suggestion with its settings does; one
// that chooses draws from a seed made of options.seed and the game's number),
// and returns the games that count, in their order. A pair of games (the
// same opening, colours swapped; the last game alone when their number is
// odd) counts once both games of it are over, and onGame then runs for each
// of them, in game order, one game at a time. stop is polled every few
// milliseconds, never while onGame runs; once it says yes the searches in progress end at once and
// the pairs not complete are left out. An exception on any thread (a game,
// onGame) stops the match in the same way and is thrown here once every
// thread has ended. When fewer threads than asked for could start,
// fewerThreads is told how many did before the games begin; when none
// could, std::system_error is thrown.
std::vector<MatchGame> PlayMatch(
    const MatchOptions& options, const std::function<void(const MatchGame&)>& onGame = {},
    const std::function<bool()>& stop = {},
    const std::function<void(int32_t started, int32_t asked)>& fewerThreads = {});

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
MatchSummary Summarise(const std::vector<MatchGame>& games);

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
