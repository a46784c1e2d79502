#include "model/settings.h"

#include <thread>

#include "model/board.h"

namespace qv {

void TSettings::SetDefaults() {
    SearchDepth = 11;
    SearchWidth = 3;
    FullWidthSearch = false;
    SeparateAISettings = false;
    BlueSearchDepth = 11;
    BlueSearchWidth = 3;
    BlueFullWidthSearch = false;
    RedSearchDepth = 11;
    RedSearchWidth = 3;
    RedFullWidthSearch = false;
    Sound = true;
    ShowPredictedMoveOrder = false;
    ShowSquares = false;
    ShowPossibleSquares = true;
    ShowLastMove = true;
    const unsigned cores = std::thread::hardware_concurrency();
    SearchThreads = cores == 0 ? 1 : cores > 64 ? 64 : static_cast<int32_t>(cores);
    StrongSearch = BlueStrongSearch = RedStrongSearch = false;
    StrongThinkingMs = BlueStrongThinkingMs = RedStrongThinkingMs = 1000;
}

SearchChoice SearchParameters(const TSettings& s, int32_t colour) {
    if (s.SeparateAISettings && colour == Red)
        return {s.RedFullWidthSearch, s.RedSearchWidth, s.RedSearchDepth, s.RedStrongSearch,
                s.RedStrongThinkingMs};
    if (s.SeparateAISettings && colour == Blue)
        return {s.BlueFullWidthSearch, s.BlueSearchWidth, s.BlueSearchDepth, s.BlueStrongSearch,
                s.BlueStrongThinkingMs};
    return {s.FullWidthSearch, s.SearchWidth, s.SearchDepth, s.StrongSearch, s.StrongThinkingMs};
}

}  // namespace qv
