#include "tuning/engine_game.h"

#include "engine/evaluate.h"
#include "engine/potentials.h"
#include "model/scoring.h"

namespace qv {

void ClearPoints(Board& board) {
    board.cells.fill(Empty);
}

ScoredMove EngineMove(Engine& engine, const Board& board, int32_t colour, int32_t depth,
                      int32_t width, int32_t commonSearchDepth, const EngineGameHooks& hooks) {
    const Board copy = board;
    engine.ProgressTotal = width;
    for (int i = 1; i <= 15; ++i) engine.Line[i].column = -1;
    engine.ProgressPosition = 0;
    engine.ProgressCount = 0;
    if (hooks.searchStarting) hooks.searchStarting();
    engine.PositionsEvaluated = 0;
    const int32_t opponent = (colour % 2) + 1;
    const float own = static_cast<float>(TotalScore(colour, copy));
    const float other = static_cast<float>(TotalScore(opponent, copy));
    engine.SearchWidthLimited(copy, colour, depth, width, depth, -kWindow, kWindow, other, own,
                              engine.Line);
    engine.Line[commonSearchDepth + 1].column = -1;
    if (hooks.searchFinished) hooks.searchFinished();
    return engine.Line[1];
}

int PlayEngineGame(Engine& engine, Board& board, const EngineProfile& first,
                   const EngineProfile& second, float& redScore, float& blueScore,
                   int32_t commonSearchDepth, const EngineGameHooks& hooks) {
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
        for (int i : {3, 4, 5, 6, 7, 8, 13, 14, 15}) engine.Weights[i] = profile[i];

        const ScoredMove move =
            profile[0] == 1
                ? EngineMove(engine, board, mover, profile[1], profile[2], commonSearchDepth, hooks)
                : BestPotentialPoint(board, profile, engine.PointPotentials);
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
    const int elements[] = {1, 2, 3, 4, 5, 6, 7, 8, 13, 14, 15};
    for (int i = 0; i < 11; ++i) {
        red[elements[i]] = redGenes[i];
        blue[elements[i]] = blueGenes[i];
    }
    return {red, blue};
}

}  // namespace qv
