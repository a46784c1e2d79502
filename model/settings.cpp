#include "model/settings.h"

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
}

SearchChoice SearchParameters(const TSettings& s, int32_t colour) {
    if (s.SeparateAISettings && colour == Red)
        return {s.RedFullWidthSearch, s.RedSearchWidth, s.RedSearchDepth};
    if (s.SeparateAISettings && colour == Blue)
        return {s.BlueFullWidthSearch, s.BlueSearchWidth, s.BlueSearchDepth};
    return {s.FullWidthSearch, s.SearchWidth, s.SearchDepth};
}

}  // namespace qv
