#include "engine/strong_search.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <new>
#include <system_error>

#include "engine/report.h"

namespace qv::strong {

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

}  // namespace

void TopTwo::Add(int32_t g) {
    if (g > first) {
        second = first;
        first = g;
    } else if (g > second) {
        second = g;
    }
}

namespace {

int32_t LateReduction(int32_t remaining, int move, int32_t hundredths) {
    return static_cast<int32_t>(0.5 + std::log(static_cast<double>(remaining)) *
                                          std::log(static_cast<double>(move + 1)) * hundredths /
                                          100.0);
}

}  // namespace

void Search::Poll() {
    nextPoll_ = positions_ + 1024;
    if (sharing_ != nullptr) {
        sharing_->positions.fetch_add(positions_ - reported_, std::memory_order_relaxed);
        reported_ = positions_;
        if (helper_) {
            // The budget too: the calling thread may not be running to see it.
            if (sharing_->stop.load(std::memory_order_relaxed) ||
                (nodeBudget_ > 0 && Positions() >= nodeBudget_))
                stop_ = true;
            return;
        }
    }
    if (wanted_ > 1 && started_ == 0) started_ = StartHelpers(wanted_, last_, colour_);
    if (onPoll_ != nullptr && *onPoll_) (*onPoll_)();
    if (abort_ != nullptr && abort_->load(std::memory_order_relaxed)) {
        stop_ = true;
        return;
    }
    // The first iteration always finishes, so that there is a move.
    if (depth_ <= 1) return;
    if (cancel_ != nullptr && cancel_->load(std::memory_order_relaxed)) stop_ = true;
    if (nodeBudget_ > 0) {
        if (Positions() >= nodeBudget_) stop_ = true;
    } else if (time_->Expired()) {
        stop_ = true;
    }
}

void Search::UpdatePv(int32_t ply, int p) {
    pv_[ply][ply] = static_cast<int8_t>(p);
    const int32_t end = std::min(pvLength_[ply + 1], kMaxPly);
    for (int32_t i = ply + 1; i < end; ++i) pv_[ply][i] = pv_[ply + 1][i];
    pvLength_[ply] = std::max(end, ply + 1);
}

int32_t Search::LeafValue(int p, int32_t colour, int32_t remaining) const {
    const int32_t own = board_.score[colour] + board_.gain[colour][p];
    const int32_t other = board_.score[Opponent(colour)];
    const int32_t v = Evaluate(remaining, own, other);
    if (IsDecided(v)) return v;
    if (board_.empty == PointBit(p)) {
        // The game is over and the higher score has won.
        if (params_.eval.classic) return v;
        const int32_t diff = own - other;
        return diff > 0   ? remaining * kWinBonus + diff
               : diff < 0 ? diff - remaining * kWinBonus
                          : 0;
    }
    if (params_.eval.classic && remaining <= 1) return v;
    return kNotLeaf;
}

int32_t Search::StaticOf(int32_t own, int32_t theirs, int32_t promise, TopTwo threats) const {
    if (threats.second > 0) {
        // Blocking the largest leaves the second: if taking it decides the
        // game, only a square of the mover's own can save it.
        if (IsDecided(Evaluate(1, theirs + threats.second, own))) return -kDecidedValue;
    }
    // The largest threat is taken as blocked: its squares no longer count.
    // The second weighs at least as much as any further one.
    const EvalParams& e = params_.eval;
    const int32_t extra =
        threats.first == 0 ? e.tempo
                           : e.corner[3] * threats.first +
                                 (e.corner[3] - std::max(e.cashed, e.corner[3])) * threats.second;
    return Undecided(own - theirs, promise + extra);
}

int32_t Search::Static(int32_t colour) const {
    const int32_t other = Opponent(colour);
    TopTwo threats;
    for (uint64_t t = board_.threats[other]; t != 0; t &= t - 1)
        threats.Add(board_.gain[other][__builtin_ctzll(t)]);
    return StaticOf(board_.score[colour], board_.score[other],
                    colour == Red ? board_.promise : -board_.promise, threats);
}

bool Search::ReplyStands(int p, int32_t colour, int32_t& v) const {
    // A reply past the horizon with nothing of its own to complete stands on
    // its static value.
    if ((board_.threats[Opponent(colour)] & ~PointBit(p)) != 0) return false;
    v = -ReplyStatic(p, colour);
    return true;
}

int32_t Search::ReplyStatic(int p, int32_t colour) const {
    const SquareTable& table = Squares();
    const int step = StepOf(colour);
    // The colour's threats that p makes: squares with two of its corners and
    // none of the other's get their last empty corner.
    int news[kMaxSquaresPerPoint];
    int32_t added[kMaxSquaresPerPoint];
    int n = 0;
    int32_t changed = 0;
    for (int32_t i = 0; i < table.throughCount[p]; ++i) {
        const SquareThrough& sq = table.through[p][i];
        const int before = board_.state[sq.id];
        changed += eval_.change[colour][sq.size][before];
        if (before != 2 * step) continue;
        for (uint8_t q : sq.others)
            if (board_.cell[q] == Empty) {
                int k = 0;
                while (k < n && news[k] != q) ++k;
                if (k == n) {
                    news[n] = q;
                    added[n++] = 0;
                }
                added[k] += sq.size * sq.size;
            }
    }
    TopTwo threats;
    uint64_t kept = board_.threats[colour] & ~PointBit(p);
    for (int k = 0; k < n; ++k) {
        const uint64_t bit = PointBit(news[k]);
        threats.Add(added[k] + ((kept & bit) != 0 ? board_.gain[colour][news[k]] : 0));
        kept &= ~bit;
    }
    for (; kept != 0; kept &= kept - 1) threats.Add(board_.gain[colour][__builtin_ctzll(kept)]);
    const int32_t other = Opponent(colour);
    const int32_t promise = board_.promise + changed;
    return StaticOf(board_.score[other], board_.score[colour] + board_.gain[colour][p],
                    other == Red ? promise : -promise, threats);
}

namespace {

// The highest key from i on moves to i, the others keeping their order: the
// moves come out as a stable sort would give them, and a node cut off early
// sorts no further.
void PickMove(int i, int n, std::array<uint8_t, kPoints>& moves,
              std::array<int64_t, kPoints>& keys) {
    int best = i;
    for (int j = i + 1; j < n; ++j)
        if (keys[j] > keys[best]) best = j;
    const int64_t k = keys[best];
    const uint8_t m = moves[best];
    for (int j = best; j > i; --j) {
        keys[j] = keys[j - 1];
        moves[j] = moves[j - 1];
    }
    keys[i] = k;
    moves[i] = m;
}

}  // namespace

int Search::OrderMoves(int32_t colour, int32_t remaining, int32_t ply, int ttMove,
                       std::array<uint8_t, kPoints>& moves,
                       std::array<int64_t, kPoints>& keys) const {
    const int32_t other = Opponent(colour);
    float pots[kPoints];
    int n = 0;
    float top = 1.0f;
    const bool potentials = remaining >= params_.potentialsFrom;
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
            if (potentials) key += static_cast<int64_t>(4095.0f * pots[i] / top);
        }
        keys[i] = key;
    }
    return n;
}

int32_t Search::Quiesce(int32_t alpha, int32_t beta, int32_t ply, int32_t colour, int32_t depth) {
    pvLength_[ply] = ply;
    ++positions_;
    int32_t best = Static(colour);
    if (best >= beta || ply >= kMaxPly || depth >= params_.quiesceDepth) return best;
    alpha = std::max(alpha, best);
    const int32_t other = Opponent(colour);
    // The mover's own squares to complete, the largest first.
    int moves[kPoints];
    int32_t gains[kPoints];
    int n = 0;
    for (uint64_t t = board_.threats[colour]; t != 0; t &= t - 1) {
        const int p = __builtin_ctzll(t);
        const int32_t g = board_.gain[colour][p] * 2 + board_.gain[other][p];
        int j = n++;
        while (j > 0 && gains[j - 1] < g) {
            gains[j] = gains[j - 1];
            moves[j] = moves[j - 1];
            --j;
        }
        gains[j] = g;
        moves[j] = p;
    }
    n = std::min(n, params_.quiesceWidth);
    for (int i = 0; i < n; ++i) {
        const int p = moves[i];
        int32_t v = LeafValue(p, colour, 1);
        ++positions_;
        // Decisions past the horizon rank below any found before it.
        if (v != kNotLeaf && IsDecided(v)) v = v > 0 ? kDecidedValue : -kDecidedValue;
        if (v == kNotLeaf && ReplyStands(p, colour, v)) {
            ++positions_;
            pvLength_[ply + 1] = ply + 1;
        } else if (v == kNotLeaf) {
            board_.Place(p, colour, eval_);
            v = -Quiesce(-beta, -alpha, ply + 1, other, depth + 1);
            board_.Remove(p, colour, eval_);
        } else {
            pvLength_[ply + 1] = ply + 1;
        }
        if (v > best) {
            best = v;
            if (v > alpha) {
                alpha = v;
                UpdatePv(ply, p);
                if (v >= beta) break;
            }
        }
    }
    return best;
}

int32_t Search::Node(int32_t remaining, int32_t alpha, int32_t beta, int32_t ply, int32_t colour,
                     bool allowNull) {
    if (positions_ >= nextPoll_) Poll();
    pvLength_[ply] = ply;
    if (stop_) return 0;
    if (remaining <= 0 || ply >= kMaxPly) return Quiesce(alpha, beta, ply, colour, 0);
    const bool pvNode = beta - alpha > 1;
    const uint64_t key = board_.key ^ (colour == Red ? HashKeys().redToMove : 0);
    int ttMove = -1;
    const bool tabled = remaining >= params_.tableFrom;
    Entry entry;
    if (tabled && table_->Probe(key, entry)) {
        const Entry* e = &entry;
        ttMove = e->move;
        if (!pvNode && e->draft >= remaining) {
            int32_t v = e->value;
            bool usable = true;
            if (e->flags & Entry::kDecidedFlag) {
                // A decision further down than this node's depth reaches is
                // not one here.
                if (e->flags & Entry::kWinFlag) {
                    v += remaining * kWinBonus;
                    usable = v >= kDecidedValue;
                } else {
                    v -= remaining * kWinBonus;
                    usable = v <= -kDecidedValue;
                }
            }
            if (usable && (e->bound == Bound::kExact || (e->bound == Bound::kLower && v >= beta) ||
                           (e->bound == Bound::kUpper && v <= alpha)))
                return v;
        }
    }

    const int32_t other = Opponent(colour);
    // Off the principal line and near the horizon, a static value so far
    // above beta that a few plies are not expected to bring it down ends the
    // node.
    const bool standing = params_.selective && !pvNode && !IsDecided(beta) &&
                          (remaining <= params_.reverseDepth || params_.nullStatic);
    const int32_t stand = standing ? Static(colour) : 0;
    if (standing && remaining <= params_.reverseDepth && !IsDecided(stand) &&
        stand - params_.reverseMargin * remaining >= beta)
        return stand;
    if (params_.selective && allowNull && !pvNode && remaining >= 3 &&
        board_.Empties() > remaining && (!params_.nullStatic || stand >= beta)) {
        const int32_t r = remaining - 1 - params_.nullReduction - (remaining >= 7 ? 1 : 0);
        const int32_t v = -Node(std::max(r, 1), -beta, -beta + 1, ply + 1, other, false);
        if (stop_) return 0;
        // A decided value found after a pass has the wrong bonus: only the
        // cut-off is trusted.
        if (v >= beta) return IsDecided(v) ? beta : v;
    }

    std::array<uint8_t, kPoints> moves;
    std::array<int64_t, kPoints> keys;
    const int n = OrderMoves(colour, remaining, ply, ttMove, moves, keys);
    const int32_t alphaAtStart = alpha;
    int32_t best = -kInfinity;
    int bestMove = -1;
    // Near the horizon, far below alpha: a move that neither completes nor
    // blocks a square is not expected to climb the margin.
    int32_t futile = kInfinity;
    if (params_.selective && !pvNode && remaining <= 2 && !IsDecided(alpha)) {
        const int32_t margin = remaining == 1 ? params_.futility1 : params_.futility2;
        if (margin > 0) {
            const int32_t stand = Static(colour);
            if (!IsDecided(stand) && stand + margin <= alpha) futile = stand + margin;
        }
    }
    const int32_t lateLimit = params_.selective && !pvNode && remaining <= 2
                                  ? (remaining == 1 ? params_.lateMoves1 : params_.lateMoves2)
                                  : 0;
    for (int i = 0; i < n; ++i) {
        PickMove(i, n, moves, keys);
        const int p = moves[i];
        const bool quiet = board_.gain[colour][p] == 0 && board_.gain[other][p] == 0;
        if (futile != kInfinity && i > 0 && quiet) {
            best = std::max(best, futile);
            continue;
        }
        // Near the horizon the late quiet moves are left out.
        if (lateLimit > 0 && i >= lateLimit && quiet && bestMove >= 0) continue;
        int32_t v = LeafValue(p, colour, remaining);
        ++positions_;
        if (v == kNotLeaf && remaining == 1 && ReplyStands(p, colour, v)) {
            ++positions_;
            pvLength_[ply + 1] = ply + 1;
        } else if (v == kNotLeaf) {
            // The reply's table entry is on its way while the piece is placed.
            if (remaining - 1 >= params_.tableFrom)
                table_->Prefetch(board_.key ^ HashKeys().piece[colour][p] ^
                                 (other == Red ? HashKeys().redToMove : 0));
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
    if (tabled)
        table_->Store(key, ToTable(best, remaining),
                      best >= kDecidedValue    ? 1
                      : best <= -kDecidedValue ? -1
                                               : 0,
                      bestMove, remaining, bound);
    return best;
}

int32_t Search::Root(int32_t depth, int32_t alpha, int32_t beta, int32_t colour) {
    pvLength_[1] = 1;
    partialIndex_ = -1;
    const int32_t other = Opponent(colour);
    int32_t best = -kInfinity;
    int bestIndex = -1;
    for (int i = 0; i < rootCount_; ++i) {
        const int p = rootMoves_[i];
        int32_t v = LeafValue(p, colour, depth);
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
                         const std::atomic<bool>* cancel, const std::atomic<bool>* abort,
                         const std::function<void()>& onPoll) {
    const int32_t open = request.position.CountOf(Empty);
    TimeManager time(request.timeLeftMs >= 0 ? ClockBudget(request.timeLeftMs, request.incrementMs,
                                                           request.movesToGo, kPoints - open, open)
                                             : MovetimeBudget(request.movetimeMs),
                     clock_);
    time_ = &time;
    params_ = params;
    eval_ = EvalTables(params.eval);
    potentials_ = fast::PotentialTables(request.weights);
    ownTable_.Resize(request.tableMiB);
    ownTable_.NewSearch();
    board_.Load(request.position, eval_);
    cancel_ = cancel;
    abort_ = abort;
    onPoll_ = &onPoll;
    nodeBudget_ = request.nodes;
    positions_ = 0;
    helperPositions_ = 0;
    wanted_ = 1;
    nextPoll_ = 1024;
    stop_ = false;
    depth_ = 0;
    rootBest_ = -1;
    for (auto& k : killers_) k[0] = k[1] = -1;
    for (auto& row : history_) std::fill(std::begin(row), std::end(row), 0);

    SearchResult result;
    result.line.fill(kNoMove);
    BestPotentialPoint(request.position, request.weights, result.pointPotentials);
    const auto elapsed = [&time] { return time.Elapsed(); };
    const auto used = [this, &elapsed, &time] {
        const double share =
            nodeBudget_ > 0 ? static_cast<double>(positions_) / static_cast<double>(nodeBudget_)
                            : elapsed() / std::max(1.0, time.Budget().targetMs);
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
    struct Helpers {
        Search& search;
        ~Helpers() { search.StopHelpers(); }
    } helpers{*this};
    // The helpers start at the first poll: a search over in fewer positions
    // is done before threads could start.
    wanted_ = std::clamp(request.threads, 1, 64);
    started_ = 0;
    // What they need is made here, outside the search.
    while (static_cast<int32_t>(helpers_.size()) < wanted_ - 1)
        helpers_.push_back(std::make_unique<Search>());
    threads_.reserve(static_cast<size_t>(wanted_ - 1));
    // Past the deepest iteration asked for too: what a helper finds deeper
    // still serves the calling thread's last iterations.
    last_ = empties;
    colour_ = colour;
    rootBoard_ = board_;
    for (int32_t depth = 1; depth <= last; ++depth) {
        if (depth > 1) {
            if (cancel != nullptr && cancel->load()) break;
            // A node budget keeps its fixed share; on a clock the next
            // iteration starts when it can be expected to end in time.
            if (nodeBudget_ > 0 ? used() >= params.startBelowPercent : !time.StartNext()) break;
        }
        depth_ = depth;
        const int32_t v = AspiratedRoot(depth, value, colour);
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
        const uint8_t bestMove = SortRoot();

        value = v;
        reached = depth;
        pvLength = std::max(pvLength_[1] - 1, 1);
        pv[1] = bestMove;
        for (int32_t i = 2; i <= pvLength; ++i) pv[i] = pv_[1][i];
        time.IterationDone();
        if (onIteration) onIteration({depth, used()});
        // A decided value is proven: every line up to this depth was seen.
        // Past the classic horizon a decision one ply from it, or beyond it,
        // is left to the next iteration to place.
        if (params.eval.classic ? IsDecided(value) : std::abs(value) >= 2 * kWinBonus) break;
    }

    StopHelpers();
    result.threads = started_ > 0 ? started_ : wanted_;
    for (int32_t i = 1; i <= std::min(pvLength, 16); ++i)
        result.line[i] = MoveAt(pv[i], i % 2 == 1 ? value : -value);
    if (request.lineEnd > 0 && request.lineEnd + 1 <= 16)
        result.line[request.lineEnd + 1] = kNoMove;
    result.value = result.line[1].score;
    result.caption = OutcomeText(result.value, reached, false);
    result.cancelled = cancel != nullptr && cancel->load();
    result.positions = positions_ + helperPositions_;
    result.rootMoves = reached;
    result.depthReached = reached;
    result.elapsedMs = elapsed();
    return result;
}

int32_t Search::StartHelpers(int32_t threads, int32_t last, int32_t colour) {
    if (threads <= 1) return 1;
    shared_.stop.store(false, std::memory_order_relaxed);
    shared_.positions.store(0, std::memory_order_relaxed);
    reported_ = 0;
    sharing_ = &shared_;
    for (int32_t i = 0; i < threads - 1; ++i) {
        // Everything a helper reads is copied here, before its thread runs.
        Search& h = *helpers_[static_cast<size_t>(i)];
        h.params_ = params_;
        h.eval_ = eval_;
        h.potentials_ = potentials_;
        h.board_ = rootBoard_;
        h.table_ = &ownTable_;
        h.sharing_ = &shared_;
        h.helper_ = true;
        // Every other helper one ply ahead: its entries are waiting when the
        // calling thread gets there. The rest search beside it and spread
        // over the moves by the timing of the table.
        h.depthOffset_ = (i + 1) % 2;
        h.rootMoves_ = rootMoves_;
        h.rootCount_ = rootCount_;
        h.rootBest_ = -1;
        h.nodeBudget_ = nodeBudget_;
        h.positions_ = 0;
        h.reported_ = 0;
        h.nextPoll_ = 1024;
        h.stop_ = false;
        h.depth_ = 0;
        h.cancel_ = nullptr;
        h.abort_ = nullptr;
        h.onPoll_ = nullptr;
        for (auto& k : h.killers_) k[0] = k[1] = -1;
        for (auto& row : h.history_) std::fill(std::begin(row), std::end(row), 0);
        try {
            threads_.emplace_back([&h, last, colour] { h.HelperDeepen(last, colour); });
        } catch (const std::system_error&) {
            // Those started search on; the answer does not wait for more.
            break;
        } catch (const std::bad_alloc&) {
            break;
        }
    }
    if (threads_.empty()) sharing_ = nullptr;
    return static_cast<int32_t>(threads_.size()) + 1;
}

void Search::StopHelpers() {
    if (threads_.empty()) return;
    shared_.stop.store(true, std::memory_order_relaxed);
    for (std::thread& t : threads_) t.join();
    for (size_t i = 0; i < threads_.size(); ++i) helperPositions_ += helpers_[i]->positions_;
    threads_.clear();
    // The calling thread's own count from here on.
    sharing_ = nullptr;
}

int32_t Search::AspiratedRoot(int32_t depth, int32_t value, int32_t colour) {
    const bool aspire = depth >= 3 && !IsDecided(value);
    int32_t lo = aspire ? value - params_.aspiration : -kInfinity;
    int32_t hi = aspire ? value + params_.aspiration : kInfinity;
    while (true) {
        const int32_t v = Root(depth, lo, hi, colour);
        if (stop_) return v;
        if (v <= lo && lo > -kInfinity)
            lo = -kInfinity;
        else if (v >= hi && hi < kInfinity)
            hi = kInfinity;
        else
            return v;
    }
}

uint8_t Search::SortRoot() {
    const uint8_t bestMove = rootMoves_[rootBest_];
    std::array<std::pair<int32_t, uint8_t>, kPoints> order;
    for (int i = 0; i < rootCount_; ++i)
        order[i] = {rootMoves_[i] == bestMove ? INT32_MAX : rootScores_[i], rootMoves_[i]};
    std::stable_sort(order.begin(), order.begin() + rootCount_,
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (int i = 0; i < rootCount_; ++i) rootMoves_[i] = order[i].second;
    return bestMove;
}

void Search::HelperDeepen(int32_t last, int32_t colour) {
    int32_t value = 0;
    for (int32_t depth = 1 + depthOffset_; depth <= last; ++depth) {
        depth_ = depth;
        const int32_t v = AspiratedRoot(depth, value, colour);
        if (stop_) return;
        SortRoot();
        value = v;
        if (params_.eval.classic ? IsDecided(value) : std::abs(value) >= 2 * kWinBonus) return;
    }
}

}  // namespace qv::strong
