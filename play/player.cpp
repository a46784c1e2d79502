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
    SearchRequest search =
        MakeSearchRequest(spec_, request.position, request.colour, request.lineEnd);
    if (request.movetimeMs > 0) search.movetimeMs = request.movetimeMs;
    reply.search = engine_->Search(search, request.onProgress);
    reply.move = reply.search.line[1];
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
