#pragma once

#include <cstdint>
#include <functional>
#include <utility>

#include "engine/engine.h"
#include "model/board.h"
#include "tuning/evolution.h"

namespace qv {

// What the window does around an engine game: the hourglass while a search
// runs, and an immediate repaint after every piece.
struct EngineGameHooks {
    std::function<void()> searchStarting;
    std::function<void()> searchFinished;
    std::function<void(int32_t column, int32_t row, int32_t colour)> moved;
};

void ClearPoints(Board& board);

// One width-limited computer move, prepared like a suggestion but without its
// reports; the line is ended at commonSearchDepth + 1.
ScoredMove EngineMove(Engine& engine, const Board& board, int32_t colour, int32_t depth,
                      int32_t width, int32_t commonSearchDepth, const EngineGameHooks& hooks = {});

// Plays a whole game on the board, Red driven by the first profile and Blue by
// the second, installing each mover's weights into engine.Weights. Returns
// kRedWon or kBlueWon; the final scores come back through redScore and
// blueScore (a side that finds no move gets 1000 on top).
int PlayEngineGame(Engine& engine, Board& board, const EngineProfile& first,
                   const EngineProfile& second, float& redScore, float& blueScore,
                   int32_t commonSearchDepth, const EngineGameHooks& hooks = {});

// The two fixed players of "Play Round", built on the live weights.
std::pair<EngineProfile, EngineProfile> PlayRoundProfiles(const PotentialWeights& live);

}  // namespace qv
