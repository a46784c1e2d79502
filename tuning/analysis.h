#pragma once
// A game's value move by move: every position from the empty board to the
// last move, searched for its side to move as a suggestion would be, and how
// much each move gave away against the best line. A move's own value is what
// the search of the position before would have given it: the position after
// it searched one ply shallower, negated. Comparing the suggestion with the
// next position's own search instead would compare horizons that fall on
// different sides, and an odd depth would favour whoever moved last.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "model/board.h"
#include "play/player_description.h"

namespace qv {

struct PositionAnalysis {
    int32_t moves = 0;  // pieces on the board: the position after this many moves
    int32_t toMove = Blue;
    int32_t red = 0;  // TotalScore of each colour
    int32_t blue = 0;
    // The move that led here (none at 0 moves) and its colour.
    Point played;
    int32_t playedColour = 0;
    // This position's value for its side to move one ply shallower than the
    // search of the position before (with that search's settings): minus the
    // value that search would have given the move played. None at 0 moves,
    // and after a strong search that finished only its first iteration.
    std::optional<float> shallowValue;
    // The move's value for the side that played it (minus shallowValue), and
    // what it gave away against the previous position's suggestion; both
    // none when either value is decided.
    std::optional<int32_t> playedValue;
    std::optional<int32_t> loss;
    // The suggestion, exactly as a suggestion for the position finds it.
    SearchRequest request;
    SearchResult suggestion;
};

// The player whose search each colour's positions get (classic or strong).
struct AnalysisSettings {
    PlayerSpec blue = DefaultPlayer();
    PlayerSpec red = DefaultPlayer();
    const PlayerSpec& For(int32_t colour) const { return colour == Red ? red : blue; }
};

// Analyses the positions of the moves in order; `done` sees each as it is
// finished. Stops early (returning the positions finished) once the engine's
// Cancel or Abort is set; poll runs inside the searches as Engine::Search's
// onPoll does.
std::vector<PositionAnalysis> AnalyseGame(
    Engine& engine, const std::vector<Point>& moves, const AnalysisSettings& settings,
    const std::function<void(const PositionAnalysis&)>& done = {},
    const std::function<void()>& poll = {});

// What a move gave away: the previous position's value less the move's own,
// never below 0; none when either is decided.
std::optional<int32_t> MoveLoss(float before, float played);

// The position's value from Blue's side: the side to move's value, negated
// when Red is to move.
float BlueSideValue(const PositionAnalysis& p);

// The value the chart draws for the position, from Blue's side: the mean of
// its value and its value one ply shallower, so that the parity of the
// horizon does not make the line zigzag. When either is decided that one
// alone (the deeper first); without a shallower value, the value.
float ChartValue(const PositionAnalysis& p);

// What the analysis chart draws, by position: the value from Blue's side and
// the two scores. The vertical range covers the scores and every value that
// is not decided; a decided value is drawn at the range's edge on its side,
// with a mark.
struct ChartPoint {
    double x = 0;  // moves
    double y = 0;
    bool decided = false;
};
struct AnalysisChart {
    // Whole multiples of step, a round number giving about six intervals.
    double low = 0;
    double high = 0;
    double step = 10;
    std::vector<ChartPoint> value, red, blue;
};
AnalysisChart ChartOf(const std::vector<PositionAnalysis>& positions);

// "12. B,4 (Red) gave away 18; best F,3" for every move that gave away at
// least `threshold` (the best move named only when it is another); with the
// position index each line names.
struct Mistake {
    int32_t moves;  // the position after the move
    std::string text;
};
std::vector<Mistake> Mistakes(const std::vector<PositionAnalysis>& positions,
                              int32_t threshold = 10);

}  // namespace qv
