#pragma once

#include <cstdint>

namespace qv {

constexpr float kWindow = 65000.0f;
constexpr float kDecided = 1000.0f;

// Mover - Other seen from the side that has just moved; a leader with at
// least 150 points and a lead of at least 15 gets Remaining x 1000 on top.
inline float EvaluatePosition(int32_t Remaining, float Mover, float Other) {
    const float diff = Mover - Other;
    if ((diff < 0 ? -diff : diff) < 15.0f) return diff;
    const int32_t bonus = Remaining * 1000;
    if (Other >= 150.0f && Other > Mover)
        Other = Other + static_cast<float>(bonus);
    else if (Mover >= 150.0f)
        Mover = Mover + static_cast<float>(bonus);
    return Mover - Other;
}

}  // namespace qv
