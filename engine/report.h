#pragma once
// The texts a search's result is reported with.

#include <cstdint>
#include <string>
#include <string_view>

namespace qv {

// "Predicted Win in 3 moves", "Predicted Loss in 10 moves", "14 in 11 moves",
// or "No move: the board is full".
std::string OutcomeText(float value, int32_t depth, bool boardWasFull);

// The caption of a search cancelled before its first root move was finished:
// it found no move.
inline constexpr std::string_view kCancelledText = "Cancelled before a move was found";

// A strong width-limited result moves the common settings to full width at
// depth 5. A full board never does.
bool ShouldSwitchToFullWidth(float value, bool fullWidth, bool boardWasFull = false);

// "m:s.ms (positions) rate/msec": the hours are dropped, the rate is positions
// per millisecond (plus one) with two decimals and grouped thousands.
std::string StatsCaption(int64_t elapsedMs, int64_t positions,
                         std::string_view thousandsSeparator = ",",
                         std::string_view decimalSeparator = ".");

}  // namespace qv
