#pragma once
// The searches' nodes, on one shared board that is changed and restored move
// by move. Internal to the engine; public for the benchmarks.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <iterator>
#include <type_traits>

#include "engine/evaluate.h"
#include "engine/parallel_search.h"
#include "engine/search_board.h"
#include "engine/search_engine.h"
#include "engine/subtree_cache.h"

namespace qv {

namespace search_detail {

using fast::Bit;

// A line entry for the point with reading index k.
inline ScoredMove MoveAt(int k, float score) {
    return {fast::ColumnOfReading(k), fast::RowOfReading(k), score};
}

// Adopts the move if strictly better than the node's best so far.
inline void Adopt(int k, int32_t ply, const PredictedLine& wline, PredictedLine& line,
                  float& alpha) {
    if (!(wline[ply].score > line[ply].score)) return;
    line[ply] = MoveAt(k, wline[ply].score);
    for (int32_t i = ply + 1; i <= 16; ++i) line[i] = wline[i];
    if (line[ply].score > alpha) alpha = line[ply].score;
}

inline bool Decided(float v) {
    return IsDecidedValue(v);
}

// Points of the reading order from k on.
inline uint64_t From(int k) {
    return k >= 64 ? 0 : ~uint64_t{0} << k;
}

// How the ranking keys are found for the installed weights.
enum class RankKeys {
    kWhole,    // the kept integer sums, compared as they are (no fork boost possible)
    kExact,    // the kept integer sums as floats, with the fork boost
    kOrdered,  // the float sum, term by term in the visiting order
};

// One search, or the part of one that a helper thread searches: the board
// that the nodes share, changed and restored move by move, the positions
// counted and the last potentials noted.
// On a cache line of its own: the threads' Searchers are written all the
// time.
struct alignas(64) Searcher {
    SearchEngine& engine;
    const fast::PotentialTables& tables;
    const fast::SearchTables& terms;
    fast::SearchBoard board;
    int32_t total = 0;
    // The remaining depth of the node the search was asked for (0: none of
    // this Searcher's nodes, as for a helper). Line entries past the horizon
    // are kNoMove in every line of the search but that node's (the nodes'
    // working lines start so, and only ever get such entries copied there),
    // which the caller gave and may hold anything there: only that node needs
    // to clear them.
    int32_t top = 0;
    int32_t width = 1;
    int64_t positions = 0;
    // positions when the thread last polled.
    int64_t polledAt = 0;
    // Seen when the thread last polled: an Abort, or a Cancel it watches.
    bool halted = false;
    // The owner's: helpers search the later moves of its nodes (null: one
    // thread, or a helper).
    Parallel* parallel = nullptr;
    // A node offers its moves to helpers when their replies search at least
    // this deep.
    int32_t splitFrom = 5;
    // A helper's: its task is no longer wanted.
    const std::atomic<bool>* stop = nullptr;
    // A Cancel ends the search wherever it is (false: it was standing when
    // the search began, which then ends after its first root move).
    bool watchCancel = false;
    // Subtrees searched so far (null: none kept).
    SubtreeCache* cache = nullptr;
    // Subtrees this deep or deeper are kept: below, looking one up costs
    // about what searching it again does.
    static constexpr int32_t kCacheFrom = 3;

    // PointPotentials are left as the last ranking or best-point call wrote
    // them; that call's position is kept and the table is filled once, at the
    // end.
    Noted noted;

    // kept: the sum the nodes will read (kRank for the ranking, kSearch for
    // the best point), when the installed weights allow it.
    Searcher(SearchEngine& e, const fast::Bits& position, fast::Kept kept)
        : engine(e), tables(e.tables_), terms(e.searchTables_) {
        board.Load(position, kept, terms);
    }

    // Every thread looks at the stop flags once in this many positions of
    // its own, well under a millisecond; looking at every move would cost
    // more than the moves near the horizon do.
    static constexpr int64_t kPollEvery = 65536;

    // After each move of an inner node: says whether the search is to stop
    // at once (the move just adopted may have been cut short; the root then
    // goes back to its root moves finished), and polls when this thread's
    // turn has come. What the poll finds is seen at the next move: the move
    // just done was not cut short.
    bool Aborted() {
        if (positions - polledAt >= kPollEvery) [[unlikely]]
            return Poll();
        return Stopped();
    }
    bool Stopped() const {
        return halted || (stop != nullptr && stop->load(std::memory_order_relaxed));
    }
    // Says whether the search was to stop before the poll.
    [[gnu::noinline]] bool Poll() {
        const bool stopped = Stopped();
        polledAt = positions;
        engine.Poll();
        halted = engine.AbortRequested.load(std::memory_order_relaxed) ||
                 (watchCancel && engine.CancelRequested.load(std::memory_order_relaxed));
        return stopped;
    }

    void FinishPotentials() {
        const fast::Bits bits{fast::Transpose(noted.red), fast::Transpose(noted.blue)};
        if (noted.kind == Noted::Kind::kRank) {
            CandidateList list;
            fast::RankCandidatesOf(bits, noted.colour, noted.score, tables, engine.PointPotentials,
                                   list);
        } else if (noted.kind == Noted::Kind::kBest) {
            fast::BestPotentialPointOf(bits, tables, engine.PointPotentials);
        }
    }

    // What a node keeps of the board's sums to put back after each move: only
    // what the move and its reply change (the last move's changes are left
    // for the node's caller to put back). Two plies above the horizon the
    // reply only marks its moves, so a move changes no states and only its
    // own colour's gains (and the kept sums only when the reply reads them);
    // higher up, or without kept sums, everything may change.
    struct Copy {
        std::array<uint8_t, kSquareCount> state;
        int32_t sum[kPoints];
        int16_t gain[2][kPoints];
        uint64_t gainers[2];
        int32_t good[kPoints];
        bool saved = false;   // taken, before the node's first placed move
        bool placed = false;  // the board holds a placed move's changes
        bool sums = false;    // ... to the kept sums too
    };
    template <fast::Kept K>
    static constexpr bool Deep(int32_t remaining) {
        return remaining > 3 || K == fast::Kept::kNone;
    }
    template <fast::Kept K, bool Good>
    void Save(Copy& copy, int32_t colour, bool deep) const {
        const fast::SearchBoard::Sums& s = board.sums;
        copy.saved = true;
        if constexpr (K != fast::Kept::kNone)
            std::copy(std::begin(s.sum), std::end(s.sum), copy.sum);
        if (deep) {
            copy.state = s.state;
            std::copy(&s.gain[0][0], &s.gain[0][0] + 2 * kPoints, &copy.gain[0][0]);
            copy.gainers[0] = s.gainers[0];
            copy.gainers[1] = s.gainers[1];
        } else {
            std::copy(std::begin(s.gain[colour - 1]), std::end(s.gain[colour - 1]),
                      copy.gain[colour - 1]);
            copy.gainers[colour - 1] = s.gainers[colour - 1];
        }
        if constexpr (Good) std::copy(std::begin(board.good), std::end(board.good), copy.good);
    }
    // Puts back what the last placed move changed, if anything.
    template <fast::Kept K, bool Good>
    void Restore(Copy& copy, int32_t colour, bool deep) {
        if (!copy.placed) return;
        fast::SearchBoard::Sums& s = board.sums;
        if constexpr (K != fast::Kept::kNone)
            if (copy.sums) std::copy(std::begin(copy.sum), std::end(copy.sum), s.sum);
        if (deep) {
            s.state = copy.state;
            std::copy(&copy.gain[0][0], &copy.gain[0][0] + 2 * kPoints, &s.gain[0][0]);
            s.gainers[0] = copy.gainers[0];
            s.gainers[1] = copy.gainers[1];
        } else {
            std::copy(std::begin(copy.gain[colour - 1]), std::end(copy.gain[colour - 1]),
                      s.gain[colour - 1]);
            s.gainers[colour - 1] = copy.gainers[colour - 1];
        }
        if constexpr (Good) std::copy(std::begin(copy.good), std::end(copy.good), board.good);
        copy.placed = copy.sums = false;
    }

    // The last line entry a node at this remaining depth needs to clear.
    int32_t LineEnd(int32_t remaining) const { return remaining == top ? 16 : total; }

    // Exactly one empty point: a move there fills the board.
    bool OneEmpty() const {
        const uint64_t empty = ~board.occupied;
        return empty != 0 && (empty & (empty - 1)) == 0;
    }

    float Value(int32_t colour, int k, float own, float other) const {
        return EvaluatePosition(1, own + static_cast<float>(board.Gain(colour, k)), other);
    }

    // What a horizon node finds: its best point and value, the points it
    // tried, and the point that reached beta (-1: none did).
    struct HorizonResult {
        int best = -1;
        float value = kNoMove.score;
        int32_t tried = 0;
        int cut = -1;
    };

    // A horizon node below the root: the hint's point (first, if it is given
    // and empty) and then every empty point in reading order, until one
    // reaches beta. The value only grows with the gain, so the zero-gain
    // points all share one value and only the points with a gain need a look.
    [[gnu::always_inline]] HorizonResult HorizonScan(int32_t colour, float other, float own,
                                                     float beta, int hint) const {
        const uint64_t empty = ~board.occupied;
        return HorizonScanOf(colour, other, own, beta, hint,
                             hint >= 0 ? empty & ~Bit(hint) : empty);
    }

    // The same with the points to scan after the hint given (the empty
    // points less the hint's, and less any taken meanwhile).
    [[gnu::always_inline]] HorizonResult HorizonScanOf(int32_t colour, float other, float own,
                                                       float beta, int hint, uint64_t scan) const {
        HorizonResult r;
        if (hint >= 0) {
            r.value = Value(colour, hint, own, other);
            r.best = hint;
            r.tried = 1;
            if (r.value >= beta) {
                r.cut = hint;
                return r;
            }
        }
        if (scan == 0) return r;
        const float zero = EvaluatePosition(1, own, other);
        if (zero >= beta) {
            // The first point ends the node, whatever its gain.
            const int k = std::countr_zero(scan);
            const float v = Value(colour, k, own, other);
            ++r.tried;
            r.cut = k;
            if (v > r.value) {
                r.best = k;
                r.value = v;
            }
            return r;
        }
        uint64_t gainers = scan & board.Gainers(colour);
        uint64_t reached = scan;
        int top = -1;
        float topValue = zero;
        if (gainers != 0) {
            // The value grows with the gain: the first point whose gain
            // reaches `reach` ends the node, and the first of the largest
            // gains before it is the best.
            const int32_t reach = MinGainReaching(own, other, beta);
            const int16_t* gain = board.sums.gain[colour - 1];
            int32_t topGain = 0;
            do {
                const int k = std::countr_zero(gainers);
                gainers &= gainers - 1;
                const int32_t g = gain[k];
                top = g > topGain ? k : top;
                topGain = g > topGain ? g : topGain;
                if (g >= reach) {
                    reached = scan & ~From(k + 1);
                    r.cut = k;
                    break;
                }
            } while (gainers != 0);
            topValue = EvaluatePosition(1, own + static_cast<float>(topGain), other);
        } else {
            // Every point with a gain values above the zero-gain points.
            top = std::countr_zero(reached);
        }
        r.tried += fast::Popcount(reached);
        if (topValue > r.value) {
            r.best = top;
            r.value = topValue;
        }
        return r;
    }

    // The horizon node's line entry. clearTail: line[ply + 1 ..] may hold
    // anything and must end the line.
    void Horizon(int32_t colour, float other, float own, float beta, PredictedLine& line,
                 int32_t ply, int hint, bool clearTail) {
        EndHorizon(HorizonScan(colour, other, own, beta, hint), line, ply, clearTail);
    }

    void EndHorizon(const HorizonResult& r, PredictedLine& line, int32_t ply, bool clearTail) {
        positions += r.tried;
        if (r.best < 0) {
            line[ply] = kNoMove;
            return;
        }
        line[ply] = MoveAt(r.best, r.value);
        if (clearTail)
            for (int32_t i = ply + 1; i <= LineEnd(1); ++i) line[i] = kNoMove;
    }

    // A root searched to depth 1: every empty point in reading order, one
    // root move at a time.
    void RootScan(int32_t colour, float other, float own, float beta, PredictedLine& line,
                  int32_t ply) {
        for (uint64_t scan = ~board.occupied; scan != 0; scan &= scan - 1) {
            const int k = std::countr_zero(scan);
            const float v = Value(colour, k, own, other);
            ++positions;
            if (v > line[ply].score) {
                line[ply] = MoveAt(k, v);
                for (int32_t i = ply + 1; i <= 16; ++i) line[i] = kNoMove;
            }
            engine.RootMoveDone();
            if (engine.CancelRequested) break;
            if (line[ply].score >= beta) break;
        }
    }

    // The list's insertion rule on the points of a column-order set: a point
    // that beats the head goes first; any other goes after the head, before
    // the first later point whose key is not above its own. Only the first
    // `width` places are kept: a point pushed past them never comes back.
    // keyOf takes the column-major index; order gets reading indices.
    template <class Key, class KeyOf>
    int32_t List(uint64_t columnSet, KeyOf keyOf, uint8_t* order) const {
        if constexpr (std::is_integral_v<Key>) {
            return WholeList(columnSet, keyOf, order);
        } else {
            return FloatList(columnSet, keyOf, order);
        }
    }

    template <class KeyOf>
    int32_t FloatList(uint64_t columnSet, KeyOf keyOf, uint8_t* order) const {
        using Key = float;
        Key keys[kPoints];
        int32_t count = 0;
        const int32_t w = width;
        for (uint64_t set = columnSet; set != 0; set &= set - 1) {
            const int p = std::countr_zero(set);
            const Key key = keyOf(p);
            if (count == w && !(keys[0] < key) && (w == 1 || keys[w - 1] > key)) continue;
            int32_t at;
            if (count == 0 || keys[0] < key) {
                at = 0;
            } else {
                at = 1;
                while (at < count && keys[at] > key) ++at;
            }
            for (int32_t i = count < w ? count : w - 1; i > at; --i) {
                order[i] = order[i - 1];
                keys[i] = keys[i - 1];
            }
            order[at] = static_cast<uint8_t>(fast::ReadingIndex(p));
            keys[at] = key;
            if (count < w) ++count;
        }
        return count;
    }

    // The same rule for whole keys, without moving entries one by one. The
    // points after the head end up by key, highest first, and among equal
    // keys the one that joined them last first: a point joins them when it
    // is met (if it does not beat the head), a head when the point that
    // beats it is met, so every point after the head has its own joining
    // time, and one number (key, time, point) orders them all. The head is
    // kept aside; the others keep the best width - 1 of those numbers.
    template <class KeyOf>
    int32_t WholeList(uint64_t columnSet, KeyOf keyOf, uint8_t* order) const {
        if (columnSet == 0) return 0;
        const int32_t kept = width - 1;
        int64_t tail[kPoints];
        for (int32_t i = 0; i < kept; ++i) tail[i] = INT64_MIN;
        int head = std::countr_zero(columnSet);
        int32_t headKey = keyOf(head);
        const auto entry = [](int32_t key, int time, int p) {
            return static_cast<int64_t>(key) * 4096 + time * 64 + p;
        };
        for (uint64_t set = columnSet & (columnSet - 1); set != 0; set &= set - 1) {
            const int p = std::countr_zero(set);
            const int32_t key = keyOf(p);
            int64_t x;
            if (key > headKey) {
                x = entry(headKey, p, head);
                head = p;
                headKey = key;
            } else {
                x = entry(key, p, p);
            }
            if (kept == 0 || x <= tail[kept - 1]) continue;
            for (int32_t i = 0; i < kept; ++i) {
                const int64_t t = tail[i];
                tail[i] = t > x ? t : x;
                x = t > x ? x : t;
            }
        }
        order[0] = static_cast<uint8_t>(fast::ReadingIndex(head));
        int32_t count = 1;
        while (count <= kept && tail[count - 1] != INT64_MIN) {
            order[count] =
                static_cast<uint8_t>(fast::ReadingIndex(static_cast<int>(tail[count - 1] & 63)));
            ++count;
        }
        return count;
    }

    // Notes the position whose potentials the table will show.
    void NoteRanking(int32_t colour, float own) {
        noted = {Noted::Kind::kRank, board.red, board.blue, colour, own};
    }

    // The empty points whose gain brings the mover to the winning score.
    uint64_t DecisivePoints(int32_t colour, float own) const {
        const uint64_t empty = ~board.occupied;
        const float need = kWinningScore - own;
        if (need <= 0.0f) return empty;
        const uint64_t gainers = board.Gainers(colour) & empty;
        // No gain reaches a need that large.
        if (gainers == 0 || need > 32767.0f) return 0;
        // The least whole gain that meets the need (scores are whole anyway).
        auto least = static_cast<int32_t>(need);
        if (static_cast<float>(least) < need) ++least;
        return gainers & fast::GainsAtLeast(board.sums.gain[colour - 1], least);
    }

    // The first point of the list when no point is decisive and the keys are
    // the kept sums: the first empty point (column order) with the largest.
    int HeadOfSums() const { return fast::ReadingIndex(fast::FirstOfLargest(board.sums.sum)); }

    // The first `width` points of the candidate list, in list order. Once a
    // decisive point is met only decisive points are listed, so with any
    // decisive point the list holds exactly those, by gain.
    template <RankKeys Keys>
    int32_t Rank(int32_t colour, float own, uint8_t* order) {
        NoteRanking(colour, own);
        return RankList<Keys>(colour, own, order);
    }

    // The same, without noting the position: the table shows the last
    // ranking the search asked for, and a list finished late is not one.
    template <RankKeys Keys>
    int32_t RankList(int32_t colour, float own, uint8_t* order) const {
        const uint64_t decisive = DecisivePoints(colour, own);
        if (decisive != 0) {
            const int16_t* gain = board.sums.gain[colour - 1];
            return List<int32_t>(
                fast::Transpose(decisive),
                [gain](int p) { return static_cast<int32_t>(gain[fast::ReadingIndex(p)]); }, order);
        }
        const uint64_t columns = fast::Transpose(~board.occupied);
        if constexpr (Keys == RankKeys::kWhole) {
            // Exact sums are distinct floats exactly when they are distinct
            // integers, in the same order.
            // Only points among the width largest sums (ties included) can
            // make the first width places, and leaving the others out
            // changes neither the heads met on the way nor the order of the
            // rest.
            return List<int32_t>(
                columns & fast::LargestSums(board.sums.sum, width),
                [this](int p) { return board.sums.sum[p]; }, order);
        } else {
            const int32_t boostAt = tables.weights[15];
            const int64_t unit = int64_t{1} << terms.rankShift;
            return List<float>(
                columns,
                [this, boostAt, unit](int p) {
                    float key = 0.0f;
                    int32_t good = 0;
                    if constexpr (Keys == RankKeys::kExact) {
                        key = static_cast<float>(board.sums.sum[p] * unit);
                        good = board.good[p];
                    } else {
                        (void)unit;  // only the kept sums are in its units
                        const fast::PointCorners& list =
                            fast::CornersThrough()[fast::ReadingIndex(p)];
                        for (int32_t i = 0; i < list.count; ++i) {
                            const fast::Corner& c = list.squares[i];
                            const int st = board.sums.state[c.id] - c.row;
                            if (fast::Dead(st)) continue;
                            // The integer term joins the sum exactly; only the
                            // sum is rounded.
                            key = static_cast<float>(static_cast<double>(key) +
                                                     static_cast<double>(terms.rank[c.row + st]));
                            good += terms.good[c.row + st];
                        }
                    }
                    if (good >= boostAt) {
                        const double g = good;
                        key = static_cast<float>(g * static_cast<double>(key) * g);
                    }
                    return key;
                },
                order);
        }
    }

    // The empty point with the highest search potential, first in column
    // order; -1 when there is none.
    template <bool Exact>
    [[gnu::always_inline]] int BestPoint() {
        noted.kind = Noted::Kind::kBest;
        noted.red = board.red;
        noted.blue = board.blue;
        int best = -1;
        const uint64_t columns = fast::Transpose(~board.occupied);
        if constexpr (Exact) {
            // Empty points' sums are >= 0, occupied ones far below.
            if (columns == 0) return -1;
            best = fast::ReadingIndex(fast::FirstOfLargest(board.sums.sum));
        } else {
            float top = -1.0f;
            for (uint64_t set = columns; set != 0; set &= set - 1) {
                const int k = fast::ReadingIndex(std::countr_zero(set));
                float pot = 1.0f;
                const fast::PointCorners& list = fast::CornersThrough()[k];
                for (int32_t i = 0; i < list.count; ++i) {
                    const fast::Corner& c = list.squares[i];
                    const int st = board.sums.state[c.id] - c.row;
                    if (!fast::Dead(st)) pot += terms.search[c.row + st];
                }
                if (pot > top) {
                    top = pot;
                    best = k;
                }
            }
        }
        return best;
    }

    // A node's later moves, offered to the helpers once its first is done
    // (see Parallel). index: the task of the move in hand.
    struct Split {
        Parallel* parallel = nullptr;
        SplitPoint* node = nullptr;
        int32_t index = 0;
        Split() = default;
        Split(const Split&) = delete;
        Split& operator=(const Split&) = delete;
        ~Split() {
            if (node != nullptr) parallel->Close(*node);
        }
        bool Take(float alpha, int hint, PredictedLine& line, int64_t& positions, Noted& noted) {
            return node != nullptr &&
                   parallel->Take(*node, index, alpha, hint, line, positions, noted);
        }
        // After each move: the next one's task, with the node's inputs now.
        void Next(float alpha, int hint) {
            if (node == nullptr) return;
            ++index;
            parallel->Update(*node, index, alpha, hint);
        }
    };

    // Whether a node should offer its moves after the first: the owner's,
    // with replies deep enough to be worth a thread. Nodes that never do are
    // searched without the offering (Shared false).
    bool Splits(int32_t remaining) const {
        return parallel != nullptr && remaining - 1 >= splitFrom && remaining > 2;
    }

    // moves: the node's later moves in order; the board is the node's own
    // (between moves).
    void OpenSplit(Split& split, ChildSearch search, int32_t colour, int32_t remaining, int32_t ply,
                   float alpha, float beta, float own, float other, int hint, const uint8_t* moves,
                   int32_t count, bool fillsBoard) {
        SplitPoint& node = parallel->At(ply);
        node.inputs = {search, colour, remaining, beta, own, other};
        node.ply = ply;
        node.board = board;
        node.alpha = alpha;
        node.hint = hint;
        node.count = count;
        for (int32_t k = 0; k < count; ++k) {
            Task& t = node.tasks[static_cast<size_t>(k)];
            const int m = moves[k];
            t.move = static_cast<int8_t>(m);
            t.worker = -1;
            // Leaves are the owner's: nothing to search.
            const bool leaf =
                fillsBoard ||
                Decided(EvaluatePosition(remaining, own + static_cast<float>(board.Gain(colour, m)),
                                         other));
            t.state = leaf ? Task::State::kOwner : Task::State::kFree;
        }
        parallel->Open(node);
        split.parallel = parallel;
        split.node = &node;
        split.index = 0;
    }

    template <bool Exact>
    static void SearchFullChild(Searcher& s, const NodeInputs& node, int m, float alpha, int hint,
                                PredictedLine& line) {
        constexpr fast::Kept kKept = Exact ? fast::Kept::kSearch : fast::Kept::kNone;
        const float newScore = node.own + static_cast<float>(s.board.Gain(node.colour, m));
        s.board.Place<kKept, false, true>(m, node.colour, s.terms);
        s.FullNode<Exact, false>(Opponent(node.colour), node.remaining - 1, alpha, node.beta,
                                 newScore, node.other, line,
                                 hint >= 0 ? MoveAt(hint, 0.0f) : kNoMove);
    }

    template <RankKeys Keys>
    static void SearchWidthChild(Searcher& s, const NodeInputs& node, int m, float alpha, int,
                                 PredictedLine& line) {
        constexpr fast::Kept kKept =
            Keys == RankKeys::kOrdered ? fast::Kept::kNone : fast::Kept::kRank;
        const float newScore = node.own + static_cast<float>(s.board.Gain(node.colour, m));
        s.board.Place<kKept, Keys == RankKeys::kExact, true>(m, node.colour, s.terms);
        s.WidthNode<Keys, false>(Opponent(node.colour), node.remaining - 1, alpha, node.beta,
                                 newScore, node.other, line);
    }

    // One move m of an inner node: its value and, unless it decides the game
    // or fills the board (a leaf then), the reply's entry below it in wline:
    // deeper() searches the reply on the board with m placed, horizon() values
    // the reply as a horizon node with m only marked. Says whether a reply
    // was searched. The node's copy of the sums is taken before its first
    // placed move; `sumsRead`: the reply reads the kept sums.
    template <fast::Kept K, bool Good, bool Shared, class Deeper, class HorizonReply>
    bool ChildMove(int m, int32_t colour, int32_t remaining, int32_t ply, float own, float other,
                   bool fillsBoard, PredictedLine& wline, Copy& copy, Deeper deeper,
                   HorizonReply horizon, bool sumsRead, Split& split, float alpha, float beta,
                   int hint) {
        const float newScore = own + static_cast<float>(board.Gain(colour, m));
        const float v = EvaluatePosition(remaining, newScore, other);
        wline[ply].score = v;
        // A move that fills the board is a leaf too: there is no reply.
        if (Decided(v) || fillsBoard) {
            ++positions;
            wline[ply + 1] = kNoMove;
            return false;
        }
        if (remaining > 2) {
            if constexpr (Shared) {
                if (split.Take(alpha, hint, wline, positions, noted)) {
                    wline[ply].score = -wline[ply + 1].score;
                    return true;
                }
            } else {
                (void)split;
            }
            SubtreeKey key{};
            const bool cached = cache != nullptr && remaining - 1 >= kCacheFrom;
            if (cached) {
                key = {colour == Red ? board.red | Bit(m) : board.red,
                       colour == Red ? board.blue : board.blue | Bit(m),
                       alpha,
                       beta,
                       newScore,
                       other,
                       static_cast<int8_t>(Opponent(colour)),
                       static_cast<int8_t>(remaining - 1),
                       static_cast<int8_t>(hint)};
                if (const SubtreeCache::Entry* e = cache->Find(key)) {
                    SubtreeCache::Load(*e, wline, ply + 1, total, positions, noted);
                    wline[ply].score = -wline[ply + 1].score;
                    return true;
                }
            }
            // What the subtree adds, to keep: its positions and the last
            // potentials it notes itself (none: the caller's stay).
            const int64_t before = positions;
            Noted outer;
            if (cached) {
                outer = noted;
                noted.kind = Noted::Kind::kNone;
            }
            const bool deep = Deep<K>(remaining);
            if (!copy.saved) Save<K, Good>(copy, colour, deep);
            if (deep) {
                board.Place<K, Good, true>(m, colour, terms);
                copy.sums = true;
            } else if (sumsRead) {
                board.Place<K, Good, false>(m, colour, terms);
                copy.sums = true;
            } else {
                board.Place<fast::Kept::kNone, false, false>(m, colour, terms);
            }
            copy.placed = true;
            deeper(newScore);
            board.Unmark(m, colour);
            if (cached) {
                if (!Stopped()) cache->Store(key, wline, ply + 1, total, positions - before, noted);
                if (noted.kind == Noted::Kind::kNone) noted = outer;
            }
        } else {
            // The reply is a horizon node; every child here ends the working
            // line after its own entry, so that stays clean.
            horizon(newScore);
        }
        wline[ply].score = -wline[ply + 1].score;
        return true;
    }

    template <RankKeys Keys, bool Shared>
    void WidthNode(int32_t colour, int32_t remaining, float parentAlpha, float parentBeta,
                   float other, float own, PredictedLine& line) {
        const int32_t ply = total - remaining + 1;
        float alpha = -parentBeta;
        const float beta = -parentAlpha;
        if (remaining == 1) {
            if (remaining == total) {
                line[ply] = kNoMove;
                RootScan(colour, other, own, beta, line, ply);
            } else {
                Horizon(colour, other, own, beta, line, ply, -1, true);
            }
            return;
        }
        line[ply] = kNoMove;
        constexpr fast::Kept kKept =
            Keys == RankKeys::kOrdered ? fast::Kept::kNone : fast::Kept::kRank;
        constexpr bool kGood = Keys == RankKeys::kExact;
        uint8_t order[kPoints];
        int32_t count;
        // Most nodes end after their first move: with whole keys the rest of
        // the list is only worked out when a second move is wanted.
        bool headOnly = false;
        if constexpr (Keys == RankKeys::kWhole) {
            NoteRanking(colour, own);
            const uint64_t decisive = DecisivePoints(colour, own);
            if (decisive != 0 || board.occupied == ~uint64_t{0} || width == 1) {
                count = Rank<Keys>(colour, own, order);
            } else {
                order[0] = static_cast<uint8_t>(HeadOfSums());
                count = 1;
                headOnly = true;
            }
        } else {
            count = Rank<Keys>(colour, own, order);
        }
        const bool fillsBoard = OneEmpty();
        const int32_t reply = Opponent(colour);
        PredictedLine wline;
        Copy copy;
        Split split;
        for (int32_t i = 0; i < count; ++i) {
            const int m = order[i];
            const float alphaBefore = alpha;
            ChildMove<kKept, kGood, Shared>(
                m, colour, remaining, ply, own, other, fillsBoard, wline, copy,
                [&](float newScore) {
                    if (Shared && Splits(remaining - 1))
                        WidthNode<Keys, Shared>(reply, remaining - 1, alpha, beta, newScore, other,
                                                wline);
                    else
                        WidthNode<Keys, false>(reply, remaining - 1, alpha, beta, newScore, other,
                                               wline);
                },
                [&](float newScore) {
                    board.Mark(m, colour);
                    Horizon(reply, newScore, other, -alpha, wline, ply + 1, -1, false);
                    board.Unmark(m, colour);
                },
                true, split, alpha, beta, -1);
            Adopt(m, ply, wline, line, alpha);
            if (Aborted()) return;
            if (remaining == total) {
                engine.RootMoveDone();
                if (engine.CancelRequested) break;
            }
            if (line[ply].score >= beta) break;
            if (i + 1 >= count && !headOnly) break;
            // The sums go back only when another move follows: the caller
            // puts back its own copy after this node anyway.
            Restore<kKept, kGood>(copy, colour, Deep<kKept>(remaining));
            if (headOnly) {
                count = RankList<Keys>(colour, own, order);
                headOnly = false;
            }
            if constexpr (Shared) {
                split.Next(alpha, -1);
                // A move that did not raise alpha hints that the later ones
                // will not either, so that moves searched ahead with this
                // alpha will be kept; after a move that did, they seldom are.
                if (split.node == nullptr && alpha == alphaBefore && Splits(remaining) &&
                    count > i + 1)
                    OpenSplit(split, &SearchWidthChild<Keys>, colour, remaining, ply, alpha, beta,
                              own, other, -1, order + i + 1, count - i - 1, fillsBoard);
            }
        }
    }

    // The horizon replies to the moves of one node differ little: a move
    // that completes nothing leaves the reply's values (the opponent's gains
    // and both scores) as they were and only takes its own point away. So
    // the reply without that point is found once, on the node's own board,
    // for the current beta and hint, and a move that is neither the reply's
    // best point nor the one that reached beta only shortens its list.
    struct SameReply {
        bool valid = false;
        float beta = 0.0f;
        int hint = -1;  // as the record names it
        int used = -1;  // as it was tried (-1: not empty)
        HorizonResult result;
    };

    HorizonResult Reply(int32_t colour, int m, float newScore, float other, float beta, int hint,
                        SameReply& same) {
        const int32_t reply = Opponent(colour);
        if (board.Gain(colour, m) == 0) {
            if (!same.valid || same.beta != beta || same.hint != hint) {
                same.valid = true;
                same.beta = beta;
                same.hint = hint;
                same.used = hint >= 0 && !(board.occupied & Bit(hint)) ? hint : -1;
                same.result = HorizonScan(reply, newScore, other, beta, same.used);
            }
            const HorizonResult& r = same.result;
            if (m != r.cut && m != r.best) {
                HorizonResult mine = r;
                // Was m among the points tried before the node ended?
                const bool before =
                    r.cut < 0 || m == same.used || (r.cut != same.used && m < r.cut);
                mine.tried -= before;
                return mine;
            }
        }
        board.Mark(m, colour);
        const int h = hint >= 0 && !(board.occupied & Bit(hint)) ? hint : -1;
        const HorizonResult r = HorizonScan(reply, newScore, other, beta, h);
        board.Unmark(m, colour);
        return r;
    }

    // A full-width node two plies above the horizon, below the root, when
    // its moves' replies can share (see FullNode): the moves and their
    // horizon replies as FullNode tries them, on the node's own board. The
    // opponent's gains do not change here, so every reply is a scan over
    // them with the move's point left out.
    template <bool Exact>
    void TwoPly(int32_t colour, float parentAlpha, float parentBeta, float other, float own,
                PredictedLine& line, int first) {
        const int32_t ply = total - 1;
        float alpha = -parentBeta;
        const float beta = -parentAlpha;
        line[ply] = kNoMove;
        if (first < 0) first = BestPoint<Exact>();
        if (first < 0) return;
        const int32_t reply = Opponent(colour);
        const uint64_t empty = ~board.occupied;
        const uint64_t gainers = board.Gainers(colour) & empty;
        const int16_t* gain = board.sums.gain[colour - 1];
        const float even = EvaluatePosition(2, own, other);  // not decided: see FullNode
        int64_t tried = 0;
        float best = kNoMove.score;
        int bestMove = -1;
        ScoredMove bestReply = kNoMove;
        int recordPoint = -1;  // the strongest reply so far, offered first
        float recordScore = kNoMove.score;
        SameReply same;
        uint64_t rest = empty & ~Bit(first);
        for (int m = first;;) {
            const int32_t g = gain[m];
            const float newScore = own + static_cast<float>(g);
            const float v = g == 0 ? even : EvaluatePosition(2, newScore, other);
            float value = v;
            ScoredMove replyEntry = kNoMove;
            if (Decided(v)) {
                ++tried;
            } else {
                HorizonResult r;
                bool mine = true;
                if (g == 0) {
                    if (!same.valid || same.beta != -alpha || same.hint != recordPoint) {
                        same.valid = true;
                        same.beta = -alpha;
                        same.hint = recordPoint;
                        same.used =
                            recordPoint >= 0 && (empty & Bit(recordPoint)) ? recordPoint : -1;
                        same.result =
                            HorizonScanOf(reply, newScore, other, -alpha, same.used,
                                          same.used >= 0 ? empty & ~Bit(same.used) : empty);
                    }
                    const HorizonResult& s = same.result;
                    if (m != s.cut && m != s.best) {
                        r = s;
                        // Was m among the points tried before the node ended?
                        r.tried -= s.cut < 0 || m == same.used || (s.cut != same.used && m < s.cut);
                        mine = false;
                    }
                }
                if (mine) {
                    const int h = recordPoint >= 0 && recordPoint != m && (empty & Bit(recordPoint))
                                      ? recordPoint
                                      : -1;
                    uint64_t scan = empty & ~Bit(m);
                    if (h >= 0) scan &= ~Bit(h);
                    r = HorizonScanOf(reply, newScore, other, -alpha, h, scan);
                }
                tried += r.tried;
                if (r.best >= 0) replyEntry = MoveAt(r.best, r.value);
                value = -replyEntry.score;
                if (replyEntry.score > recordScore) {
                    recordPoint = r.best;
                    recordScore = replyEntry.score;
                }
            }
            if (value > best) {
                best = value;
                bestMove = m;
                bestReply = replyEntry;
                if (best > alpha) alpha = best;
            }
            if (best >= beta) break;
            // A run of moves that get the shared reply unchanged (see
            // SkipSharedReplies).
            const HorizonResult& s = same.result;
            if (same.valid && s.best >= 0 && same.beta == -alpha && same.hint == recordPoint &&
                -s.value <= best && s.value <= recordScore) {
                uint64_t stops = rest & (gainers | Bit(s.best));
                if (s.cut >= 0) stops |= rest & Bit(s.cut);
                const uint64_t run = stops == 0 ? rest : rest & ((stops & -stops) - 1);
                uint64_t fewer = run;
                if (s.cut >= 0) {
                    fewer = same.used >= 0 ? Bit(same.used) : 0;
                    if (s.cut != same.used) fewer |= Bit(s.cut) - 1;
                    fewer &= run;
                }
                tried += fast::Popcount(run) * s.tried - fast::Popcount(fewer);
                rest &= ~run;
            }
            if (rest == 0) break;
            m = std::countr_zero(rest);
            rest &= rest - 1;
        }
        positions += tried;
        if (bestMove < 0) return;
        line[ply] = MoveAt(bestMove, best);
        line[ply + 1] = bestReply;
        for (int32_t i = ply + 2; i <= LineEnd(2); ++i) line[i] = kNoMove;
    }

    template <bool Exact, bool Shared>
    void FullNode(int32_t colour, int32_t remaining, float parentAlpha, float parentBeta,
                  float other, float own, PredictedLine& line, const ScoredMove& hint) {
        const int32_t ply = total - remaining + 1;
        float alpha = -parentBeta;
        const float beta = -parentAlpha;
        const bool root = remaining == total;
        int first = -1;  // the hint's point, if it is given and empty
        if (!root && hint.column > 0) {
            first = fast::ReadingIndexOf(hint.column, hint.row);
            if (board.occupied & Bit(first)) first = -1;
        }
        if (remaining == 1) {
            if (root) {
                line[ply] = kNoMove;
                RootScan(colour, other, own, beta, line, ply);
            } else {
                Horizon(colour, other, own, beta, line, ply, first, true);
            }
            return;
        }
        if (remaining == 2 && !root && !OneEmpty() &&
            !Decided(EvaluatePosition(remaining, own, other))) {
            TwoPly<Exact>(colour, parentAlpha, parentBeta, other, own, line, first);
            return;
        }
        line[ply] = kNoMove;
        constexpr fast::Kept kKept = Exact ? fast::Kept::kSearch : fast::Kept::kNone;
        if (first < 0) first = BestPoint<Exact>();
        ScoredMove record = kNoMove;      // the strongest reply so far, offered first below
        uint64_t marks = board.occupied;  // occupied, or tried at this node
        const bool fillsBoard = OneEmpty();
        const int32_t reply = Opponent(colour);
        int cursor = -1;
        PredictedLine wline;
        Copy copy;
        SameReply same;
        // Moves that complete nothing are all worth the same here, and when
        // that is not decided their replies are horizon nodes that can share.
        const bool shareReplies = remaining == 2 && !root && !fillsBoard &&
                                  !Decided(EvaluatePosition(remaining, own, other));
        Split split;
        const auto hintOf = [](const ScoredMove& r) {
            return r.column > 0 ? fast::ReadingIndexOf(r.column, r.row) : -1;
        };

        for (int m = first; m >= 0;) {
            const int hint = hintOf(record);
            // Two plies above the horizon the reply reads the kept sums only
            // for its best point, which it needs only without a usable hint.
            const bool sumsRead =
                remaining != 3 || hint < 0 || hint == m || (board.occupied & Bit(hint));
            const bool replied = ChildMove<kKept, false, Shared>(
                m, colour, remaining, ply, own, other, fillsBoard, wline, copy,
                [&](float newScore) {
                    if (Shared && Splits(remaining - 1))
                        FullNode<Exact, Shared>(reply, remaining - 1, alpha, beta, newScore, other,
                                                wline, record);
                    else
                        FullNode<Exact, false>(reply, remaining - 1, alpha, beta, newScore, other,
                                               wline, record);
                },
                [&](float newScore) {
                    EndHorizon(Reply(colour, m, newScore, other, -alpha, hint, same), wline,
                               ply + 1, false);
                },
                sumsRead, split, alpha, beta, hint);
            if (replied && wline[ply + 1].score > record.score) record = wline[ply + 1];
            Adopt(m, ply, wline, line, alpha);
            if (Aborted()) return;
            marks |= Bit(m);
            if (root) {
                engine.RootMoveDone();
                if (engine.CancelRequested) break;
            }
            if (line[ply].score >= beta) break;
            uint64_t rest = ~marks & From(cursor + 1);
            if (shareReplies)
                SkipSharedReplies(colour, alpha, line[ply].score, record, same, rest, marks,
                                  cursor);
            if (rest == 0) break;
            Restore<kKept, false>(copy, colour, Deep<kKept>(remaining));
            if constexpr (Shared) split.Next(alpha, hintOf(record));
            // (Not before the first move is done: its reply is the others' hint.)
            if (Shared && split.node == nullptr && Splits(remaining)) {
                uint8_t moves[kPoints];
                int32_t count = 0;
                for (uint64_t r = rest; r != 0; r &= r - 1)
                    moves[count++] = static_cast<uint8_t>(std::countr_zero(r));
                OpenSplit(split, &SearchFullChild<Exact>, colour, remaining, ply, alpha, beta, own,
                          other, hintOf(record), moves, count, fillsBoard);
            }
            cursor = std::countr_zero(rest);
            m = cursor;
        }
    }

    // Once the shared horizon reply holds for the node's current beta and
    // hint, every later move that completes nothing, and is neither that
    // reply's best point nor the one that reached beta, gets exactly that
    // reply: its value is the one already tried, so it neither becomes the
    // node's best nor the strongest reply, and alpha stays. Such a run of
    // moves in reading order only adds up the positions its replies try.
    void SkipSharedReplies(int32_t colour, float alpha, float best, const ScoredMove& record,
                           const SameReply& same, uint64_t& rest, uint64_t& marks, int& cursor) {
        const HorizonResult& r = same.result;
        if (!same.valid || r.best < 0 || same.beta != -alpha) return;
        const int hint = record.column > 0 ? fast::ReadingIndexOf(record.column, record.row) : -1;
        if (same.hint != hint || -r.value > best || r.value > record.score) return;
        uint64_t stops = rest & (board.Gainers(colour) | Bit(r.best));
        if (r.cut >= 0) stops |= rest & Bit(r.cut);
        const uint64_t run = stops == 0 ? rest : rest & ((stops & -stops) - 1);
        if (run == 0) return;
        // Moves among the points the reply tried before it ended try one fewer.
        uint64_t fewer = run;
        if (r.cut >= 0) {
            fewer = same.used >= 0 ? Bit(same.used) : 0;
            if (r.cut != same.used) fewer |= Bit(r.cut) - 1;
            fewer &= run;
        }
        positions += fast::Popcount(run) * r.tried - fast::Popcount(fewer);
        marks |= run;
        cursor = 63 - std::countl_zero(run);
        rest &= ~run;
    }
};

}  // namespace search_detail

using search_detail::Searcher;

}  // namespace qv
