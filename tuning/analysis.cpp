#include "tuning/analysis.h"

#include <algorithm>
#include <cmath>

#include "engine/evaluate.h"
#include "model/scoring.h"

namespace qv {

std::optional<int32_t> MoveLoss(float before, float played) {
    if (IsDecidedValue(before) || IsDecidedValue(played)) return std::nullopt;
    const float given = before - played;
    return given > 0 ? static_cast<int32_t>(given) : 0;
}

float BlueSideValue(const PositionAnalysis& p) {
    const float v = p.suggestion.value;
    return p.toMove == Red ? -v : v;
}

float ChartValue(const PositionAnalysis& p) {
    const float deep = BlueSideValue(p);
    if (!p.shallowValue || IsDecidedValue(deep)) return deep;
    const float shallow = p.toMove == Red ? -*p.shallowValue : *p.shallowValue;
    if (IsDecidedValue(shallow)) return shallow;
    return (deep + shallow) / 2.0f;
}

namespace {

bool Stopped(const Engine& engine) {
    return engine.AbortRequested() || engine.CancelRequested();
}

// The position after a move, for the side to move there, searched one ply
// shallower than `before` searched the position before it: minus the value
// that search would have given the move. None when there is no shallower
// search to make.
std::optional<float> ShallowValue(Engine& engine, const PlayerSpec& before,
                                  const SearchResult& found, const Board& board, int32_t colour,
                                  const std::function<void()>& poll) {
    PlayerSpec shallower = before;
    if (before.kind == PlayerKind::Strong) {
        // Its own clock would stop it anywhere: one ply less than the depth
        // the search before reached, however long that takes (not long: the
        // search before went a ply deeper through this very position, and the
        // table still holds what it found).
        if (found.depthReached < 2) return std::nullopt;
        shallower.strong.maxDepth = found.depthReached - 1;
        shallower.nodes = int64_t{1} << 50;
    } else if (before.depth == 1) {
        // Depth 0: the move's own one-ply value, as a depth-1 search scores it.
        const int32_t mover = Opponent(colour);
        return -EvaluatePosition(1, static_cast<float>(TotalScore(mover, board)),
                                 static_cast<float>(TotalScore(colour, board)));
    } else {
        --shallower.depth;
    }
    return engine.Search(MakeSearchRequest(shallower, board, colour), {}, poll).value;
}

}  // namespace

std::vector<PositionAnalysis> AnalyseGame(Engine& engine, const std::vector<Point>& moves,
                                          const AnalysisSettings& settings,
                                          const std::function<void(const PositionAnalysis&)>& done,
                                          const std::function<void()>& poll) {
    std::vector<PositionAnalysis> out;
    Board board;
    for (size_t k = 0; k <= moves.size(); ++k) {
        PositionAnalysis p;
        p.moves = static_cast<int32_t>(k);
        if (k > 0) {
            p.played = moves[k - 1];
            p.playedColour = ColourOfMove(p.moves);
            board(p.played.column, p.played.row) = p.playedColour;
        }
        p.toMove = ColourOfMove(p.moves + 1);
        p.red = TotalScore(Red, board);
        p.blue = TotalScore(Blue, board);
        p.request = MakeSearchRequest(settings.For(p.toMove), board, p.toMove);
        if (k > 0) {
            // Before this position's own search: a strong search's table then
            // holds what the search before found here.
            const PositionAnalysis& before = out.back();
            p.shallowValue = ShallowValue(engine, settings.For(before.toMove), before.suggestion,
                                          board, p.toMove, poll);
            // A search cut short is not this position's value.
            if (Stopped(engine)) break;
            if (p.shallowValue) {
                const float played = -*p.shallowValue;
                p.loss = MoveLoss(before.suggestion.value, played);
                if (p.loss) p.playedValue = static_cast<int32_t>(played);
            }
        }
        p.suggestion = engine.Search(p.request, {}, poll);
        if (Stopped(engine)) break;
        out.push_back(p);
        if (done) done(out.back());
    }
    return out;
}

AnalysisChart ChartOf(const std::vector<PositionAnalysis>& positions) {
    AnalysisChart c;
    double low = -20, high = 20;
    for (const PositionAnalysis& p : positions) {
        const float v = ChartValue(p);
        if (!IsDecidedValue(v)) {
            low = std::min(low, static_cast<double>(v));
            high = std::max(high, static_cast<double>(v));
        }
        high = std::max(high, static_cast<double>(std::max(p.red, p.blue)));
    }
    // A little room, so the edge marks stand clear of the lines, and round
    // numbers for the labels.
    const double margin = (high - low) * 0.05;
    for (double step : {5.0, 10.0, 20.0, 25.0, 50.0, 100.0, 200.0, 250.0, 500.0, 1000.0}) {
        c.step = step;
        if ((high - low + 2 * margin) / step <= 8) break;
    }
    c.low = std::floor((low - margin) / c.step) * c.step;
    c.high = std::ceil((high + margin) / c.step) * c.step;
    for (const PositionAnalysis& p : positions) {
        const double x = p.moves;
        const float v = ChartValue(p);
        if (IsDecidedValue(v))
            c.value.push_back({x, v > 0 ? c.high : c.low, true});
        else
            c.value.push_back({x, v, false});
        c.red.push_back({x, static_cast<double>(p.red), false});
        c.blue.push_back({x, static_cast<double>(p.blue), false});
    }
    return c;
}

std::vector<Mistake> Mistakes(const std::vector<PositionAnalysis>& positions, int32_t threshold) {
    std::vector<Mistake> out;
    for (size_t k = 1; k < positions.size(); ++k) {
        const PositionAnalysis& p = positions[k];
        if (!p.loss || *p.loss < threshold) continue;
        const ScoredMove& best = positions[k - 1].suggestion.line[1];
        std::string text =
            std::to_string(p.moves) + ". " + PointName(p.played.column, p.played.row) + " (" +
            (p.playedColour == Red ? "Red" : "Blue") + ") gave away " + std::to_string(*p.loss);
        if (OnBoard(best.column, best.row) &&
            !(best.column == p.played.column && best.row == p.played.row))
            text += "; best " + PointName(best.column, best.row);
        out.push_back({p.moves, text});
    }
    return out;
}

}  // namespace qv
