#pragma once
// The searches' nodes, on one shared board that is changed and restored move
// by move. Internal to the engine; public for the benchmarks.

#include <bit>

#include "engine/engine.h"
#include "engine/evaluate.h"
#include "engine/search_board.h"

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
    return v >= kDecided || v <= -kDecided;
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

// One search: the engine's counters and callbacks, and the board that the
// nodes share, changed and restored move by move.
struct Searcher {
    Engine& engine;
    const fast::PotentialTables& tables;
    const fast::SearchTables& terms;
    fast::SearchBoard board;
    int32_t total = 0;
    int32_t width = 1;

    // PointPotentials are left as the last ranking or best-point call wrote
    // them; that call's position is kept and the table is filled once, at the
    // end.
    enum class Last { kNone, kRank, kBest } last = Last::kNone;
    uint64_t lastRed = 0, lastBlue = 0;
    int32_t lastColour = 0;
    float lastScore = 0.0f;

    Searcher(Engine& e, const fast::Bits& position)
        : engine(e), tables(e.tables_), terms(e.searchTables_) {
        board.Load(position, terms);
    }

    void FinishPotentials() {
        const fast::Bits bits{fast::Transpose(lastRed), fast::Transpose(lastBlue)};
        if (last == Last::kRank) {
            CandidateList list;
            fast::RankCandidatesOf(bits, lastColour, lastScore, tables, engine.PointPotentials,
                                   list);
        } else if (last == Last::kBest) {
            fast::BestPotentialPointOf(bits, tables, engine.PointPotentials);
        }
    }

    int32_t EmptyPoints() const { return kPoints - std::popcount(board.occupied); }

    float Value(int32_t colour, int k, float own, float other) const {
        return EvaluatePosition(1, own + static_cast<float>(board.gain[colour][k]), other);
    }

    // A horizon node below the root: the hint's point (first, if it is given
    // and empty) and then every empty point in reading order, until one
    // reaches beta. The value only grows with the gain, so the zero-gain
    // points all share one value and only the points with a gain need a look.
    // clearTail: line[ply + 1 ..] may hold anything and must end the line.
    void Horizon(int32_t colour, float other, float own, float beta, PredictedLine& line,
                 int32_t ply, int hint, bool clearTail) {
        int best = -1;
        float bestValue = kNoMove.score;
        uint64_t scan = ~board.occupied;
        int32_t tried = 0;
        if (hint >= 0) {
            scan &= ~Bit(hint);
            bestValue = Value(colour, hint, own, other);
            best = hint;
            ++tried;
            if (bestValue >= beta) scan = 0;
        }
        if (scan != 0) {
            const float zero = EvaluatePosition(1, own, other);
            if (zero >= beta) {
                // The first point ends the node, whatever its gain.
                const int k = std::countr_zero(scan);
                const float v = Value(colour, k, own, other);
                ++tried;
                if (v > bestValue) {
                    best = k;
                    bestValue = v;
                }
            } else {
                uint64_t gainers = scan & board.gainers[colour];
                uint64_t reached = scan;
                int top = -1;
                float topValue = zero;
                while (gainers != 0) {
                    const int k = std::countr_zero(gainers);
                    gainers &= gainers - 1;
                    const float v = Value(colour, k, own, other);
                    if (v > topValue) {
                        top = k;
                        topValue = v;
                    }
                    if (v >= beta) {
                        reached = scan & ~From(k + 1);
                        break;
                    }
                }
                tried += std::popcount(reached);
                // Every point with a gain values above the zero-gain points.
                if (top < 0) top = std::countr_zero(reached);
                if (topValue > bestValue) {
                    best = top;
                    bestValue = topValue;
                }
            }
        }
        engine.PositionsEvaluated += tried;
        if (best < 0) {
            line[ply] = kNoMove;
            return;
        }
        line[ply] = MoveAt(best, bestValue);
        if (clearTail)
            for (int32_t i = ply + 1; i <= 16; ++i) line[i] = kNoMove;
    }

    // A root searched to depth 1: every empty point in reading order, one
    // root move at a time.
    void RootScan(int32_t colour, float other, float own, float beta, PredictedLine& line,
                  int32_t ply) {
        for (uint64_t scan = ~board.occupied; scan != 0; scan &= scan - 1) {
            const int k = std::countr_zero(scan);
            const float v = Value(colour, k, own, other);
            ++engine.PositionsEvaluated;
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
    template <class Key, class KeyOf>
    int32_t List(uint64_t columnSet, KeyOf keyOf, uint8_t* order) const {
        Key keys[kPoints];
        int32_t count = 0;
        const int32_t w = width;
        for (uint64_t set = columnSet; set != 0; set &= set - 1) {
            const int k = fast::ReadingIndex(std::countr_zero(set));
            const Key key = keyOf(k);
            int32_t at;
            if (count == 0 || keys[0] < key) {
                at = 0;
            } else {
                if (count == w && (w == 1 || keys[w - 1] > key)) continue;
                at = 1;
                while (at < count && keys[at] > key) ++at;
            }
            for (int32_t i = count < w ? count : w - 1; i > at; --i) {
                order[i] = order[i - 1];
                keys[i] = keys[i - 1];
            }
            order[at] = static_cast<uint8_t>(k);
            keys[at] = key;
            if (count < w) ++count;
        }
        return count;
    }

    // The first `width` points of the candidate list, in list order.
    template <RankKeys Keys>
    int32_t Rank(int32_t colour, float own, uint8_t* order) {
        last = Last::kRank;
        lastRed = board.red;
        lastBlue = board.blue;
        lastColour = colour;
        lastScore = own;
        const uint64_t empty = ~board.occupied;
        const int32_t* gain = board.gain[colour];
        // Once a decisive point is met only decisive points are listed, so
        // with any decisive point the list holds exactly those, by gain.
        const float need = 150.0f - own;
        uint64_t decisive = 0;
        if (need > 0.0f) {
            for (uint64_t g = board.gainers[colour] & empty; g != 0; g &= g - 1) {
                const int k = std::countr_zero(g);
                if (static_cast<float>(gain[k]) >= need) decisive |= Bit(k);
            }
        } else {
            decisive = empty;
        }
        if (decisive != 0)
            return List<int32_t>(
                fast::Transpose(decisive), [gain](int k) { return gain[k]; }, order);

        const uint64_t columns = fast::Transpose(empty);
        if constexpr (Keys == RankKeys::kWhole) {
            // Exact sums are distinct floats exactly when they are distinct
            // integers, in the same order.
            return List<int64_t>(
                columns, [this](int k) { return board.rank[k]; }, order);
        } else {
            const int32_t boostAt = tables.weights[15];
            return List<float>(
                columns,
                [this, boostAt](int k) {
                    float key = 0.0f;
                    int32_t good = 0;
                    if constexpr (Keys == RankKeys::kExact) {
                        key = static_cast<float>(board.rank[k]);
                        good = board.good[k];
                    } else {
                        const fast::PointCorners& list = fast::CornersThrough()[k];
                        for (int32_t i = 0; i < list.count; ++i) {
                            const fast::Corner& c = list.squares[i];
                            const int st = board.state[c.id];
                            if (fast::Dead(st)) continue;
                            // The integer term joins the sum exactly; only the
                            // sum is rounded.
                            key = static_cast<float>(static_cast<double>(key) +
                                                     static_cast<double>(terms.rank[c.size][st]));
                            good += terms.good[c.size][st];
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
    int BestPoint() {
        last = Last::kBest;
        lastRed = board.red;
        lastBlue = board.blue;
        int best = -1;
        const uint64_t columns = fast::Transpose(~board.occupied);
        if constexpr (Exact) {
            int64_t top = -1;
            for (uint64_t set = columns; set != 0; set &= set - 1) {
                const int k = fast::ReadingIndex(std::countr_zero(set));
                if (board.search[k] > top) {
                    top = board.search[k];
                    best = k;
                }
            }
        } else {
            float top = -1.0f;
            for (uint64_t set = columns; set != 0; set &= set - 1) {
                const int k = fast::ReadingIndex(std::countr_zero(set));
                float pot = 1.0f;
                const fast::PointCorners& list = fast::CornersThrough()[k];
                for (int32_t i = 0; i < list.count; ++i) {
                    const fast::Corner& c = list.squares[i];
                    const int st = board.state[c.id];
                    if (!fast::Dead(st)) pot += terms.search[c.size][st];
                }
                if (pot > top) {
                    top = pot;
                    best = k;
                }
            }
        }
        return best;
    }

    template <RankKeys Keys>
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
        constexpr int kTracked = Keys == RankKeys::kWhole   ? fast::kTrackRank
                                 : Keys == RankKeys::kExact ? fast::kTrackRank | fast::kTrackGood
                                                            : fast::kTrackNone;
        uint8_t order[kPoints];
        const int32_t count = Rank<Keys>(colour, own, order);
        const bool fillsBoard = EmptyPoints() == 1;
        const int32_t reply = Opponent(colour);
        PredictedLine wline;
        for (int32_t i = 0; i < count; ++i) {
            const int m = order[i];
            const float newScore = own + static_cast<float>(board.gain[colour][m]);
            const float v = EvaluatePosition(remaining, newScore, other);
            wline[ply].score = v;
            // A move that fills the board is a leaf too: there is no reply.
            if (Decided(v) || fillsBoard) {
                ++engine.PositionsEvaluated;
                wline[ply + 1] = kNoMove;
            } else {
                if (remaining > 2) {
                    board.Place<kTracked>(m, colour, terms);
                    WidthNode<Keys>(reply, remaining - 1, alpha, beta, newScore, other, wline);
                    board.Remove<kTracked>(m, colour, terms);
                } else {
                    // The reply is a horizon node; every child here ends the
                    // working line after its own entry, so that stays clean.
                    board.Mark(m, colour);
                    Horizon(reply, newScore, other, -alpha, wline, ply + 1, -1, false);
                    board.Unmark(m, colour);
                }
                wline[ply].score = -wline[ply + 1].score;
            }
            Adopt(m, ply, wline, line, alpha);
            if (remaining == total) {
                engine.RootMoveDone();
                if (engine.CancelRequested) break;
            }
            if (line[ply].score >= beta) break;
        }
    }

    template <bool Exact>
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
        line[ply] = kNoMove;
        constexpr int kTracked = Exact ? fast::kTrackSearch : fast::kTrackNone;
        if (first < 0) first = BestPoint<Exact>();
        ScoredMove record = kNoMove;      // the strongest reply so far, offered first below
        uint64_t marks = board.occupied;  // occupied, or tried at this node
        const bool fillsBoard = EmptyPoints() == 1;
        const int32_t reply = Opponent(colour);
        int cursor = -1;
        PredictedLine wline;

        for (int m = first; m >= 0;) {
            const float newScore = own + static_cast<float>(board.gain[colour][m]);
            const float v = EvaluatePosition(remaining, newScore, other);
            wline[ply].score = v;
            if (Decided(v) || fillsBoard) {
                ++engine.PositionsEvaluated;
                wline[ply + 1] = kNoMove;
            } else {
                if (remaining > 2) {
                    board.Place<kTracked>(m, colour, terms);
                    FullNode<Exact>(reply, remaining - 1, alpha, beta, newScore, other, wline,
                                    record);
                    board.Remove<kTracked>(m, colour, terms);
                } else {
                    board.Mark(m, colour);
                    int h =
                        record.column > 0 ? fast::ReadingIndexOf(record.column, record.row) : -1;
                    if (h >= 0 && (board.occupied & Bit(h))) h = -1;
                    // Every child here ends the working line after its own
                    // entry, so that stays clean.
                    Horizon(reply, newScore, other, -alpha, wline, ply + 1, h, false);
                    board.Unmark(m, colour);
                }
                if (wline[ply + 1].score > record.score) record = wline[ply + 1];
                wline[ply].score = -wline[ply + 1].score;
            }
            Adopt(m, ply, wline, line, alpha);
            marks |= Bit(m);
            if (root) {
                engine.RootMoveDone();
                if (engine.CancelRequested) break;
            }
            if (line[ply].score >= beta) break;
            const uint64_t rest = ~marks & From(cursor + 1);
            if (rest == 0) break;
            cursor = std::countr_zero(rest);
            m = cursor;
        }
    }
};

}  // namespace search_detail

using search_detail::Searcher;

}  // namespace qv
