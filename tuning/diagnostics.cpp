#include "tuning/diagnostics.h"

#include "engine/format.h"
#include "engine/potential_tables.h"
#include "model/scoring.h"

namespace qv {
namespace {

std::pair<float, float> SquarePotentialsWith(const fast::Bits& bits,
                                             const fast::PotentialTables& t) {
    float red = 0.0f, blue = 0.0f;
    const uint64_t occupied = bits.Occupied();
    const auto& through = fast::SquaresThrough();
    for (int p = 0; p < kPoints; ++p) {
        if (occupied & fast::Bit(p)) continue;
        for (int32_t i = 0; i < through[p].count; ++i) {
            const fast::SquareEntry& s = through[p].squares[i];
            const int32_t r = fast::CountUpTo3(bits.red & s.others);
            const int32_t b = fast::CountUpTo3(bits.blue & s.others);
            if (r > 0 && b > 0) continue;
            // The integer term joins the sum exactly; only the sum is rounded.
            const double term = t.rank[s.size][r + b + 1];
            if (r > 0) {
                red = static_cast<float>(static_cast<double>(red) + term);
            } else if (b > 0) {
                blue = static_cast<float>(static_cast<double>(blue) + term);
            } else {
                red = static_cast<float>(static_cast<double>(red) + term);
                blue = static_cast<float>(static_cast<double>(blue) + term);
            }
        }
    }
    return {red, blue};
}

}  // namespace

std::pair<float, float> SquarePotentials(const Board& board, const PotentialWeights& weights) {
    return SquarePotentialsWith(fast::ToBits(board), fast::PotentialTables(weights));
}

std::vector<std::string> RankedPotentialsListing(Engine& engine, const PotentialWeights& weights,
                                                 const Board& board,
                                                 std::string_view decimalSeparator) {
    const float score = static_cast<float>(TotalScore(Red, board));
    std::array<float, kPoints> potentials;
    const CandidateList list = engine.RankCandidates(board, weights, Red, score, potentials);
    std::vector<std::string> lines;
    ScoredMove at = list.head;
    for (int n = 1; at.column > 0 && n <= kPoints; ++n) {
        const ScoredMove& record = list.links[PointIndex(at.column, at.row)];
        lines.push_back(std::to_string(n) + ") " + PointName(at.column, at.row) + ": " +
                        FormatGeneral(record.score, decimalSeparator));
        at = record;
    }
    return lines;
}

std::vector<std::string> ColourPotentialsListing(const Board& board,
                                                 const PotentialWeights& weights, int32_t colour,
                                                 std::string_view decimalSeparator) {
    const fast::PotentialTables tables(weights);
    fast::Bits bits = fast::ToBits(board);
    uint64_t& mine = colour == Red ? bits.red : bits.blue;
    const uint64_t occupied = bits.Occupied();
    float best = -1e14f;
    Point bestPoint{0, 0};
    std::vector<std::string> lines;
    for (int p = 0; p < kPoints; ++p) {
        if (occupied & fast::Bit(p)) continue;
        mine |= fast::Bit(p);
        const auto [red, blue] = SquarePotentialsWith(bits, tables);
        mine &= ~fast::Bit(p);
        const float d = colour == Red ? red - blue : blue - red;
        if (d > best) {
            best = d;
            bestPoint = {ColumnOf(p), RowOf(p)};
        }
        lines.push_back(PointName(ColumnOf(p), RowOf(p)) +
                        " R: " + FormatGeneral(d, decimalSeparator));
    }
    const std::string where =
        bestPoint.column == 0 ? std::string("none") : PointName(bestPoint.column, bestPoint.row);
    lines.push_back("Best: (" + where + "): " + FormatGeneral(best, decimalSeparator));
    return lines;
}

}  // namespace qv
