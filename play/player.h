#pragma once
// A player: asked for a move for a colour on a position, it answers with the
// point and what it found. The window's computer opponents, the engine games,
// the evolution, the match tool and the engine protocol all speak to players
// through this interface, so a new kind of opponent is written once.
//
// Thread safety: GenMove is called on one thread at a time; Stop, Abort and
// ClearStop may be called from any thread, also while GenMove runs.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "model/board.h"
#include "play/player_description.h"

namespace qv {

// One move of a game, in order.
struct GameMove {
    int32_t column = 0;
    int32_t row = 0;
    int32_t colour = Empty;
    bool operator==(const GameMove&) const = default;
};

struct MoveRequest {
    Board position;
    int32_t colour = Blue;
    // The moves that led to the position, when known; a player that keeps a
    // game of its own (an external program) replays them.
    std::vector<GameMove> history;
    // A classic search's predicted line ends after this entry (0: at its own
    // depth).
    int32_t lineEnd = 0;
    // After each root move (classic) or iteration (strong), on the thread
    // that called GenMove.
    std::function<void(const SearchProgress&)> onProgress;
    // The thinking time for this move in ms, as a clock hands it out (0: the
    // player's own). A strong search on a clock and an outside program read
    // it; a classic search or a node budget does not.
    int32_t movetimeMs = 0;
    // The time left on the side's game clock when a clock is kept (negative:
    // none). A strong search then shares it over the moves to come (a node
    // budget still wins) and movetimeMs is the share an outside program is
    // told.
    int64_t timeLeftMs = -1;
    // The game's seed, for a player that draws among its better moves
    // (choose=): set by the caller once a game, and folded with the position,
    // so that a game with the same seed is played again move for move.
    uint64_t seed = 0;
};

struct MoveReply {
    // Column -1: no move (a full board, or aborted). A search stopped before
    // any root move was finished answers the point of highest potential,
    // with search.line empty.
    ScoredMove move = kNoMove;
    // What the search found: the line, its value, caption and counters. A
    // player that does not search fills in the move alone.
    SearchResult search;
    // The player could not play: a program that died, refused a legal
    // request or did not answer. The text says what happened.
    bool failed = false;
    std::string failure;
};

class Player {
  public:
    virtual ~Player() = default;

    virtual MoveReply GenMove(const MoveRequest& request) = 0;

    // The move in progress ends soon with the best found so far, and every
    // later one too until ClearStop: a game stopped so goes on quickly to its
    // end.
    virtual void Stop() = 0;
    // The move in progress ends at once; what it answers is meaningless.
    virtual void Abort() = 0;
    virtual void ClearStop() = 0;

    // The description the player was built from, as the match tool prints it.
    virtual std::string Describe() const = 0;
};

// The classic and the strong searches, through the Engine facade. The engine
// may be shared: engine games have both players search on one, and the
// window's opponents search on its runner's. A stop then reaches every
// player on it, as it should.
class EnginePlayer : public Player {
  public:
    EnginePlayer(const PlayerSpec& description, Engine& engine);
    explicit EnginePlayer(const PlayerSpec& description);

    MoveReply GenMove(const MoveRequest& request) override;
    void Stop() override { engine_->Cancel(); }
    void Abort() override { engine_->Abort(); }
    void ClearStop() override { engine_->ClearStop(); }
    std::string Describe() const override { return FormatPlayerSpec(spec_); }
    const PlayerSpec& Description() const { return spec_; }

  private:
    MoveReply Choose(const MoveRequest& request);

    PlayerSpec spec_;
    std::unique_ptr<Engine> own_;
    Engine* engine_;
};

// The point with the highest potential for the weights: the engine games'
// player that does not search.
class PotentialPlayer : public Player {
  public:
    explicit PotentialPlayer(const PotentialWeights& weights);

    MoveReply GenMove(const MoveRequest& request) override;
    void Stop() override {}
    void Abort() override {}
    void ClearStop() override {}
    std::string Describe() const override;

  private:
    PotentialWeights weights_;
};

// The one place players are made from their descriptions, for the window and
// the command line alike. shared, when given, is the engine that search
// players use; otherwise each gets its own.
std::unique_ptr<Player> MakePlayer(const PlayerSpec& description, Engine* shared = nullptr);

}  // namespace qv
