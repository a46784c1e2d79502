#pragma once
// One description of a player, whoever asks for it: the settings dialog's
// choice, the engine games' profiles, the match tool, the command line's
// options and the engine protocol all turn into a PlayerSpec, and every
// search request is built from one (MakeSearchRequest).
//
// The text form, one grammar for every front end:
//   classic:depth=D[,width=W|,full-width][,choose=K,margin=M][,threads=N][,weights=W0/.../W15]
//   strong:movetime=MS|nodes=N|time-per-game=MS[,depth=D][,table-mib=M][,threads=N]
//          [,weights=...][,knobs...]
//   potential[:weights=W0/.../W15]
//   external:COMMAND
//   level:N                 (N 1..10, read as the player the level is: levels.h)
// Keys are given at most once, numbers in decimal within their bounds; the
// strong player's knobs are corner1..corner3, tempo, aspiration, lmr, null,
// selective and start (for tuning; see StrongKnobs in player_description.cpp).

#include <cstdint>
#include <stdexcept>
#include <string>

#include "engine/search_request.h"
#include "engine/types.h"
#include "model/board.h"
#include "model/settings.h"

namespace qv {

enum class PlayerKind {
    Classic,    // the fixed-depth searches of the suggestion buttons
    Strong,     // iterative deepening on a clock or a node budget
    Potential,  // the point with the highest potential, no search
    External,   // another program, spoken to through the engine protocol
};

struct PlayerSpec {
    PlayerKind kind = PlayerKind::Classic;
    // Classic: depth 1..15, width 1..64 (not read with fullWidth).
    int32_t depth = 11;
    int32_t width = 3;
    bool fullWidth = false;
    // Classic: 0 plays the search's move. K (1..64) takes the K first points
    // of the root's ranking, weighs each exactly with a search a ply
    // shallower, and draws, by the request's seed and the better ones more
    // often, among those within margin (0..1000) of the best of them: a
    // player weaker on purpose that still plays sensible moves.
    int32_t choose = 0;
    int32_t margin = 0;
    // Every player but an external one: the weights of the move ordering.
    PotentialWeights weights = DefaultWeights();
    // Classic and strong: the threads a search runs on (1..64).
    int32_t threads = 1;
    // Strong: the thinking time, or a node budget (0: none; then the clock
    // is used), the table's size and the search's knobs.
    int32_t movetimeMs = 1000;
    int64_t nodes = 0;
    // Strong: a clock for the whole game instead of a time per move (0:
    // none), shared over the moves by the clock rule (strong_time.h). A game
    // loop that keeps the clock hands the time left with each move; asked
    // alone, the player has the whole of it.
    int32_t timePerGameMs = 0;
    int32_t tableMiB = 64;
    strong::Params strong;
    // External: the command, run through /bin/sh -c.
    std::string command;

    bool operator==(const PlayerSpec& other) const;
};

// A description that cannot be read; the message names the text and says
// what is wrong.
class PlayerSpecError : public std::invalid_argument {
  public:
    using std::invalid_argument::invalid_argument;
};

PlayerSpec ParsePlayerSpec(const std::string& text);
// The text form, with the keys that differ from the defaults (and those a
// kind cannot do without); ParsePlayerSpec reads it back to the same player.
std::string FormatPlayerSpec(const PlayerSpec& description);

// The grammar of the text form, for the front ends' help texts.
const char* PlayerGrammar();

// The classic default: what the suggestion buttons do before any setting is
// changed.
PlayerSpec DefaultPlayer();

// The search a suggestion with these settings runs, on these weights and
// threads.
PlayerSpec PlayerFromChoice(const SearchChoice& choice, const PotentialWeights& weights,
                            int32_t threads);

// The search request for the player on the position: the one place requests
// are built. lineEnd ends the predicted line after that entry (0: at the
// player's own depth for a classic player, the whole line for a strong one).
// Only classic and strong players search; others throw std::logic_error.
SearchRequest MakeSearchRequest(const PlayerSpec& description, const Board& position,
                                int32_t colour, int32_t lineEnd = 0);

}  // namespace qv
