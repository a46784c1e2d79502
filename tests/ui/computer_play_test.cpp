#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "engine/engine.h"
#include "model/board_text.h"
#include "model/scoring.h"
#include "ui/Stats.h"
#include "ui_test_support.h"

using namespace qv;
using namespace qv::ui;
using namespace qv::ui::testing;

namespace {

// A quick computer, shown without the pause, so the suite stays short.
GameController& Quick(Program& p, int32_t depth = 3) {
    TSettings& s = *p.w.Form2->CurrentSettings;
    s.SearchDepth = depth;
    s.SearchWidth = 2;
    GameController& c = p.main.Controller;
    c.ComputerPaceMs = 0;
    return c;
}

// What the colour's suggestion button finds for the position.
Point Suggested(const TSettings& s, const Board& board, int32_t colour) {
    const SearchChoice choice = SearchParameters(s, colour);
    SearchRequest r;
    r.position = board;
    r.colour = colour;
    r.depth = choice.depth;
    r.width = choice.width;
    r.fullWidth = choice.fullWidth;
    r.lineEnd = s.SearchDepth;
    Engine engine;
    const ScoredMove m = engine.Search(r).line[1];
    return {m.column, m.row};
}

// Red holds a 4 x 4 block but for its corner A,8.
Board RedBlockOpenCorner() {
    Board b;
    for (int c = 1; c <= 4; ++c)
        for (int r = 1; r <= 4; ++r) b(c, r) = Red;
    b(1, 1) = Empty;
    return b;
}

}  // namespace

class ComputerPlayTest : public QObject {
    Q_OBJECT
  private slots:
    void replyIsTheSuggestionAndUndoTakesBothBack() {
        Program p;
        GameController& c = Quick(p);
        c.SetComputerPlays(Red, true);
        c.BoardClick(4, 4);
        const Board afterPerson = c.Game().board;
        WaitForWork(p.main);
        QCOMPARE(c.Game().MoveCount, 2);
        const Point reply = c.Game().MoveHistory[2];
        QCOMPARE(reply, Suggested(c.Settings(), afterPerson, Red));
        QCOMPARE(c.Game().board(reply.column, reply.row), int32_t(Red));
        QVERIFY(!p.w.StatsForm->lblScore->text().isEmpty());

        QVERIFY(c.TakeBack());
        QCOMPARE(c.Game().MoveCount, 0);
        QVERIFY(c.Redo());
        QCOMPARE(c.Game().MoveCount, 2);
        QCOMPARE(c.Game().MoveHistory[2], reply);
        // Clicking the last move takes back the pair too.
        c.BoardClick(reply.column, reply.row);
        QCOMPARE(c.Game().MoveCount, 0);
        QCOMPARE(c.Game().board, Board{});
        QCOMPARE(c.Work(), LongWork::None);
    }

    void cancelUnchecksAndPlaysNothing() {
        Program p;
        TSettings& s = *p.w.Form2->CurrentSettings;
        s.FullWidthSearch = true;
        s.SearchDepth = 4;
        GameController& c = p.main.Controller;
        c.ComputerPaceMs = 0;
        p.main.ComputerPlaysRed1->trigger();
        QVERIFY(c.ComputerPlays(Red));
        FirstRootMoveGate gate(p.main);
        Click(p.main, 4, 4);
        QVERIFY(gate.Wait());
        QCOMPARE(c.Work(), LongWork::ComputerMove);
        // The board is the computer's while it thinks.
        Click(p.main, 6, 6);
        QCOMPARE(c.Game().board(6, 6), Empty);
        QVERIFY(!p.main.bbRed->isEnabled() && !p.main.sbBack->isEnabled());
        p.main.sbCancel->click();
        gate.Release();
        WaitForWork(p.main);
        QCOMPARE(c.Game().MoveCount, 1);
        QVERIFY(!c.ComputerPlays(Red) && !c.ComputerPlays(Blue));
        QVERIFY(!p.main.ComputerPlaysRed1->isChecked());
        QCOMPARE(c.LastSearch().rootMoves, 1);
    }

    void endOfGameNotice_data() {
        QTest::addColumn<Board>("board");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("full");
        QTest::newRow("decided") << RedBlockOpenCorner() << 1 << 1 << false;
        // 383 to 385 and undecided: Red's last move fills the board.
        QTest::newRow("full board")
            << ParseBoardText(
                   "brrbrrbr/brbbbbbr/brrrbrrb/rbrrbbrb/rbbrbrrr/rrbbrbbb/bbbrbrrb/"
                   "bbbrrrr.")
            << 8 << 8 << true;
    }

    void endOfGameNotice() {
        QFETCH(Board, board);
        QFETCH(int, column);
        QFETCH(int, row);
        QFETCH(bool, full);
        Program p;
        GameController& c = Quick(p);
        c.Game().board = board;
        c.Game().RecountMoves();
        const int32_t mover = SideToMove(board);
        c.SetComputerPlays(Opponent(mover), true);
        c.BoardClick(column, row);
        const Board& b = c.Game().board;
        const int32_t red = TotalScore(Red, b), blue = TotalScore(Blue, b);
        const QString expected = red == blue ? QStringLiteral("Draw %1 to %2.").arg(red).arg(blue)
                                 : red > blue
                                     ? QStringLiteral("Red wins %1 to %2.").arg(red).arg(blue)
                                     : QStringLiteral("Blue wins %1 to %2.").arg(blue).arg(red);
        QCOMPARE(p.dialogs.notices, QStringList{expected});
        if (!full) QCOMPARE(expected, QStringLiteral("Red wins %1 to 0.").arg(red));
        // Play goes on, and the computer goes on answering unless the board is
        // full; there is no second notice.
        if (full) {
            QCOMPARE(c.Work(), LongWork::None);
            return;
        }
        const int32_t pieces = b.Pieces();
        WaitForWork(p.main);
        QCOMPARE(b.Pieces(), pieces + 1);
        const Point reply = c.Game().MoveHistory[c.Game().MoveCount];
        QCOMPARE(b(reply.column, reply.row), int32_t(Opponent(mover)));
        c.BoardClick(b(8, 8) == Empty ? 8 : 7, 8);
        WaitForWork(p.main);
        QCOMPARE(b.Pieces(), pieces + 3);
        QCOMPARE(p.dialogs.notices.size(), 1);
    }

    // Playing both colours, the computer waits in a decided game and in setup
    // mode; undo then takes back one move, as it does without the computer.
    void undoTakesOneMoveWhileTheComputerWaits_data() {
        QTest::addColumn<bool>("setup");
        QTest::newRow("game over") << false;
        QTest::newRow("setup mode") << true;
    }

    void undoTakesOneMoveWhileTheComputerWaits() {
        QFETCH(bool, setup);
        Program p;
        GameController& c = Quick(p);
        // Blue fills the two bottom rows, Red the 4 x 4 block at the top left.
        std::vector<Point> moves;
        for (int i = 0; i < 16; ++i) {
            moves.push_back({i % 8 + 1, 8 - i / 8});
            moves.push_back({i % 4 + 1, i / 4 + 1});
        }
        if (setup) moves.resize(6);
        c.LoadMoves(moves);
        c.SetSetupMode(setup);
        c.SetComputerPlays(Red, true);  // Blue is to move
        c.SetComputerPlays(Blue, true);
        QCOMPARE(c.Work(), LongWork::None);
        const int32_t count = c.Game().MoveCount;
        QVERIFY(c.TakeBack());
        QCOMPARE(c.Game().MoveCount, count - 1);
        QCOMPARE(c.Game().board.Pieces(), count - 1);
    }

    void bothColoursPlayAWholeGame() {
        Program p;
        GameController& c = Quick(p, 2);
        c.SetComputerPlays(Blue, true);
        c.SetComputerPlays(Red, true);
        QTRY_COMPARE_WITH_TIMEOUT(p.dialogs.notices.size(), 1, 120000);
        WaitForWork(p.main);
        const Board& b = c.Game().board;
        QCOMPARE(c.Game().MoveCount, b.Pieces());
        for (int n = 1; n <= c.Game().MoveCount; ++n) {
            const Point m = c.Game().MoveHistory[n];
            QCOMPARE(b(m.column, m.row), ColourOfMove(n));
        }
    }

    // Through the real window: two moves against the computer, the replies
    // shown after a pause, and the game saved.
    void twoMovesAndSave() {
        Program p;
        TForm1& f = p.main;
        p.w.Form2->CurrentSettings->SearchDepth = 3;
        f.ComputerPlaysRed1->trigger();
        QElapsedTimer timer;
        timer.start();
        Click(f, 4, 4);
        WaitForWork(f);
        QVERIFY(timer.elapsed() >= 250);
        QCOMPARE(f.Game.MoveCount, 2);
        const Point empty = f.Game.board(5, 5) == Empty ? Point{5, 5} : Point{3, 3};
        Click(f, empty.column, empty.row);
        WaitForWork(f);
        QCOMPARE(f.Game.MoveCount, 4);
        QTemporaryDir dir;
        p.dialogs.nextFile = dir.path() + QStringLiteral("/game.qdv");
        f.SaveGame1->trigger();
        QFile saved(*p.dialogs.nextFile);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll().count("\r\n"), 4);
    }
};

QTEST_MAIN(ComputerPlayTest)
#include "computer_play_test.moc"
