#pragma once
// A game's value move by move: every position from the empty board to the
// last move, searched for its side to move as a suggestion would be, and how
// much each move gave away against the best line.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "model/board.h"
#include "model/settings.h"

namespace qv {

struct PositionAnalysis {
    int32_t moves = 0;  // pieces on the board: the position after this many moves
    int32_t toMove = Blue;
    int32_t red = 0;  // TotalScore of each colour
    int32_t blue = 0;
    // The move that led here (none at 0 moves), its colour, and what it gave
    // away: the previous position's value plus this one's, when neither is a
    // decided value.
    Point played;
    int32_t playedColour = 0;
    std::optional<int32_t> loss;
    SearchRequest request;
    SearchResult suggestion;
};

// The search of each colour's positions.
struct AnalysisSettings {
    SearchChoice blue{false, 3, 11};
    SearchChoice red{false, 3, 11};
    PotentialWeights weights = DefaultWeights();
    int32_t threads = 1;  // the numbers are the same for any
    const SearchChoice& For(int32_t colour) const { return colour == Red ? red : blue; }
};

// Analyses the positions of the moves in order; `done` sees each as it is
// finished. Stops early (returning what was done) once the engine's Cancel is
// set between positions or Abort at any time.
std::vector<PositionAnalysis> AnalyseGame(
    Engine& engine, const std::vector<Point>& moves, const AnalysisSettings& settings,
    const std::function<void(const PositionAnalysis&)>& done = {});

// The loss rule: both values below 1000 in size, else none.
std::optional<int32_t> MoveLoss(float before, float after);

// The position's value from Blue's side: the side to move's value, negated
// when Red is to move.
float BlueSideValue(const PositionAnalysis& p);
bool IsDecided(float value);

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
// least `threshold`; with the position index each line names.
struct Mistake {
    int32_t moves;  // the position after the move
    std::string text;
};
std::vector<Mistake> Mistakes(const std::vector<PositionAnalysis>& positions,
                              int32_t threshold = 10);

}  // namespace qv
