#include "tuning/analysis.h"

#include <gtest/gtest.h>

#include "engine/evaluate.h"
#include "model/savedgame.h"
#include "oracle/literal_engine.h"
#include "oracle/literal_scoring.h"

namespace qv {
namespace {

// A saved game read as the window and the command line read it.
std::vector<Point> Game(const char* text) {
    return ParseGame(text);
}

AnalysisSettings Both(const SearchChoice& choice) {
    AnalysisSettings settings;
    settings.blue = settings.red = PlayerFromChoice(choice, DefaultWeights(), 1);
    return settings;
}

// The literal engine's suggestion for the position and colour.
ScoredMove LiteralSuggestion(const Board& b, int32_t colour, const SearchChoice& choice,
                             int64_t* positions = nullptr) {
    literal::Engine e;
    e.ProgressTotal = choice.fullWidth ? b.CountOf(Empty) : choice.width;
    for (int i = 1; i <= 15; ++i) e.Line[i].column = -1;
    const float own = static_cast<float>(literal::TotalScore(colour, b));
    const float other = static_cast<float>(literal::TotalScore(Opponent(colour), b));
    if (choice.fullWidth)
        e.SearchFullWidth(b, colour, choice.depth, choice.depth, -kWindow, kWindow, other, own,
                          e.Line, kNoMove);
    else
        e.SearchWidthLimited(b, colour, choice.depth, choice.width, choice.depth, -kWindow, kWindow,
                             other, own, e.Line);
    if (positions) *positions = e.PositionsEvaluated;
    return e.Line[1];
}

// Every position's search is the suggestion the literal engine gives for
// that position and side to move, and its shallower search the literal one a
// ply shallower (at depth 1, the move's own one-ply value).
TEST(Analysis, EveryPositionIsTheSuggestionForItsSideToMove) {
    const char* games[] = {
        "D,4\r\nE,5\r\nC,3\r\nD,5\r\nE,4\r\nC,5\r\nF,6\r\nD,3\r\n",
        "A,1\nB,2\nA,2\nB,1\nH,8\nG,7\nH,7\nG,8\nC,3\nF,6\n",
    };
    const SearchChoice choices[] = {{false, 3, 4}, {true, 0, 3}, {false, 2, 1}};
    for (const char* text : games)
        for (const SearchChoice& choice : choices) {
            const std::vector<Point> moves = Game(text);
            const AnalysisSettings settings = Both(choice);
            Engine engine;
            const std::vector<PositionAnalysis> out = AnalyseGame(engine, moves, settings);
            ASSERT_EQ(out.size(), moves.size() + 1);
            for (const PositionAnalysis& p : out) {
                const Board& b = p.request.position;
                const int32_t colour = ColourOfMove(p.moves + 1);
                ASSERT_EQ(p.toMove, colour);
                int64_t positions = 0;
                const ScoredMove best = LiteralSuggestion(b, colour, choice, &positions);
                EXPECT_EQ(p.suggestion.value, best.score) << p.moves;
                EXPECT_EQ(p.suggestion.line[1], best) << p.moves;
                EXPECT_EQ(p.suggestion.positions, positions) << p.moves;
                EXPECT_EQ(p.red, literal::TotalScore(Red, b));
                if (p.moves == 0) {
                    EXPECT_FALSE(p.shallowValue);
                    continue;
                }
                EXPECT_EQ(p.played, moves[p.moves - 1]);
                EXPECT_EQ(b(p.played.column, p.played.row), ColourOfMove(p.moves));
                SearchChoice shallower = choice;
                --shallower.depth;
                const float own = static_cast<float>(literal::TotalScore(Opponent(colour), b));
                const float other = static_cast<float>(literal::TotalScore(colour, b));
                ASSERT_TRUE(p.shallowValue);
                EXPECT_EQ(*p.shallowValue, choice.depth > 1
                                               ? LiteralSuggestion(b, colour, shallower).score
                                               : -EvaluatePosition(1, own, other))
                    << p.moves;
            }
        }
}

// A game that plays each suggestion gives nothing away: the move's own value
// is exactly the suggestion's, whatever the parity of the depth.
TEST(Analysis, PlayingTheSuggestionsGivesNothingAway) {
    const SearchChoice choices[] = {{false, 3, 5}, {false, 2, 4}, {true, 0, 3}, {false, 3, 1}};
    for (const SearchChoice& choice : choices) {
        SCOPED_TRACE(choice.depth);
        const AnalysisSettings settings = Both(choice);
        Engine engine;
        Board board;
        std::vector<Point> moves;
        for (int k = 0; k < 12; ++k) {
            SearchRequest r;
            r.position = board;
            r.colour = ColourOfMove(k + 1);
            r.depth = choice.depth;
            r.width = choice.width;
            r.fullWidth = choice.fullWidth;
            const ScoredMove m = engine.Search(r).line[1];
            board(m.column, m.row) = r.colour;
            moves.push_back({m.column, m.row});
        }
        const std::vector<PositionAnalysis> out = AnalyseGame(engine, moves, settings);
        ASSERT_EQ(out.size(), moves.size() + 1);
        for (size_t k = 1; k < out.size(); ++k) {
            ASSERT_TRUE(out[k].loss) << k;
            EXPECT_EQ(*out[k].loss, 0) << k;
            EXPECT_EQ(out[k].playedValue, static_cast<int32_t>(out[k - 1].suggestion.value)) << k;
        }
        EXPECT_TRUE(Mistakes(out, 1).empty());
    }
}

// With the strong search, the position after a move is searched to one ply
// less than the depth the search before it reached, whatever the clock.
TEST(Analysis, StrongSearchesGoAPlyShallowerThanTheDepthReached) {
    Engine engine;
    SearchRequest r;
    r.kind = SearchKind::Strong;
    r.strong.maxDepth = 3;
    r.nodes = int64_t{1} << 50;
    EXPECT_EQ(engine.Search(r).depthReached, 3);

    const AnalysisSettings settings = Both(SearchChoice{false, 3, 11, true, 30});
    const std::vector<PositionAnalysis> out =
        AnalyseGame(engine, Game("D,4\nE,5\nC,3\nD,5\n"), settings);
    ASSERT_EQ(out.size(), 5u);
    for (size_t k = 1; k < out.size(); ++k) {
        ASSERT_GE(out[k - 1].suggestion.depthReached, 2) << k;
        EXPECT_TRUE(out[k].shallowValue && out[k].loss) << k;
    }
}

// What a move gave away never goes below 0; none where either value is
// decided.
TEST(Analysis, LossIsNoneWhereEitherValueIsDecided) {
    struct Case {
        float before, played;
        std::optional<int32_t> loss;
    } cases[] = {{9, 9, 0},       {30, 12, 18},     {-5, -20, 15},  {999, 0, 999},
                 {4, 20, 0},      {1000, -4, {}},   {4, -1015, {}}, {-3001, -3001, {}},
                 {-65000, 7, {}}, {999, -999, 1998}};
    for (const Case& c : cases)
        EXPECT_EQ(MoveLoss(c.before, c.played), c.loss) << c.before << " " << c.played;
}

// The chart takes Blue's side and the mean of each position's value and its
// value a ply shallower, and puts decided values at its edge; the moves that
// gave away 10 or more are listed, with the best move when it is another.
TEST(Analysis, ChartAndMistakes) {
    std::vector<PositionAnalysis> ps(4);
    const float values[] = {9, 30, 12, 2000};  // for the side to move
    const float shallow[] = {0, 26, 14, -5};   // a ply shallower
    for (int k = 0; k < 4; ++k) {
        ps[k].moves = k;
        ps[k].toMove = ColourOfMove(k + 1);
        ps[k].suggestion.value = values[k];
        ps[k].red = 4 * k;
        ps[k].blue = 9 * k;
        if (k > 0) {
            ps[k].played = {k, k};
            ps[k].playedColour = ColourOfMove(k);
            ps[k].shallowValue = shallow[k];
            ps[k].loss = MoveLoss(values[k - 1], -shallow[k]);
        }
    }
    ps[0].suggestion.line[1] = {6, 6, 9};
    ps[1].suggestion.line[1] = {2, 2, 30};  // the move played next
    const AnalysisChart c = ChartOf(ps);
    ASSERT_EQ(c.value.size(), 4u);
    EXPECT_EQ(c.value[0].y, 9);
    EXPECT_EQ(c.value[1].y, -28);  // Red to move: -30 and -26
    EXPECT_EQ(c.value[2].y, 13);
    EXPECT_TRUE(c.value[3].decided);
    EXPECT_EQ(c.value[3].y, c.low);  // Red's decided win is Blue's loss
    EXPECT_GE(c.high, 27);           // the scores fit
    EXPECT_LE(c.low, -28);
    const std::vector<Mistake> m = Mistakes(ps);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].text, "1. A,8 (Blue) gave away 35; best F,3");
    EXPECT_EQ(m[0].moves, 1);
    EXPECT_EQ(m[1].text, "2. B,7 (Red) gave away 44");
}

}  // namespace
}  // namespace qv
