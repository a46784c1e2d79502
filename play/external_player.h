#pragma once
// A player that is another program, started with /bin/sh -c and spoken to
// through the engine protocol on its standard input and output.
//
// The program is started once, when the player is made, and never again.
// Before each move its game is brought to the position (clear_board and the
// moves in order, or only the moves since the last time), then it is asked
// genmove for the side to move (reg_genmove for the other colour). Every
// answer is due within 5 s, a genmove's within the thinking time plus 5 s:
// the request's movetimeMs when given (the program is then told it with
// movetime), else the description's movetimeMs (1000 ms unless set). After a
// Stop the program is sent stop and has 5 s to answer; Abort ends the wait at
// once.
//
// The move fails (MoveReply::failed, with the reason) when the program has
// ended or ends, refuses a legal request with '?', answers what is not an
// answer, passes or resigns with points empty, names an occupied point or no
// point, or does not answer in time. A program that ended fails every later
// move at once. When the player goes, the program is sent quit and its input
// closed; one that has not ended 2 s later is killed, and it is always
// waited for.

#include <memory>

#include "play/player.h"

namespace qv {

// Throws std::runtime_error when /bin/sh cannot be started. A command that
// the shell cannot run ends the program at once: the first move fails with
// its exit code.
std::unique_ptr<Player> MakeExternalPlayer(const PlayerSpec& description);

}  // namespace qv
