#pragma once
// A plain, slow reading of the potentials and both searches, step by step,
// with its own board copies and loops over point pairs. The fast engine must
// give exactly the same lines, values and counts.

#include <array>
#include <cstdint>
#include <functional>

#include "engine/types.h"
#include "model/board.h"

namespace qv::literal {

int32_t IntegerPower(int32_t base, int32_t exponent);
long double Power(long double x, int32_t exponent);
float SearchPotential(const Board& board, const PotentialWeights& w, int32_t pc, int32_t pr);

struct Ranked {
    float value;
    bool decisive;
};
Ranked RankingPotential(const Board& board, const PotentialWeights& w, int32_t pc, int32_t pr,
                        int32_t colour, float score);

struct Candidates {
    ScoredMove head;
    ScoredMove links[9][9];
};

std::pair<float, float> SquarePotentials(const Board& board, const PotentialWeights& w);

class Engine {
  public:
    PotentialWeights Weights = DefaultWeights();
    float PointPotentials[9][9] = {};
    PredictedLine Line{};
    int32_t ProgressTotal = 0;
    int32_t ProgressCount = 0;
    int32_t PositionsEvaluated = 0;
    bool CancelRequested = false;
    std::function<void()> OnRootMove;

    ScoredMove BestPotentialPoint(Board board);
    Candidates RankCandidates(Board board, int32_t colour, float own);
    void SearchFullWidth(Board position, int32_t colour, int32_t remaining, int32_t total,
                         float parentAlpha, float parentBeta, float other, float own,
                         PredictedLine& line, ScoredMove hint);
    void SearchWidthLimited(Board position, int32_t colour, int32_t remaining, int32_t width,
                            int32_t total, float parentAlpha, float parentBeta, float other,
                            float own, PredictedLine& line);
};

}  // namespace qv::literal
