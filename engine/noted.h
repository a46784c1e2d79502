#pragma once

#include <cstdint>

namespace qv::search_detail {

// The position the potentials table is to show: the last ranking or best
// point a search asked for.
struct Noted {
    enum class Kind : uint8_t { kNone, kRank, kBest } kind = Kind::kNone;
    uint64_t red = 0, blue = 0;  // reading order
    int32_t colour = 0;
    float score = 0.0f;
};

}  // namespace qv::search_detail
