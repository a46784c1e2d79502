#pragma once
// The suggestion driver on the searches' own state; the Engine facade and the
// tests run it.

#include <cstdint>
#include <string>

#include "engine/report.h"
#include "engine/search_engine.h"
#include "model/board.h"

namespace qv {

struct Suggestion {
    float value = -kWindow;     // entry 1's score
    bool boardWasFull = false;  // nothing could be tried
    double elapsedMs = 0;       // from a monotonic clock
    // The predicted outcome, as OutcomeText gives it, or kCancelledText when
    // a Cancel came before the first root move was finished.
    std::string caption;
};

// Runs one suggestion on the engine: resets the line and counters, scores both
// colours, searches (full width, or width-limited with the width), and ends the
// line at entry commonSearchDepth + 1. The line and counters stay on the
// engine. engine.OnRootMove runs after each root move. CancelRequested is
// cleared first unless keepCancel: an engine game's Cancel holds for the rest
// of the game (each search then ends after its first root move). A Cancel
// during the search ends it at once with the root moves finished, perhaps
// none.
Suggestion SuggestMove(SearchEngine& engine, const Board& position, int32_t colour, int32_t depth,
                       int32_t width, bool fullWidth, int32_t commonSearchDepth,
                       bool keepCancel = false);

}  // namespace qv
