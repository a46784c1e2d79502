#include "play/game_loop.h"

#include <chrono>

#include "engine/strong_time.h"
#include "model/rules.h"
#include "model/scoring.h"

namespace qv {

GameRecord PlayGame(Player& red, Player& blue, const std::vector<GameMove>& opening,
                    const GameHooks& hooks, uint64_t seed, const GameClocks& clocks) {
    GameRecord g;
    int64_t* left = g.clockLeftMs;
    left[0] = clocks.redMs;
    left[1] = clocks.blueMs;
    Board& board = g.board;
    const auto place = [&](const GameMove& m, const MoveReply& reply) {
        board(m.column, m.row) = m.colour;
        g.moves.push_back(m);
        if (hooks.moved) hooks.moved(m, board, reply);
    };
    for (const GameMove& m : opening) place(m, MoveReply{});
    g.openingPlies = static_cast<int32_t>(opening.size());

    while (true) {
        if (Decided(board)) {
            g.end = GameEnd::Decided;
            break;
        }
        if (board.CountOf(Empty) == 0) {
            g.end = GameEnd::BoardFull;
            break;
        }
        if (hooks.stop && hooks.stop()) {
            g.end = GameEnd::Stopped;
            break;
        }
        const int32_t colour = SideToMove(board);
        Player& player = colour == Red ? red : blue;
        MoveRequest request;
        request.position = board;
        request.colour = colour;
        request.history = g.moves;
        request.seed = seed;
        int64_t& clock = left[colour == Red ? 0 : 1];
        if (clock >= 0) {
            const int32_t empties = board.CountOf(Empty);
            request.timeLeftMs = clock;
            request.movetimeMs = static_cast<int32_t>(
                strong::ClockBudget(clock, 0, 0, kPoints - empties, empties).targetMs);
            if (clock == 0) ++g.movesOverTime[colour == Red ? 0 : 1];
        }
        if (hooks.moveStarting) hooks.moveStarting(player, request);
        const auto asked = std::chrono::steady_clock::now();
        const MoveReply reply = player.GenMove(request);
        if (clock >= 0) {
            const auto used = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - asked);
            clock = std::max<int64_t>(0, clock - used.count());
        }
        // What a player found while the game was being stopped is not played.
        if (hooks.stop && hooks.stop()) {
            g.end = GameEnd::Stopped;
            break;
        }
        const ScoredMove& m = reply.move;
        if (reply.failed ||
            (m.column != -1 && !(OnBoard(m.column, m.row) && board(m.column, m.row) == Empty))) {
            g.end = GameEnd::PlayerFailed;
            g.endColour = colour;
            g.failure = reply.failed
                            ? reply.failure
                            : "played " + (OnBoard(m.column, m.row)
                                               ? "the occupied point " + PointName(m.column, m.row)
                                               : std::string("off the board"));
            break;
        }
        if (m.column == -1) {
            g.end = GameEnd::NoMove;
            g.endColour = colour;
            break;
        }
        place({m.column, m.row, colour}, reply);
    }
    g.redScore = TotalScore(Red, board);
    g.blueScore = TotalScore(Blue, board);
    if (g.end == GameEnd::PlayerFailed)
        g.winner = Opponent(g.endColour);
    else
        g.winner = g.redScore > g.blueScore ? Red : g.blueScore > g.redScore ? Blue : Empty;
    return g;
}

}  // namespace qv
