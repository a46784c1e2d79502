#pragma once
// A complete computer player as 16 integers, the form the evolution's trace
// and the command line's profiles use, with names for its parts.

#include <array>
#include <cstdint>

namespace qv {

// Element 0 search flag, 1 depth, 2 width, 3..8 potential weights, 13..15
// ranking thresholds. The evolution keeps its bookkeeping in 9..12 (wins,
// losses, identity, won-last-game flag).
using EngineProfile = std::array<int32_t, 16>;

enum ProfileElement : int {
    kSearchFlag = 0,  // 1 searches; anything else plays the best-potential point
    kDepth = 1,
    kWidth = 2,
    kWins = 9,
    kLosses = 10,
    kIdentity = 11,
    kWonLast = 12,
};

// The potential weights a player installs before each of its moves.
inline constexpr std::array<int, 9> kPlayingWeights{3, 4, 5, 6, 7, 8, 13, 14, 15};

// Read-only names for the parts of a profile.
class ProfileView {
  public:
    explicit ProfileView(const EngineProfile& p) : p_(p) {}
    bool Searches() const { return p_[kSearchFlag] == 1; }
    int32_t Depth() const { return p_[kDepth]; }
    int32_t Width() const { return p_[kWidth]; }
    int32_t Weight(int element) const { return p_[element]; }
    int32_t Wins() const { return p_[kWins]; }
    int32_t Losses() const { return p_[kLosses]; }
    int32_t Identity() const { return p_[kIdentity]; }
    bool WonLast() const { return p_[kWonLast] == 1; }
    // Out of the population once its losses exceed its wins by two.
    bool Eliminated() const { return Wins() - Losses() <= -2; }

  private:
    const EngineProfile& p_;
};

}  // namespace qv
