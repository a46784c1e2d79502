#pragma once

#include <cstdint>

namespace qv {

// The evolution's pseudo-random sequence: a 32-bit linear congruential state,
// scaled into 0..n-1 by the high half of a 64-bit product.
class EvolutionRandom {
  public:
    explicit EvolutionRandom(uint32_t seed) : state_(seed) {}

    int32_t Random(int32_t n) {
        state_ = state_ * 134775813u + 1u;
        return static_cast<int32_t>((static_cast<uint64_t>(state_) * static_cast<uint32_t>(n)) >>
                                    32);
    }
    uint32_t State() const { return state_; }

  private:
    uint32_t state_;
};

// Milliseconds since midnight, UTC: the seed of a run started from the window.
uint32_t TimeOfDaySeed();

}  // namespace qv
