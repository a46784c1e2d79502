#include <gtest/gtest.h>

#include "model/game.h"

namespace qv {
namespace {

TEST(Colours, OpponentAndColourOfMove) {
    EXPECT_EQ(Opponent(Red), Blue);
    EXPECT_EQ(Opponent(Blue), Red);
    EXPECT_EQ(ColourOfMove(1), Blue);
    EXPECT_EQ(ColourOfMove(2), Red);
    EXPECT_EQ(ColourOfMove(64), Red);
}

TEST(PointNotation, CountsRowsFromTheBottom) {
    EXPECT_EQ(PointName(3, 4), "C,5");
    EXPECT_EQ(PointName(1, 8), "A,1");
    EXPECT_EQ(PointName(8, 1), "H,8");
}

TEST(History, FirstMovesAlternateFromBlue) {
    Game g;
    g.PlaceMove(1, 1);
    g.RecountMoves();
    EXPECT_EQ(g.board(1, 1), Blue);
    EXPECT_EQ(g.MoveCount, 1);
    g.PlaceMove(2, 1);
    g.RecountMoves();
    EXPECT_EQ(g.board(2, 1), Red);
    EXPECT_EQ(g.MoveCount, 2);
}

TEST(History, UndoRedoOnEmptyBoardDoNothing) {
    Game g;
    EXPECT_FALSE(g.TakeBackMove());
    EXPECT_FALSE(g.RedoMove());
    EXPECT_EQ(g.board, Board{});
    EXPECT_EQ(g.MoveCount, 0);
}

TEST(History, TakeBackTwoRedoTwoRestoresBoard) {
    Game g;
    for (int i = 1; i <= 5; ++i) g.PlaceMove(i, i);
    const Board before = g.board;
    g.TakeBackMove();
    g.TakeBackMove();
    EXPECT_EQ(g.board(5, 5), Empty);
    EXPECT_EQ(g.board(4, 4), Empty);
    g.RedoMove();
    g.RedoMove();
    EXPECT_EQ(g.board, before);
    EXPECT_EQ(g.MoveCount, 5);
}

TEST(History, NewMoveAfterTakeBacksKeepsRedoTail) {
    Game g;
    for (int i = 1; i <= 5; ++i) g.PlaceMove(i, i);
    g.TakeBackMove();
    g.TakeBackMove();
    g.PlaceMove(8, 1);  // move 4, Red
    EXPECT_EQ(g.board(8, 1), Red);
    ASSERT_TRUE(g.RedoMove());  // the old fifth move again, as move 5
    EXPECT_EQ(g.board(5, 5), Blue);
    EXPECT_EQ(g.board(4, 4), Empty);
    EXPECT_EQ(g.MoveCount, 5);
}

TEST(History, RedoAtSixtyFourDoesNothing) {
    Game g;
    for (int c = 1; c <= 8; ++c)
        for (int r = 1; r <= 8; ++r) g.PlaceMove(c, r);
    EXPECT_EQ(g.MoveCount, 64);
    const Board full = g.board;
    EXPECT_FALSE(g.RedoMove());
    EXPECT_EQ(g.board, full);
}

TEST(History, RemoveLastMoveAtOnlyTakesTheLastMove) {
    Game g;
    g.PlaceMove(1, 1);
    g.PlaceMove(2, 2);
    EXPECT_FALSE(g.RemoveLastMoveAt(1, 1));
    EXPECT_EQ(g.board(1, 1), Blue);
    EXPECT_TRUE(g.RemoveLastMoveAt(2, 2));
    EXPECT_EQ(g.board(2, 2), Empty);
    EXPECT_TRUE(g.RemoveLastMoveAt(1, 1));
    EXPECT_EQ(g.MoveCount, 0);
}

TEST(History, SetupPiecesShiftTheTurnAndCannotBeTakenBack) {
    Game g;
    g.PlaceMove(1, 1);
    g.PlaceMove(2, 2);
    g.board(3, 3) = Red;  // set up, no slot
    g.RecountMoves();
    EXPECT_EQ(g.MoveCount, 3);
    EXPECT_EQ(g.SideToMove(), Red);
    EXPECT_EQ(g.MoveHistory[3].column, 0);
    g.TakeBackMove();  // slot 3 empty: nothing visible changes
    g.RecountMoves();
    EXPECT_EQ(g.MoveCount, 3);
    EXPECT_EQ(g.board(3, 3), Red);
}

TEST(History, MoveAfterSetupGoesIntoSlotOfNewCount) {
    Game g;
    g.board(1, 1) = Red;
    g.board(2, 1) = Red;
    g.board(3, 1) = Blue;
    g.RecountMoves();
    g.PlaceMove(5, 5);
    EXPECT_EQ(g.MoveHistory[4], (Point{5, 5}));
    EXPECT_EQ(g.board(5, 5), Red);
    EXPECT_EQ(g.MoveHistory[1].column, 0);
}

TEST(History, ClearGameEmptiesBoardAndHistory) {
    Game g;
    g.PlaceMove(1, 1);
    g.ClearGame();
    g.RecountMoves();
    EXPECT_EQ(g.board, Board{});
    EXPECT_EQ(g.MoveHistory[1].column, 0);
    EXPECT_EQ(g.MoveCount, 0);
}

}  // namespace
}  // namespace qv
