#include "tuning/engine_game.h"

#include "engine/evaluate.h"
#include "engine/potentials.h"
#include "model/scoring.h"

namespace qv {

void ClearPoints(Board& board) {
    board.cells.fill(Empty);
}

SearchResult EngineMove(Engine& engine, const PotentialWeights& weights, const Board& board,
                        int32_t colour, int32_t depth, int32_t width, int32_t commonSearchDepth,
                        const EngineGameHooks& hooks) {
    SearchRequest request;
    request.position = board;
    request.colour = colour;
    request.depth = depth;
    request.width = width;
    request.weights = weights;
    request.lineEnd = commonSearchDepth;
    if (hooks.searchStarting) hooks.searchStarting();
    SearchResult result = engine.Search(request, hooks.rootMove, hooks.poll);
    // Once Cancel stands, the rest of the game is played with each search's
    // first root move; the one that was running when it came needs that too.
    if (result.cancelled && result.rootMoves == 0 && !result.boardWasFull &&
        !engine.AbortRequested())
        result = engine.Search(request, hooks.rootMove, hooks.poll);
    if (hooks.searchFinished) hooks.searchFinished();
    return result;
}

int PlayEngineGame(Engine& engine, PotentialWeights& weights, Board& board,
                   const EngineProfile& first, const EngineProfile& second, float& redScore,
                   float& blueScore, int32_t commonSearchDepth, const EngineGameHooks& hooks) {
    const EngineProfile profiles[3] = {{}, first, second};  // indexed by colour
    ClearPoints(board);
    int32_t previous = Red;
    while (true) {
        redScore = static_cast<float>(TotalScore(Red, board));
        blueScore = static_cast<float>(TotalScore(Blue, board));
        const float v = EvaluatePosition(1, redScore, blueScore);
        if ((v < 0 ? -v : v) > kDecided) break;

        const int32_t mover = Opponent(previous);
        const EngineProfile& profile = profiles[mover];
        for (int i : kPlayingWeights) weights[i] = profile[i];

        ScoredMove move;
        if (profile[kSearchFlag] == 1) {
            move = EngineMove(engine, weights, board, mover, profile[kDepth], profile[kWidth],
                              commonSearchDepth, hooks)
                       .line[1];
            if (engine.AbortRequested()) break;
        } else {
            std::array<float, kPoints> potentials;
            move = BestPotentialPoint(board, profile, potentials);
        }
        if (move.column < 1 || move.column > 8) {
            (mover == Blue ? blueScore : redScore) += 1000.0f;
            break;
        }
        board(move.column, move.row) = mover;
        if (hooks.moved) hooks.moved(move.column, move.row, mover);
        previous = mover;
    }
    return redScore > blueScore ? kRedWon : kBlueWon;
}

std::pair<EngineProfile, EngineProfile> PlayRoundProfiles(const PotentialWeights& live) {
    EngineProfile red = live, blue = live;
    const int32_t redGenes[] = {9, 3, 4, 7, 4, 0, 5, 4, 2, 2, 3};
    const int32_t blueGenes[] = {9, 3, 1, 6, 3, 1, 2, 4, 9, 4, 10};
    const int elements[] = {kDepth, kWidth, 3, 4, 5, 6, 7, 8, 13, 14, 15};
    for (int i = 0; i < 11; ++i) {
        red[elements[i]] = redGenes[i];
        blue[elements[i]] = blueGenes[i];
    }
    return {red, blue};
}

}  // namespace qv
