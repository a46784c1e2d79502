#pragma once
// A player that is another program, started with /bin/sh -c and spoken to
// through the engine protocol on its standard input and output.

#include <memory>

#include "play/player.h"

namespace qv {

std::unique_ptr<Player> MakeExternalPlayer(const PlayerSpec& spec);

}  // namespace qv
