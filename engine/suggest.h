#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/engine.h"
#include "model/board.h"

namespace qv {

struct Suggestion {
    float value = -65000.0f;    // entry 1's score
    bool boardWasFull = false;  // nothing could be tried
    double elapsedMs = 0;       // from a monotonic clock
    std::string caption;        // the predicted outcome, as OutcomeText gives it
};

// Runs one suggestion on the engine: resets the line and counters, scores both
// colours, clears CancelRequested, searches (full width, or width-limited with
// the width), and ends the line at entry commonSearchDepth + 1. The line and
// counters stay on the engine. engine.OnRootMove runs after each root move.
Suggestion SuggestMove(Engine& engine, const Board& position, int32_t colour, int32_t depth,
                       int32_t width, bool fullWidth, int32_t commonSearchDepth);

// "Predicted Win in 3 moves", "Predicted Loss in 10 moves", "14 in 11 moves",
// or "No move: the board is full".
std::string OutcomeText(float value, int32_t depth, bool boardWasFull);

// A strong width-limited result moves the common settings to full width at
// depth 5. A full board never does.
bool ShouldSwitchToFullWidth(float value, bool fullWidth, bool boardWasFull = false);

// "m:s.ms (positions) rate/msec": the hours are dropped, the rate is positions
// per millisecond (plus one) with two decimals and grouped thousands.
std::string StatsCaption(int64_t elapsedMs, int64_t positions,
                         std::string_view thousandsSeparator = ",",
                         std::string_view decimalSeparator = ".");

}  // namespace qv
