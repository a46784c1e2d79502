#include "oracle/literal_scoring.h"

#include <cstdlib>

namespace qv::literal {

int32_t TotalScore(int32_t colour, const Board& b) {
    int32_t sum = 0;
    for (int32_t r1 = 1; r1 <= 8; ++r1)
        for (int32_t c1 = 1; c1 <= 8; ++c1) {
            if (b(c1, r1) != colour) continue;
            for (int32_t r2 = r1; r2 <= 8; ++r2)
                for (int32_t c2 = c1 + 1; c2 <= 8; ++c2) {
                    if (b(c2, r2) != colour) continue;
                    const int32_t dc = c2 - c1, dr = r2 - r1;
                    if (c1 - dr < 1 || r2 + dc > 8) continue;
                    if (b(c1 - dr, r1 + dc) == colour && b(c2 - dr, r2 + dc) == colour)
                        sum += (dc + dr + 1) * (dc + dr + 1);
                }
        }
    return sum;
}

float ScoreAfterMove(int32_t colour, int32_t pc, int32_t pr, const Board& b, float before) {
    float acc = before;
    for (int32_t qr = 1; qr <= 8; ++qr)
        for (int32_t qc = 1; qc <= 8; ++qc) {
            if ((qc == pc && qr == pr) || b(qc, qr) != colour) continue;
            const int32_t d1 = qc - pc, d2 = qr - pr;
            const int32_t ac = pc + d2, ar = pr - d1, bc = qc + d2, br = qr - d1;
            if (!OnBoard(ac, ar) || !OnBoard(bc, br)) continue;
            if (b(ac, ar) == colour && b(bc, br) == colour) {
                const int32_t s = std::abs(d1) + std::abs(d2) + 1;
                acc = acc + static_cast<float>(s * s);
            }
        }
    return acc;
}

std::pair<int32_t, int32_t> ProjectedScores(const Board& b, int32_t colour) {
    int32_t value[3] = {0, 0, 0};
    for (int32_t r1 = 1; r1 <= 8; ++r1)
        for (int32_t c1 = 1; c1 <= 8; ++c1) {
            const int32_t d = b(c1, r1);
            if (d == Empty) continue;
            const int32_t o = Opponent(d);
            for (int32_t r2 = r1; r2 <= 8; ++r2)
                for (int32_t c2 = c1 + 1; c2 <= 8; ++c2) {
                    if (b(c2, r2) != d) continue;
                    const int32_t dc = c2 - c1, dr = r2 - r1, v = (dc + dr + 1) * (dc + dr + 1);
                    auto side = [&](int32_t xc, int32_t xr, int32_t yc, int32_t yr) {
                        const int32_t x = b(xc, xr), y = b(yc, yr);
                        if (((x == d) != (y == d)) && x != o && y != o) value[d] += v;
                    };
                    if (c1 - dr >= 1 && r2 + dc <= 8) side(c1 - dr, r1 + dc, c2 - dr, r2 + dc);
                    if (c2 + dr <= 8 && r1 - dc >= 1) side(c1 + dr, r1 - dc, c2 + dr, r2 - dc);
                }
        }
    return colour == Red ? std::pair{value[Red], value[Blue]} : std::pair{value[Blue], value[Red]};
}

}  // namespace qv::literal
