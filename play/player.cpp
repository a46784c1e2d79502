#include "play/player.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

#include "engine/evaluate.h"
#include "engine/potentials.h"
#include "engine/report.h"
#include "model/scoring.h"
#include "play/external_player.h"

namespace qv {

namespace {

uint64_t Mix(uint64_t x) {
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

// The draw for a choice on this position: the same in the same game, and
// different from position to position.
uint64_t ChoiceDraw(uint64_t seed, const Board& board, int32_t colour) {
    uint64_t red = 0, blue = 0;
    for (int p = 0; p < kPoints; ++p) {
        if (board[p] == Red) red |= uint64_t{1} << p;
        if (board[p] == Blue) blue |= uint64_t{1} << p;
    }
    return Mix(Mix(Mix(seed) ^ red) ^ blue ^ static_cast<uint64_t>(colour));
}

}  // namespace

EnginePlayer::EnginePlayer(const PlayerSpec& description, Engine& engine)
    : spec_(description), engine_(&engine) {}

EnginePlayer::EnginePlayer(const PlayerSpec& description)
    : spec_(description), own_(std::make_unique<Engine>()), engine_(own_.get()) {}

MoveReply EnginePlayer::GenMove(const MoveRequest& request) {
    if (spec_.kind == PlayerKind::Classic && spec_.choose > 0) return Choose(request);
    MoveReply reply;
    PlayerSpec description = spec_;
    if (request.movetimeMs > 0) description.movetimeMs = request.movetimeMs;
    SearchRequest search =
        MakeSearchRequest(description, request.position, request.colour, request.lineEnd);
    if (description.kind == PlayerKind::Strong && request.timeLeftMs >= 0)
        search.timeLeftMs = request.timeLeftMs;
    reply.search = engine_->Search(search, request.onProgress);
    reply.move = reply.search.line[1];
    // Stopped before a single root move was searched to its end: the point
    // the ordering puts first is the best there is so far.
    if (reply.move.column == -1 && reply.search.cancelled && !reply.search.boardWasFull &&
        !engine_->AbortRequested()) {
        std::array<float, kPoints> potentials;
        reply.move = BestPotentialPoint(request.position, description.weights, potentials);
        if (!OnBoard(reply.move.column, reply.move.row)) reply.move = kNoMove;
    }
    return reply;
}

// The first points of the ranking are weighed as the search would weigh
// them as root moves, but exactly (its alpha-beta only bounds the moves that
// lose to the best): a point's own value when it decides the game, fills the
// board or the depth is 1, else minus the reply's value a ply shallower.
// The ranking keeps the choice among moves that look sound (weighing every
// point exactly at a shallow depth plays worse than the ranking does), and
// orders equal values and what a stop leaves.
MoveReply EnginePlayer::Choose(const MoveRequest& request) {
    const auto start = std::chrono::steady_clock::now();
    MoveReply out;
    SearchResult& s = out.search;
    s.line.fill(kNoMove);
    const Board& board = request.position;
    const int32_t colour = request.colour;
    const int32_t empty = board.CountOf(Empty);
    const int32_t depth = spec_.depth;
    if (empty == 0) {
        s.boardWasFull = true;
        s.caption = OutcomeText(s.value, depth, true);
        return out;
    }
    const float own = static_cast<float>(TotalScore(colour, board));
    const float other = static_cast<float>(TotalScore(Opponent(colour), board));
    // The ranking's order first (the order the search tries root moves in),
    // then the points it leaves out, by their potential.
    const CandidateList ranked =
        engine_->RankCandidates(board, spec_.weights, colour, own, s.pointPotentials);
    int order[kPoints];
    bool listed[kPoints] = {};
    int32_t n = 0;
    for (int32_t c = ranked.head.column, r = ranked.head.row; c != 0;) {
        const int p = PointIndex(c, r);
        order[n++] = p;
        listed[p] = true;
        c = ranked.links[p].column;
        r = ranked.links[p].row;
    }
    const int32_t inList = n;
    for (int p = 0; p < kPoints; ++p)
        if (board[p] == Empty && !listed[p]) order[n++] = p;
    std::stable_sort(order + inList, order + n,
                     [&s](int a, int b) { return s.pointPotentials[a] > s.pointPotentials[b]; });
    n = std::min(n, spec_.choose);

    struct Root {
        int point;
        float value;
        int32_t line;  // its reply's line in lines
    };
    Root roots[kPoints];
    PredictedLine lines[kPoints];
    SearchRequest replyRequest = MakeSearchRequest(spec_, board, Opponent(colour));
    replyRequest.depth = depth - 1;
    int32_t weighed = 0;
    for (int32_t i = 0; i < n; ++i) {
        if (engine_->AbortRequested()) return MoveReply{};
        // A stop keeps the points weighed so far (at least one).
        if (weighed > 0 && engine_->CancelRequested()) break;
        const int p = order[i];
        const float newScore = ScoreAfterMove(colour, ColumnOf(p), RowOf(p), board, own);
        float value = EvaluatePosition(depth, newScore, other);
        lines[weighed].fill(kNoMove);
        if (depth == 1 || IsDecidedValue(value) || empty == 1) {
            ++s.positions;
        } else {
            replyRequest.position = board;
            replyRequest.position[p] = colour;
            value = -engine_->SearchLine(replyRequest, lines[weighed], s.positions);
            // A reply cut short by a stop may have missed its best move.
            if (weighed > 0 && engine_->CancelRequested()) break;
        }
        roots[weighed] = {p, value, weighed};
        ++weighed;
        if (request.onProgress) request.onProgress({weighed, weighed * 100 / n});
    }
    if (engine_->AbortRequested()) return MoveReply{};

    std::stable_sort(roots, roots + weighed,
                     [](const Root& a, const Root& b) { return a.value > b.value; });
    int32_t count = 0;
    while (count < weighed &&
           roots[count].value >= roots[0].value - static_cast<float>(spec_.margin))
        ++count;
    // The i-th best (from 0) has count - i tickets of count (count + 1) / 2.
    uint64_t ticket =
        ChoiceDraw(request.seed, board, colour) % static_cast<uint64_t>(count * (count + 1) / 2);
    int32_t pick = 0;
    while (ticket >= static_cast<uint64_t>(count - pick))
        ticket -= static_cast<uint64_t>(count - pick++);
    const Root& chosen = roots[pick];

    out.move = {ColumnOf(chosen.point), RowOf(chosen.point), chosen.value};
    s.line[1] = out.move;
    const PredictedLine& rest = lines[chosen.line];
    for (int i = 1; i + 1 <= 16; ++i) s.line[i + 1] = rest[i];
    const int32_t end = request.lineEnd > 0 ? request.lineEnd : depth;
    if (end + 1 <= 16) s.line[end + 1] = kNoMove;
    for (int i = 2; i <= 16; ++i)
        if (s.line[i - 1].column == -1) s.line[i] = kNoMove;
    s.value = chosen.value;
    s.cancelled = engine_->CancelRequested();
    s.caption = OutcomeText(s.value, depth, false);
    s.rootMoves = weighed;
    s.elapsedMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return out;
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
    PlayerSpec description;
    description.kind = PlayerKind::Potential;
    description.weights = weights_;
    return FormatPlayerSpec(description);
}

std::unique_ptr<Player> MakePlayer(const PlayerSpec& description, Engine* shared) {
    switch (description.kind) {
        case PlayerKind::Classic:
        case PlayerKind::Strong:
            if (shared) return std::make_unique<EnginePlayer>(description, *shared);
            return std::make_unique<EnginePlayer>(description);
        case PlayerKind::Potential:
            return std::make_unique<PotentialPlayer>(description.weights);
        case PlayerKind::External:
            return MakeExternalPlayer(description);
    }
    throw std::logic_error("unknown kind of player");
}

}  // namespace qv
