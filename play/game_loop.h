#pragma once
// One game between two players, from an opening to its end: the loop that
// Play Round, the evolution's games, the match tool and the window's
// computer opponents share.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/board.h"
#include "play/player.h"

namespace qv {

enum class GameEnd {
    Decided,       // one colour has the winning score and lead
    BoardFull,     // no point left, not decided
    NoMove,        // a player found no move on a board with empty points
    PlayerFailed,  // a player could not play (see failure) or played an illegal point
    Stopped,       // the stop hook said so before a move
};

struct GameRecord {
    std::vector<GameMove> moves;  // the opening's first
    int32_t openingPlies = 0;
    int32_t redScore = 0;
    int32_t blueScore = 0;
    // By the scores (Empty for a draw), except that a player that failed
    // loses.
    int32_t winner = Empty;
    GameEnd end = GameEnd::Decided;
    // The colour that found no move or failed.
    int32_t endColour = Empty;
    std::string failure;
    // The position the game ended on.
    Board board;
    // With game clocks: the time left on each at the end (Red's, Blue's),
    // and the moves each made on a clock that had run out.
    int64_t clockLeftMs[2] = {-1, -1};
    int32_t movesOverTime[2] = {0, 0};
};

// A clock for each colour for the whole game, in ms (negative: none). A
// player's time is counted from its request to its answer; one whose clock
// has run out does not lose but gets the minimum a move
// (strong::kClockMinimumMs), and the game record counts those moves.
struct GameClocks {
    int64_t redMs = -1;
    int64_t blueMs = -1;
};

struct GameHooks {
    // Before each player's move (after the opening): the request it will
    // get, which the hook may add to (progress, line end).
    std::function<void(Player& player, MoveRequest& request)> moveStarting;
    // After each move played, the opening's included, with the board after it.
    std::function<void(const GameMove& move, const Board& board, const MoveReply& reply)> moved;
    // Asked before each move and again before the move found is played; once
    // it says yes the game ends as Stopped.
    std::function<bool()> stop;
};

// Plays from the opening until the game is over (decided or full board),
// a player finds no move, fails or plays an occupied or off-board point, or
// the stop hook says so. The side to move follows the number of pieces.
// Every request carries the seed (MoveRequest::seed).
GameRecord PlayGame(Player& red, Player& blue, const std::vector<GameMove>& opening,
                    const GameHooks& hooks = {}, uint64_t seed = 0, const GameClocks& clocks = {});

}  // namespace qv
