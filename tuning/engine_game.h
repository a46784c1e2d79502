#pragma once

#include <cstdint>
#include <functional>
#include <utility>

#include "engine/engine.h"
#include "model/board.h"
#include "play/player.h"
#include "tuning/evolution.h"

namespace qv {

// What a front end does around an engine game: the hourglass while a search
// runs, the progress after each root move, and a repaint after every piece;
// poll runs inside the searches as Engine::Search's onPoll does.
struct EngineGameHooks {
    std::function<void()> searchStarting;
    std::function<void()> searchFinished;
    std::function<void(const SearchProgress&)> rootMove;
    std::function<void(int32_t column, int32_t row, int32_t colour)> moved;
    std::function<void()> poll;
};

void ClearPoints(Board& board);

// One width-limited computer move with the weights, searched like a
// suggestion; the line is ended at commonSearchDepth + 1. A Cancel standing
// from before is kept: the search then ends after its first root move. A
// Cancel that ends the search before its first root move was finished leaves
// the move a standing one gives: the position is searched again for it.
SearchResult EngineMove(Engine& engine, const PotentialWeights& weights, const Board& board,
                        int32_t colour, int32_t depth, int32_t width, int32_t commonSearchDepth,
                        const EngineGameHooks& hooks = {});

// The player a profile describes, on the live weights with the profile's
// playing genes put in (the weights its moves install): a classic search of
// the profile's depth and width, or the best-potential point.
PlayerSpec ProfileSpec(const EngineProfile& profile, const PotentialWeights& live);

// A player of an engine game: EngineMove for a profile that searches, with
// the hooks around each search; the best-potential point otherwise. Both
// players of a game share the game's engine, so a Cancel reaches them both.
class ProfilePlayer : public Player {
  public:
    ProfilePlayer(Engine& engine, const EngineProfile& profile, const PotentialWeights& live,
                  int32_t commonSearchDepth, const EngineGameHooks& hooks);

    MoveReply GenMove(const MoveRequest& request) override;
    void Stop() override { engine_.Cancel(); }
    void Abort() override { engine_.Abort(); }
    void ClearStop() override { engine_.ClearStop(); }
    std::string Describe() const override { return FormatPlayerSpec(spec_); }

  private:
    Engine& engine_;
    PlayerSpec spec_;
    int32_t commonSearchDepth_;
    const EngineGameHooks& hooks_;
};

// Plays a whole game on the board, Red driven by the first profile and Blue by
// the second, installing each mover's weights into `weights` (the weights the
// player's later suggestions use). Returns kRedWon or kBlueWon; the final
// scores come back through redScore and blueScore (a side that finds no move
// gets 1000 on top). An Abort ends the game at once, with a meaningless result.
int PlayEngineGame(Engine& engine, PotentialWeights& weights, Board& board,
                   const EngineProfile& first, const EngineProfile& second, float& redScore,
                   float& blueScore, int32_t commonSearchDepth, const EngineGameHooks& hooks = {});

// The two fixed players of "Play Round", built on the live weights.
std::pair<EngineProfile, EngineProfile> PlayRoundProfiles(const PotentialWeights& live);

}  // namespace qv
