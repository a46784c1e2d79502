// Frozen reference: version 1 of the strong player, copied unchanged (its
// fault of reading some decided table values with the wrong sign included)
// so that matches can measure later versions against the player as it was
// shipped ("strong:...,version=1"). Change nothing here but what keeps it
// building.

#include "engine/strong_v1_search.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "engine/report.h"

namespace qv::strong::v1 {

namespace {

constexpr int32_t kInfinity = 65000;
constexpr int32_t kNotLeaf = INT32_MIN;

// Decided values go into the table without the bonus of the node's
// remaining depth, so that they read right at any depth.
int32_t ToTable(int32_t v, int32_t remaining) {
    if (v >= kDecidedValue) return v - remaining * kWinBonus;
    if (v <= -kDecidedValue) return v + remaining * kWinBonus;
    return v;
}

ScoredMove MoveAt(int p, int32_t score) {
    return {ColumnOf(p), RowOf(p), static_cast<float>(score)};
}

// The largest gain among the empty points, and the largest once the point
// that holds it is taken.
struct BestGains {
    int point = -1;
    int32_t first = 0;
    int32_t second = 0;
    int32_t Without(int p) const { return p == point ? second : first; }
};

BestGains BestGainsOf(const StrongBoard& b, int32_t colour) {
    BestGains g;
    for (uint64_t e = b.empty; e != 0; e &= e - 1) {
        const int p = __builtin_ctzll(e);
        const int32_t v = b.gain[colour][p];
        if (v > g.first) {
            g.second = g.first;
            g.first = v;
            g.point = p;
        } else if (v > g.second) {
            g.second = v;
        }
    }
    return g;
}

int32_t LateReduction(int32_t remaining, int move, int32_t hundredths) {
    return static_cast<int32_t>(0.5 + std::log(static_cast<double>(remaining)) *
                                          std::log(static_cast<double>(move + 1)) * hundredths /
                                          100.0);
}

}  // namespace

void Search::Poll() {
    nextPoll_ = positions_ + 1024;
    if (abort_ != nullptr && abort_->load(std::memory_order_relaxed)) {
        stop_ = true;
        return;
    }
    // The first iteration always finishes, so that there is a move.
    if (depth_ <= 1) return;
    if (cancel_ != nullptr && cancel_->load(std::memory_order_relaxed)) stop_ = true;
    if (nodeBudget_ > 0) {
        if (positions_ >= nodeBudget_) stop_ = true;
    } else if (std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_)
                   .count() >= movetimeMs_) {
        stop_ = true;
    }
}

void Search::UpdatePv(int32_t ply, int p) {
    pv_[ply][ply] = static_cast<int8_t>(p);
    const int32_t end = std::min(pvLength_[ply + 1], kMaxPly);
    for (int32_t i = ply + 1; i < end; ++i) pv_[ply][i] = pv_[ply + 1][i];
    pvLength_[ply] = std::max(end, ply + 1);
}

int32_t Search::LeafValue(int p, int32_t colour, int32_t remaining, int32_t opponentBest) const {
    const int32_t own = board_.score[colour] + board_.gain[colour][p];
    const int32_t other = board_.score[Opponent(colour)];
    const int32_t v = Evaluate(remaining, own, other);
    if (IsDecided(v)) return v;
    if (board_.empty == PointBit(p)) {
        // The classic search gives a move that fills the board below its
        // horizon the whole window; here the game is over and the higher
        // score has won.
        if (params_.eval.classic) return remaining > 1 ? kInfinity : v;
        const int32_t diff = own - other;
        return diff > 0   ? remaining * kWinBonus + diff
               : diff < 0 ? diff - remaining * kWinBonus
                          : 0;
    }
    if (remaining > 1) return kNotLeaf;
    if (params_.eval.classic) return v;
    const int32_t promise = board_.promise + board_.promiseDelta[colour][p];
    return Undecided(own - other,
                     (colour == Red ? promise : -promise) - params_.eval.tempo * opponentBest);
}

int Search::OrderMoves(int32_t colour, int32_t remaining, int32_t ply, int ttMove,
                       std::array<uint8_t, kPoints>& moves) const {
    const int32_t other = Opponent(colour);
    int64_t keys[kPoints];
    float pots[kPoints];
    int n = 0;
    float top = 1.0f;
    const bool potentials = remaining >= 3;
    const fast::Bits bits{board_.pieces[Red], board_.pieces[Blue]};
    for (uint64_t e = board_.empty; e != 0; e &= e - 1) {
        const int p = __builtin_ctzll(e);
        moves[n] = static_cast<uint8_t>(p);
        if (potentials) {
            pots[n] = fast::SearchPotentialAt(p, bits, potentials_);
            top = std::max(top, pots[n]);
        }
        ++n;
    }
    for (int i = 0; i < n; ++i) {
        const int p = moves[i];
        int64_t key;
        if (p == ttMove) {
            key = INT64_MAX;
        } else {
            // Cash a square first, then block one, then the killers.
            key = (static_cast<int64_t>(board_.gain[colour][p]) * 2 + board_.gain[other][p]) << 40;
            if (p == killers_[ply][0])
                key += int64_t{2} << 36;
            else if (p == killers_[ply][1])
                key += int64_t{1} << 36;
            key += static_cast<int64_t>(history_[colour][p]) << 12;
            if (potentials) {
                key += static_cast<int64_t>(4095.0f * pots[i] / top);
            } else {
                const int32_t swing = std::abs(board_.promiseDelta[colour][p]) +
                                      std::abs(board_.promiseDelta[other][p]);
                key += std::min(swing / 4, 4095);
            }
        }
        keys[i] = key;
    }
    // Insertion sort, highest key first; equal keys keep the reading order
    // of the board's index.
    for (int i = 1; i < n; ++i) {
        const int64_t k = keys[i];
        const uint8_t m = moves[i];
        int j = i;
        while (j > 0 && keys[j - 1] < k) {
            keys[j] = keys[j - 1];
            moves[j] = moves[j - 1];
            --j;
        }
        keys[j] = k;
        moves[j] = m;
    }
    return n;
}

int32_t Search::Horizon(int32_t /*alpha*/, int32_t beta, int32_t ply, int32_t colour) {
    pvLength_[ply] = ply;
    const BestGains opp = BestGainsOf(board_, Opponent(colour));
    int32_t best = -kInfinity;
    int bestMove = -1;
    for (uint64_t e = board_.empty; e != 0; e &= e - 1) {
        const int p = __builtin_ctzll(e);
        const int32_t v = LeafValue(p, colour, 1, opp.Without(p));
        ++positions_;
        if (v > best) {
            best = v;
            bestMove = p;
            if (v >= beta) break;
        }
    }
    if (bestMove >= 0) {
        pv_[ply][ply] = static_cast<int8_t>(bestMove);
        pvLength_[ply] = ply + 1;
    }
    return best;
}

int32_t Search::Node(int32_t remaining, int32_t alpha, int32_t beta, int32_t ply, int32_t colour,
                     bool allowNull) {
    if (positions_ >= nextPoll_) Poll();
    pvLength_[ply] = ply;
    if (stop_) return 0;
    if (remaining <= 1 || ply >= kMaxPly) return Horizon(alpha, beta, ply, colour);
    const bool pvNode = beta - alpha > 1;
    const uint64_t key = board_.key ^ (colour == Red ? HashKeys().redToMove : 0);
    int ttMove = -1;
    if (const Entry* e = table_.Probe(key)) {
        ttMove = e->move;
        if (!pvNode && e->draft >= remaining) {
            int32_t v = e->value;
            bool usable = true;
            if (e->flags & Entry::kDecidedFlag) {
                v += v > 0 ? remaining * kWinBonus : -remaining * kWinBonus;
                usable = IsDecided(v);
            }
            if (usable && (e->bound == Bound::kExact || (e->bound == Bound::kLower && v >= beta) ||
                           (e->bound == Bound::kUpper && v <= alpha)))
                return v;
        }
    }

    const int32_t other = Opponent(colour);
    if (params_.selective && allowNull && !pvNode && remaining >= 3 &&
        board_.Empties() > remaining) {
        const int32_t r = remaining - 1 - params_.nullReduction - (remaining >= 7 ? 1 : 0);
        const int32_t v = -Node(std::max(r, 1), -beta, -beta + 1, ply + 1, other, false);
        if (stop_) return 0;
        // A decided value found after a pass has the wrong bonus: only the
        // cut-off is trusted.
        if (v >= beta) return IsDecided(v) ? beta : v;
    }

    std::array<uint8_t, kPoints> moves;
    const int n = OrderMoves(colour, remaining, ply, ttMove, moves);
    const int32_t alphaAtStart = alpha;
    int32_t best = -kInfinity;
    int bestMove = -1;
    for (int i = 0; i < n; ++i) {
        const int p = moves[i];
        int32_t v = LeafValue(p, colour, remaining, 0);
        ++positions_;
        if (v == kNotLeaf) {
            board_.Place(p, colour, eval_);
            if (i == 0) {
                v = -Node(remaining - 1, -beta, -alpha, ply + 1, other);
            } else {
                int32_t reduce = 0;
                if (params_.selective && remaining >= 3 && i >= 3 && p != killers_[ply][0] &&
                    p != killers_[ply][1] && board_.gain[colour][p] == 0 &&
                    board_.gain[other][p] == 0)
                    reduce =
                        std::min(LateReduction(remaining, i, params_.lateReduction), remaining - 2);
                v = -Node(remaining - 1 - reduce, -alpha - 1, -alpha, ply + 1, other);
                if (!stop_ && reduce > 0 && v > alpha)
                    v = -Node(remaining - 1, -alpha - 1, -alpha, ply + 1, other);
                if (!stop_ && v > alpha && v < beta)
                    v = -Node(remaining - 1, -beta, -alpha, ply + 1, other);
            }
            board_.Remove(p, colour, eval_);
            if (stop_) return 0;
        } else {
            pvLength_[ply + 1] = ply + 1;
        }
        if (v > best) {
            best = v;
            bestMove = p;
            if (v > alpha) {
                alpha = v;
                UpdatePv(ply, p);
                if (v >= beta) {
                    if (board_.gain[colour][p] == 0 && killers_[ply][0] != p) {
                        killers_[ply][1] = killers_[ply][0];
                        killers_[ply][0] = static_cast<int8_t>(p);
                    }
                    int32_t& h = history_[colour][p];
                    h += remaining * remaining;
                    if (h > (1 << 20))
                        for (auto& row : history_)
                            for (int32_t& x : row) x /= 2;
                    break;
                }
            }
        }
    }
    const Bound bound = best >= beta          ? Bound::kLower
                        : best > alphaAtStart ? Bound::kExact
                                              : Bound::kUpper;
    table_.Store(key, ToTable(best, remaining), IsDecided(best), bestMove, remaining, bound);
    return best;
}

int32_t Search::Root(int32_t depth, int32_t alpha, int32_t beta, int32_t colour) {
    pvLength_[1] = 1;
    partialIndex_ = -1;
    const int32_t other = Opponent(colour);
    const BestGains opp = BestGainsOf(board_, other);
    int32_t best = -kInfinity;
    int bestIndex = -1;
    for (int i = 0; i < rootCount_; ++i) {
        const int p = rootMoves_[i];
        int32_t v = LeafValue(p, colour, depth, opp.Without(p));
        ++positions_;
        if (v == kNotLeaf) {
            board_.Place(p, colour, eval_);
            if (bestIndex < 0) {
                v = -Node(depth - 1, -beta, -alpha, 2, other);
            } else {
                v = -Node(depth - 1, -alpha - 1, -alpha, 2, other);
                if (!stop_ && v > alpha && v < beta) v = -Node(depth - 1, -beta, -alpha, 2, other);
            }
            board_.Remove(p, colour, eval_);
            if (stop_) return 0;
        } else {
            pvLength_[2] = 2;
        }
        rootScores_[i] = v;
        if (v > best) {
            best = v;
            bestIndex = i;
            if (v > alpha) {
                alpha = v;
                UpdatePv(1, p);
                partialIndex_ = i;
                partialValue_ = v;
                if (v >= beta) break;
            }
        }
        if (positions_ >= nextPoll_) Poll();
        if (stop_) return 0;
    }
    rootBest_ = bestIndex;
    return best;
}

SearchResult Search::Run(const SearchRequest& request, const Params& params,
                         const std::function<void(const SearchProgress&)>& onIteration,
                         const std::atomic<bool>* cancel, const std::atomic<bool>* abort) {
    start_ = std::chrono::steady_clock::now();
    params_ = params;
    eval_ = EvalTables(params.eval);
    potentials_ = fast::PotentialTables(request.weights);
    table_.Resize(request.tableMiB);
    table_.NewSearch();
    board_.Load(request.position, eval_);
    cancel_ = cancel;
    abort_ = abort;
    nodeBudget_ = request.nodes;
    movetimeMs_ = request.movetimeMs;
    positions_ = 0;
    nextPoll_ = 1024;
    stop_ = false;
    depth_ = 0;
    rootBest_ = -1;
    for (auto& k : killers_) k[0] = k[1] = -1;
    for (auto& row : history_) std::fill(std::begin(row), std::end(row), 0);

    SearchResult result;
    result.line.fill(kNoMove);
    BestPotentialPoint(request.position, request.weights, result.pointPotentials);
    const auto elapsed = [this] {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_)
            .count();
    };
    const auto used = [this, &elapsed] {
        const double share =
            nodeBudget_ > 0 ? static_cast<double>(positions_) / static_cast<double>(nodeBudget_)
                            : elapsed() / std::max(1.0, movetimeMs_);
        return std::clamp(static_cast<int32_t>(share * 100.0), 0, 100);
    };

    const int32_t colour = request.colour;
    const int32_t other = Opponent(colour);
    const int32_t empties = board_.Empties();
    if (empties == 0) {
        result.boardWasFull = true;
        result.value = kNoMove.score;
        result.caption = OutcomeText(result.value, 0, true);
        result.elapsedMs = elapsed();
        return result;
    }

    // The root starts in the order of its potentials, a square to take or
    // to block first.
    rootCount_ = 0;
    for (uint64_t e = board_.empty; e != 0; e &= e - 1)
        rootMoves_[rootCount_++] = static_cast<uint8_t>(__builtin_ctzll(e));
    const auto rootKey = [&](int p) {
        return static_cast<double>(board_.gain[colour][p] * 2 + board_.gain[other][p]) * 1e12 +
               static_cast<double>(result.pointPotentials[p]);
    };
    std::stable_sort(rootMoves_.begin(), rootMoves_.begin() + rootCount_,
                     [&](uint8_t a, uint8_t b) { return rootKey(a) > rootKey(b); });

    int32_t value = 0;
    int32_t pv[kMaxPly + 1];
    int32_t pvLength = 0;
    int32_t reached = 0;
    const int32_t last = std::min(params.maxDepth, empties);
    for (int32_t depth = 1; depth <= last; ++depth) {
        if (depth > 1) {
            if (cancel != nullptr && cancel->load()) break;
            if (used() >= params.startBelowPercent) break;
        }
        depth_ = depth;
        const bool aspire = depth >= 3 && !IsDecided(value);
        int32_t lo = aspire ? value - params.aspiration : -kInfinity;
        int32_t hi = aspire ? value + params.aspiration : kInfinity;
        int32_t v = 0;
        while (true) {
            v = Root(depth, lo, hi, colour);
            if (stop_) break;
            if (v <= lo && lo > -kInfinity)
                lo = -kInfinity;
            else if (v >= hi && hi < kInfinity)
                hi = kInfinity;
            else
                break;
        }
        if (stop_) {
            // A move searched to the end in the unfinished iteration and
            // found better than the last best is taken; a decided value would
            // carry the bonus of a depth not reached.
            const bool aborted = abort != nullptr && abort->load();
            if (!aborted && reached > 0 && partialIndex_ > 0 && !IsDecided(partialValue_)) {
                value = partialValue_;
                pvLength = std::max(pvLength_[1] - 1, 1);
                pv[1] = rootMoves_[partialIndex_];
                for (int32_t i = 2; i <= pvLength; ++i) pv[i] = pv_[1][i];
            }
            break;
        }

        // The best first, the others by what this iteration found of them.
        const uint8_t bestMove = rootMoves_[rootBest_];
        std::array<std::pair<int32_t, uint8_t>, kPoints> order;
        for (int i = 0; i < rootCount_; ++i)
            order[i] = {rootMoves_[i] == bestMove ? INT32_MAX : rootScores_[i], rootMoves_[i]};
        std::stable_sort(order.begin(), order.begin() + rootCount_,
                         [](const auto& a, const auto& b) { return a.first > b.first; });
        for (int i = 0; i < rootCount_; ++i) rootMoves_[i] = order[i].second;

        value = v;
        reached = depth;
        pvLength = std::max(pvLength_[1] - 1, 1);
        pv[1] = bestMove;
        for (int32_t i = 2; i <= pvLength; ++i) pv[i] = pv_[1][i];
        if (onIteration) onIteration({depth, used()});
        // A decided value is proven: every line up to this depth was seen.
        if (IsDecided(value)) break;
    }

    for (int32_t i = 1; i <= std::min(pvLength, 16); ++i)
        result.line[i] = MoveAt(pv[i], i % 2 == 1 ? value : -value);
    if (request.lineEnd > 0 && request.lineEnd + 1 <= 16)
        result.line[request.lineEnd + 1] = kNoMove;
    result.value = result.line[1].score;
    result.caption = OutcomeText(result.value, reached, false);
    result.cancelled = cancel != nullptr && cancel->load();
    result.positions = positions_;
    result.rootMoves = reached;
    result.depthReached = reached;
    result.elapsedMs = elapsed();
    return result;
}

}  // namespace qv::strong::v1
