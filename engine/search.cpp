#include <bit>

#include "engine/engine.h"
#include "engine/evaluate.h"

namespace qv {
namespace {

using fast::Bit;
using fast::Bits;

// Point indices in reading order: row 1 from column 1 to 8, then row 2, ...
constexpr std::array<int, kPoints> kReadingOrder = [] {
    std::array<int, kPoints> order{};
    for (int k = 0; k < kPoints; ++k) order[k] = PointIndex(k % 8 + 1, k / 8 + 1);
    return order;
}();

int32_t EmptyPoints(const Bits& bits) {
    return kPoints - std::popcount(bits.Occupied());
}

// Places the colour on m, values the move from the mover's side into
// wline[ply] and either ends the line after it (a leaf) or lets searchReply
// search the answer and takes the negated reply value. The piece is removed
// again before returning.
template <class SearchReply>
inline void TryMove(Engine& engine, Bits& work, int m, int32_t colour, int32_t remaining,
                    int32_t ply, bool fillsBoard, float own, float other, PredictedLine& wline,
                    SearchReply&& searchReply) {
    uint64_t& mine = colour == Red ? work.red : work.blue;
    mine |= Bit(m);
    const float newScore = own + static_cast<float>(fast::CompletedValue(m, mine));
    const float v = EvaluatePosition(remaining, newScore, other);
    wline[ply].score = v;
    // A move that fills the board is a leaf too: there is no reply to search.
    if (remaining <= 1 || v >= kDecided || v <= -kDecided || fillsBoard) {
        ++engine.PositionsEvaluated;
        wline[ply + 1] = kNoMove;
    } else {
        searchReply(newScore);
        wline[ply].score = -wline[ply + 1].score;
    }
    mine &= ~Bit(m);
}

// Adopts the move if strictly better than the node's best so far.
inline void Adopt(int m, int32_t ply, const PredictedLine& wline, PredictedLine& line,
                  float& alpha) {
    if (!(wline[ply].score > line[ply].score)) return;
    line[ply] = {ColumnOf(m), RowOf(m), wline[ply].score};
    for (int32_t i = ply + 1; i <= 16; ++i) line[i] = wline[i];
    if (line[ply].score > alpha) alpha = line[ply].score;
}

}  // namespace

const fast::PotentialTables& Engine::Tables() {
    if (tables_.weights != Weights) tables_ = fast::PotentialTables(Weights);
    return tables_;
}

ScoredMove Engine::BestPotentialPoint(const Board& board) {
    return fast::BestPotentialPointOf(fast::ToBits(board), Tables(), PointPotentials);
}

CandidateList Engine::RankCandidates(const Board& board, int32_t colour, float ownScore) {
    CandidateList list;
    fast::RankCandidatesOf(fast::ToBits(board), colour, ownScore, Tables(), PointPotentials, list);
    return list;
}

void Engine::RootMoveDone() {
    ++ProgressCount;
    if (ProgressTotal > 0) {
        const int32_t position = ProgressCount * 100 / ProgressTotal;
        ProgressPosition = position > 100 ? 100 : position;
    }
    if (OnRootMove) OnRootMove();
}

void Engine::SearchFullWidth(Board position, int32_t colour, int32_t remainingDepth,
                             int32_t totalDepth, float parentAlpha, float parentBeta,
                             float otherScore, float ownScore, PredictedLine& line,
                             ScoredMove FirstMoveHint) {
    Tables();
    FullWidthNode(fast::ToBits(position), colour, remainingDepth, totalDepth, parentAlpha,
                  parentBeta, otherScore, ownScore, line, FirstMoveHint);
}

void Engine::SearchWidthLimited(Board position, int32_t colour, int32_t remainingDepth,
                                int32_t width, int32_t totalDepth, float parentAlpha,
                                float parentBeta, float otherScore, float ownScore,
                                PredictedLine& line) {
    Tables();
    WidthLimitedNode(fast::ToBits(position), colour, remainingDepth, width, totalDepth, parentAlpha,
                     parentBeta, otherScore, ownScore, line);
}

void Engine::FullWidthNode(const Bits& position, int32_t colour, int32_t remaining, int32_t total,
                           float parentAlpha, float parentBeta, float other, float own,
                           PredictedLine& line, const ScoredMove& hint) {
    const int32_t ply = total - remaining + 1;
    line[ply] = kNoMove;
    ScoredMove reply = kNoMove;
    float alpha = -parentBeta;
    const float beta = -parentAlpha;
    Bits work = position;
    uint64_t marks = position.Occupied();  // occupied, or tried at this node
    const bool lastEmpty = EmptyPoints(position) == 1;
    int32_t tried = 0;
    int scan = -1;
    bool hintUsed = false;
    PredictedLine wline;

    for (;;) {
        int m;
        if (!hintUsed && remaining < total && hint.column > 0) {
            m = PointIndex(hint.column, hint.row);
            hintUsed = true;
        } else if (remaining == 1 || tried > 0) {
            if (++scan >= kPoints) break;
            m = kReadingOrder[scan];
        } else {
            const ScoredMove best = fast::BestPotentialPointOf(work, tables_, PointPotentials);
            if (best.column == 0) break;
            m = PointIndex(best.column, best.row);
        }
        if (marks & Bit(m)) continue;

        TryMove(*this, work, m, colour, remaining, ply, lastEmpty, own, other, wline,
                [&](float newScore) {
                    FullWidthNode(work, Opponent(colour), remaining - 1, total, alpha, beta,
                                  newScore, other, wline, reply);
                    if (wline[ply + 1].score > reply.score) reply = wline[ply + 1];
                });
        Adopt(m, ply, wline, line, alpha);
        marks |= Bit(m);
        ++tried;
        if (remaining == total) {
            RootMoveDone();
            if (CancelRequested) break;
        }
        if (line[ply].score >= beta) break;
    }
}

void Engine::WidthLimitedNode(const Bits& position, int32_t colour, int32_t remaining,
                              int32_t width, int32_t total, float parentAlpha, float parentBeta,
                              float other, float own, PredictedLine& line) {
    const int32_t ply = total - remaining + 1;
    line[ply] = kNoMove;
    float alpha = -parentBeta;
    const float beta = -parentAlpha;
    Bits work = position;
    const uint64_t occupied = position.Occupied();
    const bool lastEmpty = EmptyPoints(position) == 1;
    int32_t tried = 0;
    PredictedLine wline;

    auto tryOne = [&](int m) {
        TryMove(*this, work, m, colour, remaining, ply, lastEmpty, own, other, wline,
                [&](float newScore) {
                    WidthLimitedNode(work, Opponent(colour), remaining - 1, width, total, alpha,
                                     beta, newScore, other, wline);
                });
        Adopt(m, ply, wline, line, alpha);
        if (remaining == total) {
            RootMoveDone();
            if (CancelRequested) return false;
        }
        ++tried;
        return !(line[ply].score >= beta);
    };

    if (remaining == 1) {
        for (int scan = 0; scan < kPoints; ++scan) {
            const int m = kReadingOrder[scan];
            if (occupied & Bit(m)) continue;
            if (!tryOne(m)) break;
        }
        return;
    }

    CandidateList list;
    fast::RankCandidatesOf(position, colour, own, tables_, PointPotentials, list);
    ScoredMove next = list.head;
    while (next.column > 0) {
        const int m = PointIndex(next.column, next.row);
        if (!tryOne(m)) break;
        if (tried >= width) break;
        next = list.links[m];
    }
}

}  // namespace qv
