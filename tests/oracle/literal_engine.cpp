#include "oracle/literal_engine.h"

#include <cstdlib>

#include "engine/evaluate.h"
#include "oracle/literal_scoring.h"

namespace qv::literal {
namespace {

int32_t Mul(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}
int32_t Add(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

bool HasEmptyPoint(const Board& b) {
    for (int32_t c = 1; c <= 8; ++c)
        for (int32_t r = 1; r <= 8; ++r)
            if (b(c, r) == Empty) return true;
    return false;
}

}  // namespace

int32_t IntegerPower(int32_t base, int32_t exponent) {
    int32_t result = 1;
    for (int32_t i = 1; i <= exponent; ++i) result = Mul(result, base);
    return result;
}

long double Power(long double x, int32_t exponent) {
    if (exponent == 0) return 1.0L;
    int64_t k = exponent < 0 ? -static_cast<int64_t>(exponent) : exponent;
    long double y = 1.0L;
    while (k > 0) {
        if (k % 2 == 1) y = y * x;
        k = k / 2;
        x = x * x;
    }
    if (exponent < 0) return 1.0L / y;
    return y;
}

float SearchPotential(const Board& b, const PotentialWeights& w, int32_t pc, int32_t pr) {
    float pot = 1.0f;
    for (int32_t qc = 1; qc <= 8; ++qc)
        for (int32_t qr = 1; qr <= 8; ++qr) {
            if (qc == pc && qr == pr) continue;
            const int32_t a = qc - pc, bb = qr - pr;
            const int32_t c3 = qc + bb, r3 = qr - a, c4 = pc + bb, r4 = pr - a;
            if (!OnBoard(c3, r3) || !OnBoard(c4, r4)) continue;
            const int32_t corners[3] = {b(qc, qr), b(c3, r3), b(c4, r4)};
            int32_t reds = 0, blues = 0;
            for (int32_t v : corners) {
                if (v == Red) ++reds;
                if (v == Blue) ++blues;
            }
            if (reds > 0 && blues > 0) continue;
            const int32_t s = std::abs(a) + std::abs(bb) + 1;
            const int32_t n = 1 + reds + blues;
            const int32_t x = Mul(Add(s, w[3]), w[4]);
            const int32_t y = Mul(Add(n, w[6]), w[7]);
            float t = static_cast<float>(Power(x, w[5]));
            t = static_cast<float>(Power(y, w[8]) * t);
            pot = pot + t;
        }
    return pot;
}

Ranked RankingPotential(const Board& b, const PotentialWeights& w, int32_t pc, int32_t pr,
                        int32_t colour, float score) {
    float pot = 0.0f;
    int32_t good = 0, gain = 0;
    for (int32_t qc = 1; qc <= 8; ++qc)
        for (int32_t qr = 1; qr <= 8; ++qr) {
            if (qc == pc && qr == pr) continue;
            const int32_t a = qc - pc, bb = qr - pr;
            const int32_t c3 = qc + bb, r3 = qr - a, c4 = pc + bb, r4 = pr - a;
            if (!OnBoard(c3, r3) || !OnBoard(c4, r4)) continue;
            const int32_t corners[3] = {b(qc, qr), b(c3, r3), b(c4, r4)};
            int32_t reds = 0, blues = 0, mine = 0;
            for (int32_t v : corners) {
                if (v == Red) ++reds;
                if (v == Blue) ++blues;
                if (v == colour) ++mine;
            }
            if (reds > 0 && blues > 0) continue;
            const int32_t s = std::abs(a) + std::abs(bb) + 1;
            const int32_t n = 1 + reds + blues;
            const int32_t t = Mul(IntegerPower(Mul(Add(s, w[3]), w[4]), w[5]),
                                  IntegerPower(Mul(Add(n, w[6]), w[7]), w[8]));
            if (mine == 3) gain = gain + s * s;
            pot = static_cast<float>(static_cast<double>(pot) + static_cast<double>(t));
            if (n >= w[14] && s >= w[13]) good = good + 1;
        }
    if (good >= w[15])
        pot = static_cast<float>(static_cast<double>(good) * static_cast<double>(pot) *
                                 static_cast<double>(good));
    if (static_cast<float>(gain) >= 150.0f - score) return {static_cast<float>(gain), true};
    return {pot, false};
}

std::pair<float, float> SquarePotentials(const Board& b, const PotentialWeights& w) {
    float red = 0.0f, blue = 0.0f;
    for (int32_t x = 1; x <= 8; ++x)
        for (int32_t y = 1; y <= 8; ++y) {
            if (b(x, y) != Empty) continue;
            for (int32_t i = 1; i <= 8; ++i)
                for (int32_t j = 1; j <= 8; ++j) {
                    if (i == x && j == y) continue;
                    const int32_t dx = i - x, dy = j - y;
                    const int32_t cx = x + dy, cy = y - dx, ex = i + dy, ey = j - dx;
                    if (!OnBoard(cx, cy) || !OnBoard(ex, ey)) continue;
                    const int32_t corners[3] = {b(i, j), b(cx, cy), b(ex, ey)};
                    int32_t r = 0, bl = 0;
                    for (int32_t v : corners) {
                        if (v == Red) ++r;
                        if (v == Blue) ++bl;
                    }
                    if (r > 0 && bl > 0) continue;
                    const int32_t s = std::abs(dx) + std::abs(dy) + 1, n = r + bl + 1;
                    const int32_t term = Mul(IntegerPower(Mul(Add(s, w[3]), w[4]), w[5]),
                                             IntegerPower(Mul(Add(n, w[6]), w[7]), w[8]));
                    if (r > 0) {
                        red = static_cast<float>(static_cast<double>(red) + term);
                    } else if (bl > 0) {
                        blue = static_cast<float>(static_cast<double>(blue) + term);
                    } else {
                        red = static_cast<float>(static_cast<double>(red) + term);
                        blue = static_cast<float>(static_cast<double>(blue) + term);
                    }
                }
        }
    return {red, blue};
}

ScoredMove Engine::BestPotentialPoint(Board board) {
    ScoredMove best{0, 0, -1.0f};
    for (int32_t c = 1; c <= 8; ++c)
        for (int32_t r = 1; r <= 8; ++r) {
            PointPotentials[c][r] = 1.0f;
            if (board(c, r) == Empty) {
                PointPotentials[c][r] = SearchPotential(board, Weights, c, r);
                if (PointPotentials[c][r] > best.score) best = {c, r, PointPotentials[c][r]};
            }
        }
    return best;
}

Candidates Engine::RankCandidates(Board board, int32_t colour, float own) {
    Candidates list{};
    list.head = {0, 0, 0.0f};
    bool decisiveMode = false;
    for (int32_t c = 1; c <= 8; ++c)
        for (int32_t r = 1; r <= 8; ++r) {
            PointPotentials[c][r] = 0.0f;
            if (board(c, r) != Empty) continue;
            const Ranked ranked = RankingPotential(board, Weights, c, r, colour, own);
            PointPotentials[c][r] = ranked.value;
            const float key = ranked.value;
            if (ranked.decisive && !decisiveMode) {
                decisiveMode = true;
                list.head.column = 0;
            }
            if (!ranked.decisive && decisiveMode) continue;
            if (list.head.column == 0) {
                list.head.column = c;
                list.head.row = r;
                list.links[c][r] = {0, 0, key};
            } else if (list.links[list.head.column][list.head.row].score < key) {
                list.links[c][r] = {list.head.column, list.head.row, key};
                list.head.column = c;
                list.head.row = r;
            } else {
                int32_t prevC = list.head.column, prevR = list.head.row;
                int32_t curC = list.links[prevC][prevR].column, curR = list.links[prevC][prevR].row;
                while (curC > 0 && list.links[curC][curR].score > key) {
                    prevC = curC;
                    prevR = curR;
                    const ScoredMove next = list.links[curC][curR];
                    curC = next.column;
                    curR = next.row;
                }
                list.links[c][r] = {curC, curR, key};
                list.links[prevC][prevR].column = c;
                list.links[prevC][prevR].row = r;
            }
        }
    return list;
}

void Engine::SearchFullWidth(Board position, int32_t colour, int32_t remaining, int32_t total,
                             float parentAlpha, float parentBeta, float other, float own,
                             PredictedLine& line, ScoredMove hint) {
    const int32_t ply = total - remaining + 1;
    line[ply] = {-1, -1, -65000.0f};
    ScoredMove reply{-1, -1, -65000.0f};
    float alpha = -parentBeta;
    float beta = -parentAlpha;
    Board work = position;
    Board marks = position;
    int32_t tried = 0;
    int32_t column = 0, row = 0;
    bool hintUsed = false;
    PredictedLine wline{};

    while (true) {
        int32_t mc, mr;
        if (!hintUsed && remaining < total && hint.column > 0) {
            mc = hint.column;
            mr = hint.row;
            hintUsed = true;
        } else if (remaining == 1 || tried > 0) {
            column = (column % 8) + 1;
            if (column == 1) row = row + 1;
            if (row > 8) break;
            mc = column;
            mr = row;
        } else {
            const ScoredMove best = BestPotentialPoint(work);
            if (best.column == 0) break;
            mc = best.column;
            mr = best.row;
        }
        if (marks(mc, mr) != 0) continue;

        work(mc, mr) = colour;
        const float newScore = ScoreAfterMove(colour, mc, mr, work, own);
        wline[ply].score = EvaluatePosition(remaining, newScore, other);
        const float v = wline[ply].score;
        if (remaining <= 1 || v >= 1000 || v <= -1000 || !HasEmptyPoint(work)) {
            PositionsEvaluated = PositionsEvaluated + 1;
            wline[ply + 1] = {-1, -1, -65000.0f};
        } else {
            SearchFullWidth(work, Opponent(colour), remaining - 1, total, alpha, beta, newScore,
                            other, wline, reply);
            if (wline[ply + 1].score > reply.score) reply = wline[ply + 1];
            wline[ply].score = -wline[ply + 1].score;
        }
        if (wline[ply].score > line[ply].score) {
            line[ply] = {mc, mr, wline[ply].score};
            for (int32_t i = ply + 1; i <= 16; ++i) line[i] = wline[i];
            if (line[ply].score > alpha) alpha = line[ply].score;
        }
        work(mc, mr) = 0;
        marks(mc, mr) = 3;
        tried = tried + 1;
        if (remaining == total) {
            ProgressCount = ProgressCount + 1;
            if (OnRootMove) OnRootMove();
            if (CancelRequested) break;
        }
        if (line[ply].score >= beta) break;
    }
}

void Engine::SearchWidthLimited(Board position, int32_t colour, int32_t remaining, int32_t width,
                                int32_t total, float parentAlpha, float parentBeta, float other,
                                float own, PredictedLine& line) {
    const int32_t ply = total - remaining + 1;
    line[ply] = {-1, -1, -65000.0f};
    float alpha = -parentBeta;
    float beta = -parentAlpha;
    Board work = position;
    int32_t tried = 0;
    int32_t column = 0, row = 0;
    int32_t mc = 0, mr = 0;
    PredictedLine wline{};
    Candidates list{};
    if (remaining > 1) list = RankCandidates(position, colour, own);

    while (true) {
        if (remaining == 1) {
            column = (column % 8) + 1;
            if (column == 1) row = row + 1;
            if (row > 8) break;
            if (work(column, row) != 0) continue;
            mc = column;
            mr = row;
        } else {
            if (tried == 0) {
                mc = list.head.column;
                mr = list.head.row;
            } else {
                if (tried >= width) break;
                const ScoredMove next = list.links[mc][mr];
                mc = next.column;
                mr = next.row;
            }
            if (mc == 0) break;
        }

        work(mc, mr) = colour;
        const float newScore = ScoreAfterMove(colour, mc, mr, work, own);
        wline[ply].score = EvaluatePosition(remaining, newScore, other);
        const float v = wline[ply].score;
        if (remaining <= 1 || v >= 1000 || v <= -1000 || !HasEmptyPoint(work)) {
            PositionsEvaluated = PositionsEvaluated + 1;
            wline[ply + 1] = {-1, -1, -65000.0f};
        } else {
            SearchWidthLimited(work, Opponent(colour), remaining - 1, width, total, alpha, beta,
                               newScore, other, wline);
            wline[ply].score = -wline[ply + 1].score;
        }
        if (wline[ply].score > line[ply].score) {
            line[ply] = {mc, mr, wline[ply].score};
            for (int32_t i = ply + 1; i <= 16; ++i) line[i] = wline[i];
            if (line[ply].score > alpha) alpha = line[ply].score;
        }
        if (remaining == total) {
            ProgressCount = ProgressCount + 1;
            if (OnRootMove) OnRootMove();
            if (CancelRequested) break;
        }
        work(mc, mr) = 0;
        tried = tried + 1;
        if (line[ply].score >= beta) break;
    }
}

}  // namespace qv::literal
