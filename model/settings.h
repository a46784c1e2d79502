#pragma once

#include <cstdint>

namespace qv {

// Every choice of the settings dialog. The desktop program keeps them between runs.
class TSettings {
  public:
    int32_t SearchDepth;
    int32_t SearchWidth;
    bool FullWidthSearch;
    bool SeparateAISettings;
    int32_t BlueSearchDepth;
    int32_t BlueSearchWidth;
    bool BlueFullWidthSearch;
    int32_t RedSearchDepth;
    int32_t RedSearchWidth;
    bool RedFullWidthSearch;
    bool Sound;
    bool ShowPredictedMoveOrder;
    bool ShowSquares;
    bool ShowPossibleSquares;
    // Beyond the dialog's classic choices.
    bool ShowLastMove;
    // Threads a search may use; its numbers are the same for any count.
    int32_t SearchThreads;
    // The strong search instead of the classic one, per page, with its
    // thinking time per move in milliseconds (100..30000).
    bool StrongSearch;
    int32_t StrongThinkingMs;
    bool BlueStrongSearch;
    int32_t BlueStrongThinkingMs;
    bool RedStrongSearch;
    int32_t RedStrongThinkingMs;

    TSettings() { SetDefaults(); }
    void SetDefaults();
};

struct SearchChoice {
    bool fullWidth;
    int32_t width;
    int32_t depth;
    // When set, the strong search thinks movetimeMs and the rest is unused.
    bool strong = false;
    int32_t movetimeMs = 1000;
    bool operator==(const SearchChoice&) const = default;
};

// The search a suggestion for the colour uses.
SearchChoice SearchParameters(const TSettings& settings, int32_t colour);

}  // namespace qv
