#include "engine/strong_time.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace qv::strong {

namespace {

// An iteration's time over the one before it, when too little is known:
// the branching of a typical middle game at this program's depths.
constexpr double kGrowth = 3.0;
constexpr double kMinGrowth = 1.5;
constexpr double kMaxGrowth = 8.0;
// Below these times the measured ratio is mostly noise.
constexpr double kMeasurable = 0.5;

// Kept back from the clock for the answers and the moves after this one.
double Margin(int64_t timeLeftMs) {
    return 20.0 + static_cast<double>(timeLeftMs) * 0.05;
}

}  // namespace

Clock SteadyClock() {
    return [] {
        return std::chrono::duration<double, std::milli>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
}

MoveBudget MovetimeBudget(double movetimeMs) {
    const double t = std::max(1.0, movetimeMs);
    const double hard = t - std::clamp(t / 25.0, 0.5, 20.0);
    return {0.85 * t, hard, hard};
}

// Games are most often decided around ply 36; past it fewer are still
// going, so the weight falls faster than it rose.
double PlyWeight(int32_t ply) {
    const double d = (static_cast<double>(ply) - 36.0) / (ply <= 36 ? 16.0 : 6.0);
    return 0.02 + std::exp(-d * d);
}

double ClockShareMs(int64_t timeLeftMs, int64_t incrementMs, int32_t movesToGo, int32_t plies,
                    int32_t empties) {
    // The side to move plays every other ply from here to a full board, or
    // until the clock is refilled.
    double weights = 0;
    int32_t moves = 0;
    for (int32_t ply = plies; ply < plies + empties; ply += 2) {
        if (movesToGo > 0 && moves == movesToGo) break;
        weights += PlyWeight(ply);
        ++moves;
    }
    if (moves == 0) return 0;
    const double pool = static_cast<double>(std::max<int64_t>(timeLeftMs, 0)) +
                        static_cast<double>(std::max<int64_t>(incrementMs, 0)) * (moves - 1);
    return pool * PlyWeight(plies) / weights;
}

MoveBudget ClockBudget(int64_t timeLeftMs, int64_t incrementMs, int32_t movesToGo, int32_t plies,
                       int32_t empties) {
    const double left = static_cast<double>(std::max<int64_t>(timeLeftMs, 0));
    const double cap = std::max(kClockMinimumMs, left - Margin(timeLeftMs));
    const double share = std::clamp(
        ClockShareMs(timeLeftMs, incrementMs, movesToGo, plies, empties), kClockMinimumMs, cap);
    // On a clock an iteration that would not end in the share is not
    // started: its time is left to the moves to come. One that runs long may
    // take twice the share, never the margin.
    return {0.4 * share, share, std::min(2.0 * share, cap)};
}

TimeManager::TimeManager(const MoveBudget& budget, const Clock& clock)
    : budget_(budget), clock_(&clock), start_(clock()), lastEnd_(start_) {}

double TimeManager::Elapsed() const {
    return (*clock_)() - start_;
}

void TimeManager::IterationDone() {
    const double now = (*clock_)();
    previous_ = last_;
    last_ = now - lastEnd_;
    lastEnd_ = now;
}

bool TimeManager::StartNext() const {
    const double elapsed = Elapsed();
    if (elapsed >= budget_.hardMs) return false;
    if (elapsed < budget_.startMs) return true;
    const double growth = previous_ >= kMeasurable && last_ >= kMeasurable
                              ? std::clamp(last_ / previous_, kMinGrowth, kMaxGrowth)
                              : kGrowth;
    return elapsed + last_ * growth <= budget_.targetMs;
}

}  // namespace qv::strong
