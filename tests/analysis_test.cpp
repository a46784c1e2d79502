#include "tuning/analysis.h"

#include <gtest/gtest.h>

#include "model/savedgame.h"
#include "oracle/literal_engine.h"
#include "oracle/literal_scoring.h"

namespace qv {
namespace {

// A saved game read as the window and the command line read it.
std::vector<Point> Game(const char* text) {
    return ParseGame(text);
}

// Every position's search is the suggestion the literal engine gives for
// that position and side to move.
TEST(Analysis, EveryPositionIsTheSuggestionForItsSideToMove) {
    const char* games[] = {
        "D,4\r\nE,5\r\nC,3\r\nD,5\r\nE,4\r\nC,5\r\nF,6\r\nD,3\r\n",
        "A,1\nB,2\nA,2\nB,1\nH,8\nG,7\nH,7\nG,8\nC,3\nF,6\n",
    };
    const SearchChoice choices[] = {{false, 3, 4}, {true, 0, 3}};
    for (const char* text : games)
        for (const SearchChoice& choice : choices) {
            const std::vector<Point> moves = Game(text);
            AnalysisSettings settings;
            settings.blue = settings.red = choice;
            Engine engine;
            const std::vector<PositionAnalysis> out = AnalyseGame(engine, moves, settings);
            ASSERT_EQ(out.size(), moves.size() + 1);
            for (const PositionAnalysis& p : out) {
                literal::Engine e;
                const Board& b = p.request.position;
                const int32_t colour = ColourOfMove(p.moves + 1);
                ASSERT_EQ(p.toMove, colour);
                e.ProgressTotal = choice.fullWidth ? b.CountOf(Empty) : choice.width;
                for (int i = 1; i <= 15; ++i) e.Line[i].column = -1;
                const float own = static_cast<float>(literal::TotalScore(colour, b));
                const float other = static_cast<float>(literal::TotalScore(Opponent(colour), b));
                if (choice.fullWidth)
                    e.SearchFullWidth(b, colour, choice.depth, choice.depth, -kWindow, kWindow,
                                      other, own, e.Line, kNoMove);
                else
                    e.SearchWidthLimited(b, colour, choice.depth, choice.width, choice.depth,
                                         -kWindow, kWindow, other, own, e.Line);
                e.Line[choice.depth + 1].column = -1;
                EXPECT_EQ(p.suggestion.value, e.Line[1].score) << p.moves;
                EXPECT_EQ(p.suggestion.line[1], e.Line[1]) << p.moves;
                EXPECT_EQ(p.suggestion.positions, e.PositionsEvaluated) << p.moves;
                EXPECT_EQ(p.red, literal::TotalScore(Red, b));
                if (p.moves > 0) {
                    EXPECT_EQ(p.played, moves[p.moves - 1]);
                    EXPECT_EQ(b(p.played.column, p.played.row), ColourOfMove(p.moves));
                }
            }
        }
}

TEST(Analysis, LossIsNoneWhereEitherValueIsDecided) {
    struct Case {
        float before, after;
        std::optional<int32_t> loss;
    } cases[] = {{9, -9, 0},     {30, -12, 18},  {-5, 20, 15},      {999, 0, 999},
                 {1000, -4, {}}, {4, -1015, {}}, {-3001, 3001, {}}, {-65000, 7, {}}};
    for (const Case& c : cases)
        EXPECT_EQ(MoveLoss(c.before, c.after), c.loss) << c.before << " " << c.after;
}

// The chart takes Blue's side, puts decided values at its edge, and lists the
// moves that gave away 10 or more with the best move instead.
TEST(Analysis, ChartAndMistakes) {
    std::vector<PositionAnalysis> ps(4);
    const float values[] = {9, 30, 12, 2000};  // for the side to move
    for (int k = 0; k < 4; ++k) {
        ps[k].moves = k;
        ps[k].toMove = ColourOfMove(k + 1);
        ps[k].suggestion.value = values[k];
        ps[k].red = 4 * k;
        ps[k].blue = 9 * k;
        if (k > 0) {
            ps[k].played = {k, k};
            ps[k].playedColour = ColourOfMove(k);
            ps[k].loss = MoveLoss(values[k - 1], values[k]);
        }
    }
    ps[0].suggestion.line[1] = {6, 6, 9};
    ps[1].suggestion.line[1] = {3, 5, 30};
    const AnalysisChart c = ChartOf(ps);
    ASSERT_EQ(c.value.size(), 4u);
    EXPECT_EQ(c.value[0].y, 9);
    EXPECT_EQ(c.value[1].y, -30);  // Red to move
    EXPECT_FALSE(c.value[2].decided);
    EXPECT_TRUE(c.value[3].decided);
    EXPECT_EQ(c.value[3].y, c.low);  // Red's decided win is Blue's loss
    EXPECT_GE(c.high, 27);           // the scores fit
    EXPECT_LE(c.low, -30);
    const std::vector<Mistake> m = Mistakes(ps);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].text, "1. A,8 (Blue) gave away 39; best F,3");
    EXPECT_EQ(m[0].moves, 1);
    EXPECT_EQ(m[1].text, "2. B,7 (Red) gave away 42; best C,4");
}

}  // namespace
}  // namespace qv
