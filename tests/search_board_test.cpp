#include "engine/search_board.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <random>
#include <vector>

namespace qv::fast {
namespace {

// The points whose sums reach the n-th largest, by sorting.
uint64_t Sorted(const int32_t* sum, int32_t n) {
    std::vector<int32_t> values(sum, sum + kPoints);
    std::sort(values.begin(), values.end(), std::greater<>());
    const int32_t floor = values[static_cast<size_t>(n - 1)];
    uint64_t points = 0;
    for (int p = 0; p < kPoints; ++p)
        if (sum[p] >= floor) points |= Bit(p);
    return points;
}

// One form of them (FirstOfLargest is checked against its plain form on the
// same values).
void CheckAgainstSorting(const LargestForm& form) {
    std::mt19937 rng(20261208);
    // Value spreads: many ties, few ties, occupied points far below, the
    // extreme values of the type.
    const std::vector<std::vector<int32_t>> pools = {
        {0, 1, 2},   {5, 5, 5, 5}, {-(1 << 30) + 7, 3, 1000, 1000, 4096}, {INT32_MIN, INT32_MAX, 0},
        {INT32_MIN},
    };
    for (const auto& pool : pools)
        for (int round = 0; round < 40; ++round) {
            int32_t sum[kPoints];
            for (int32_t& v : sum) v = pool[rng() % pool.size()];
            for (const int32_t n : {1, 2, 3, 5, 8, 63, 64}) {
                const uint64_t want = Sorted(sum, n);
                EXPECT_EQ(form.largestSums(sum, n), want) << "n " << n;
            }
            EXPECT_EQ(form.firstOfLargest(sum), FirstOfLargestPlain(sum));
        }
    std::uniform_int_distribution<int32_t> any(-(1 << 24), 1 << 24);
    for (int round = 0; round < 200; ++round) {
        int32_t sum[kPoints];
        for (int32_t& v : sum) v = any(rng);
        const auto n = static_cast<int32_t>(1 + rng() % kPoints);
        EXPECT_EQ(form.largestSums(sum, n), Sorted(sum, n));
    }
}

// Every form the processor can run, and the one the searches use.
TEST(LargestSums, AgreesWithSortingOnTiesAndExtremes) {
    for (const LargestForm& form : LargestForms()) {
        SCOPED_TRACE(form.name);
        CheckAgainstSorting(form);
    }
    CheckAgainstSorting({"in use", &LargestSums, &FirstOfLargest});
}

}  // namespace
}  // namespace qv::fast
