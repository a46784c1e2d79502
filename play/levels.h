#pragma once
// The ten levels a person picks an opponent by: each is a player description,
// so the window, the command line, the engine protocol and the match tool
// all know them as `level:N`. The low ones play shallow searches with a
// seeded choice among their better moves; the high ones are the strong
// player with more and more time. The ladder is measured with the match
// tool (scripts/calibrate-levels.sh).

#include <cstdint>
#include <string>

#include "play/player_description.h"

namespace qv {

constexpr int32_t kLevels = 10;

// The player level n (1..kLevels) is; std::out_of_range outside.
PlayerSpec ResolveLevel(int32_t n);

// "Level 1 (Beginner)" .. "Level 10 (Master)".
std::string LevelName(int32_t n);

// The level the player is, or 0 when it is none of them.
int32_t LevelOf(const PlayerSpec& description);

// One line a level, its name and the player it is: for the help texts.
std::string LevelsTable();

}  // namespace qv
