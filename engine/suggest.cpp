#include "engine/suggest.h"

#include <chrono>
#include <cmath>

#include "engine/format.h"
#include "model/scoring.h"

namespace qv {

Suggestion SuggestMove(SearchEngine& engine, const Board& position, int32_t colour, int32_t depth,
                       int32_t width, bool fullWidth, int32_t commonSearchDepth, bool keepCancel) {
    const int32_t empty = position.CountOf(Empty);
    engine.ProgressTotal = fullWidth ? empty : width;
    for (int i = 1; i <= 15; ++i) engine.Line[i].column = -1;
    engine.ProgressPosition = 0;
    engine.ProgressCount = 0;
    engine.PositionsEvaluated = 0;
    const auto start = std::chrono::steady_clock::now();
    const float own = static_cast<float>(TotalScore(colour, position));
    const float other = static_cast<float>(TotalScore(Opponent(colour), position));
    if (!keepCancel) engine.CancelRequested = false;

    if (fullWidth)
        engine.SearchFullWidth(position, colour, depth, depth, -kWindow, kWindow, other, own,
                               engine.Line, kNoMove);
    else
        engine.SearchWidthLimited(position, colour, depth, width, depth, -kWindow, kWindow, other,
                                  own, engine.Line);
    if (commonSearchDepth >= 0 && commonSearchDepth + 1 <= 16)
        engine.Line[commonSearchDepth + 1].column = -1;

    Suggestion result;
    result.elapsedMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    result.value = engine.Line[1].score;
    result.boardWasFull = empty == 0;
    // Only a stop before the first root move was finished leaves no move on
    // a board with room: there is no outcome to predict.
    result.caption = !result.boardWasFull && engine.ProgressCount == 0
                         ? std::string(kCancelledText)
                         : OutcomeText(result.value, depth, result.boardWasFull);
    return result;
}

std::string OutcomeText(float value, int32_t depth, bool boardWasFull) {
    if (boardWasFull) return "No move: the board is full";
    if (std::fabs(value) >= 1000.0f) {
        const int32_t thousands = static_cast<int32_t>(value) / 1000;
        if (value > 0)
            return "Predicted Win in " + std::to_string(depth - thousands + 1) + " moves";
        return "Predicted Loss in " + std::to_string(thousands + depth + 1) + " moves";
    }
    return FormatGeneral(value) + " in " + std::to_string(depth) + " moves";
}

bool ShouldSwitchToFullWidth(float value, bool fullWidth, bool boardWasFull) {
    return !boardWasFull && !fullWidth && value > 100.0f;
}

std::string StatsCaption(int64_t elapsedMs, int64_t positions, std::string_view thousandsSeparator,
                         std::string_view decimalSeparator) {
    const int64_t minutes = elapsedMs / 60000 % 60;
    const int64_t seconds = elapsedMs / 1000 % 60;
    const int64_t millis = elapsedMs % 1000;
    const double rate = static_cast<double>(positions) /
                        static_cast<double>((minutes * 60 + seconds) * 1000 + millis + 1);
    return std::to_string(minutes) + ":" + std::to_string(seconds) + "." + std::to_string(millis) +
           " (" + std::to_string(positions) + ") " +
           FormatGrouped2(rate, thousandsSeparator, decimalSeparator) + "/msec";
}

}  // namespace qv
