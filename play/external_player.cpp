#include "play/external_player.h"

#include <stdexcept>

namespace qv {

std::unique_ptr<Player> MakeExternalPlayer(const PlayerSpec& spec) {
    throw std::invalid_argument("player '" + FormatPlayerSpec(spec) +
                                "': outside programs are not supported yet");
}

}  // namespace qv
