#include "engine/engine.h"

#include <algorithm>

#include "engine/search_engine.h"
#include "engine/strong_search.h"
#include "engine/suggest.h"
#include "model/scoring.h"

namespace qv {

Engine::Engine() : impl_(std::make_unique<SearchEngine>()) {}

Engine::~Engine() = default;

SearchResult Engine::Search(const SearchRequest& request,
                            const std::function<void(const SearchProgress&)>& onRootMove,
                            const std::function<void()>& onPoll) {
    SearchEngine& e = *impl_;
    if (request.kind == SearchKind::Strong) {
        // request.depth, width and fullWidth are not read; its knobs and its
        // threads come with the request.
        if (!strong_) strong_ = std::make_unique<strong::Search>();
        return strong_->Run(request, request.strong, onRootMove, &e.CancelRequested,
                            &e.AbortRequested, onPoll);
    }
    e.Weights = request.weights;
    e.Threads = std::clamp(request.threads, 1, SearchEngine::kMaxThreads);
    if (onRootMove)
        e.OnRootMove = [&e, &onRootMove] { onRootMove({e.ProgressCount, e.ProgressPosition}); };
    else
        e.OnRootMove = nullptr;
    e.OnPoll = onPoll;
    const Suggestion s =
        SuggestMove(e, request.position, request.colour, request.depth, request.width,
                    request.fullWidth, request.lineEnd > 0 ? request.lineEnd : request.depth,
                    /*keepCancel=*/true);
    e.OnRootMove = nullptr;
    e.OnPoll = nullptr;

    SearchResult r;
    r.line = e.Line;
    r.value = s.value;
    r.boardWasFull = s.boardWasFull;
    r.cancelled = e.CancelRequested;
    r.caption = s.caption;
    r.positions = e.PositionsEvaluated;
    r.rootMoves = e.ProgressCount;
    r.elapsedMs = s.elapsedMs;
    r.pointPotentials = e.PointPotentials;
    r.threads = e.ThreadsSearching;
    return r;
}

float Engine::SearchLine(const SearchRequest& request, PredictedLine& line, int64_t& positions) {
    SearchEngine& e = *impl_;
    e.Weights = request.weights;
    e.Threads = std::clamp(request.threads, 1, SearchEngine::kMaxThreads);
    e.OnRootMove = nullptr;
    e.OnPoll = nullptr;
    e.ProgressTotal = 0;
    e.ProgressCount = 0;
    e.PositionsEvaluated = 0;
    line.fill(kNoMove);
    const float own = static_cast<float>(TotalScore(request.colour, request.position));
    const float other = static_cast<float>(TotalScore(Opponent(request.colour), request.position));
    if (request.fullWidth)
        e.SearchFullWidth(request.position, request.colour, request.depth, request.depth, -kWindow,
                          kWindow, other, own, line, kNoMove);
    else
        e.SearchWidthLimited(request.position, request.colour, request.depth, request.width,
                             request.depth, -kWindow, kWindow, other, own, line);
    positions += e.PositionsEvaluated;
    return line[1].score;
}

void Engine::Cancel() {
    impl_->CancelRequested = true;
}

void Engine::Abort() {
    impl_->CancelRequested = true;
    impl_->AbortRequested = true;
}

void Engine::ClearCancel() {
    impl_->CancelRequested = false;
}

void Engine::ClearStop() {
    impl_->CancelRequested = false;
    impl_->AbortRequested = false;
}

bool Engine::CancelRequested() const {
    return impl_->CancelRequested;
}

bool Engine::AbortRequested() const {
    return impl_->AbortRequested;
}

CandidateList Engine::RankCandidates(const Board& board, const PotentialWeights& weights,
                                     int32_t colour, float ownScore,
                                     std::array<float, kPoints>& potentials) {
    impl_->Weights = weights;
    CandidateList list = impl_->RankCandidates(board, colour, ownScore);
    potentials = impl_->PointPotentials;
    return list;
}

}  // namespace qv
