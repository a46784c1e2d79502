#pragma once

#include <cstdint>

namespace qv {

// Every choice of the settings dialog. Never stored between runs.
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

    TSettings() { SetDefaults(); }
    void SetDefaults();
};

struct SearchChoice {
    bool fullWidth;
    int32_t width;
    int32_t depth;
    bool operator==(const SearchChoice&) const = default;
};

// The depth, width and full-width choice a suggestion for the colour uses.
SearchChoice SearchParameters(const TSettings& settings, int32_t colour);

}  // namespace qv
