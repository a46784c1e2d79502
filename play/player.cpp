#include "play/player.h"

#include <stdexcept>

#include "engine/potentials.h"
#include "play/external_player.h"

namespace qv {

EnginePlayer::EnginePlayer(const PlayerSpec& spec, Engine& engine)
    : spec_(spec), engine_(&engine) {}

EnginePlayer::EnginePlayer(const PlayerSpec& spec)
    : spec_(spec), own_(std::make_unique<Engine>()), engine_(own_.get()) {}

MoveReply EnginePlayer::GenMove(const MoveRequest& request) {
    MoveReply reply;
    PlayerSpec spec = spec_;
    if (request.movetimeMs > 0) spec.movetimeMs = request.movetimeMs;
    reply.search =
        engine_->Search(MakeSearchRequest(spec, request.position, request.colour, request.lineEnd),
                        request.onProgress);
    reply.move = reply.search.line[1];
    // Stopped before a single root move was searched to its end: the point
    // the ordering puts first is the best there is so far.
    if (reply.move.column == -1 && reply.search.cancelled && !reply.search.boardWasFull &&
        !engine_->AbortRequested()) {
        std::array<float, kPoints> potentials;
        reply.move = BestPotentialPoint(request.position, spec.weights, potentials);
        if (!OnBoard(reply.move.column, reply.move.row)) reply.move = kNoMove;
    }
    return reply;
}

PotentialPlayer::PotentialPlayer(const PotentialWeights& weights) : weights_(weights) {}

MoveReply PotentialPlayer::GenMove(const MoveRequest& request) {
    MoveReply reply;
    reply.move = BestPotentialPoint(request.position, weights_, reply.search.pointPotentials);
    // (0, 0): no empty point.
    if (!OnBoard(reply.move.column, reply.move.row)) reply.move = kNoMove;
    reply.search.line.fill(kNoMove);
    reply.search.line[1] = reply.move;
    reply.search.value = reply.move.score;
    return reply;
}

std::string PotentialPlayer::Describe() const {
    PlayerSpec spec;
    spec.kind = PlayerKind::Potential;
    spec.weights = weights_;
    return FormatPlayerSpec(spec);
}

std::unique_ptr<Player> MakePlayer(const PlayerSpec& spec, Engine* shared) {
    switch (spec.kind) {
        case PlayerKind::Classic:
        case PlayerKind::Strong:
            if (shared) return std::make_unique<EnginePlayer>(spec, *shared);
            return std::make_unique<EnginePlayer>(spec);
        case PlayerKind::Potential:
            return std::make_unique<PotentialPlayer>(spec.weights);
        case PlayerKind::External:
            return MakeExternalPlayer(spec);
    }
    throw std::logic_error("unknown kind of player");
}

}  // namespace qv
