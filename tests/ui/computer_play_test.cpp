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
#include "play/player.h"
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
    c.Opponents.ComputerPaceMs = 0;
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
        c.Opponents.SetComputerPlays(Red, true);
        c.Session.BoardClick(4, 4);
        const Board afterPerson = c.Session.Game().board;
        WaitForWork(p.main);
        QCOMPARE(c.Session.Game().MoveCount, 2);
        const Point reply = c.Session.Game().MoveHistory[2];
        QCOMPARE(reply, Suggested(c.Players.Settings(), afterPerson, Red));
        QCOMPARE(c.Session.Game().board(reply.column, reply.row), int32_t(Red));
        QVERIFY(!p.w.StatsForm->lblScore->text().isEmpty());

        QVERIFY(c.Session.TakeBack());
        QCOMPARE(c.Session.Game().MoveCount, 0);
        QVERIFY(c.Session.Redo());
        QCOMPARE(c.Session.Game().MoveCount, 2);
        QCOMPARE(c.Session.Game().MoveHistory[2], reply);
        // Clicking the last move takes back the pair too.
        c.Session.BoardClick(reply.column, reply.row);
        QCOMPARE(c.Session.Game().MoveCount, 0);
        QCOMPARE(c.Session.Game().board, Board{});
        QCOMPARE(c.Jobs.Work(), LongWork::None);
    }

    void cancelUnchecksAndPlaysNothing() {
        Program p;
        TSettings& s = *p.w.Form2->CurrentSettings;
        s.FullWidthSearch = true;
        s.SearchDepth = 4;
        GameController& c = p.main.Controller;
        c.Opponents.ComputerPaceMs = 0;
        p.main.ComputerPlaysRed1->trigger();
        QVERIFY(c.Opponents.ComputerPlays(Red));
        FirstRootMoveGate gate(p.main);
        Click(p.main, 4, 4);
        QVERIFY(gate.Wait());
        QCOMPARE(c.Jobs.Work(), LongWork::ComputerMove);
        // The board is the computer's while it thinks.
        Click(p.main, 6, 6);
        QCOMPARE(c.Session.Game().board(6, 6), Empty);
        QVERIFY(!p.main.bbRed->isEnabled() && !p.main.sbBack->isEnabled());
        p.main.sbCancel->click();
        gate.Release();
        WaitForWork(p.main);
        QCOMPARE(c.Session.Game().MoveCount, 1);
        QVERIFY(!c.Opponents.ComputerPlays(Red) && !c.Opponents.ComputerPlays(Blue));
        QVERIFY(!p.main.ComputerPlaysRed1->isChecked());
        QCOMPARE(c.Search.LastSearch().rootMoves, 1);
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
        c.Session.Game().board = board;
        c.Session.Game().RecountMoves();
        const int32_t mover = SideToMove(board);
        c.Opponents.SetComputerPlays(Opponent(mover), true);
        c.Session.BoardClick(column, row);
        const Board& b = c.Session.Game().board;
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
            QCOMPARE(c.Jobs.Work(), LongWork::None);
            return;
        }
        const int32_t pieces = b.Pieces();
        WaitForWork(p.main);
        QCOMPARE(b.Pieces(), pieces + 1);
        const Point reply = c.Session.Game().MoveHistory[c.Session.Game().MoveCount];
        QCOMPARE(b(reply.column, reply.row), int32_t(Opponent(mover)));
        c.Session.BoardClick(b(8, 8) == Empty ? 8 : 7, 8);
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
        c.Session.LoadMoves(moves);
        c.Session.SetSetupMode(setup);
        c.Opponents.SetComputerPlays(Red, true);  // Blue is to move
        c.Opponents.SetComputerPlays(Blue, true);
        QCOMPARE(c.Jobs.Work(), LongWork::None);
        const int32_t count = c.Session.Game().MoveCount;
        QVERIFY(c.Session.TakeBack());
        QCOMPARE(c.Session.Game().MoveCount, count - 1);
        QCOMPARE(c.Session.Game().board.Pieces(), count - 1);
    }

    // The computer may be any player for a colour; it then answers as that
    // player does, whatever the settings say.
    void givenPlayerAnswers_data() {
        QTest::addColumn<QString>("player");
        QTest::newRow("classic") << QStringLiteral("classic:depth=1,width=1");
        QTest::newRow("best potential") << QStringLiteral("potential");
    }

    void givenPlayerAnswers() {
        QFETCH(QString, player);
        Program p;
        GameController& c = Quick(p);
        const PlayerSpec description = ParsePlayerSpec(player.toStdString());
        c.Opponents.SetPlayer(Red, description);
        c.Opponents.SetComputerPlays(Red, true);
        c.Session.BoardClick(4, 4);
        MoveRequest request;
        request.position = c.Session.Game().board;
        request.colour = Red;
        const ScoredMove expected = MakePlayer(description)->GenMove(request).move;
        WaitForWork(p.main);
        QCOMPARE(c.Session.Game().MoveCount, 2);
        QCOMPARE(c.Session.Game().MoveHistory[2], (Point{expected.column, expected.row}));
    }

    void bothColoursPlayAWholeGame() {
        Program p;
        GameController& c = Quick(p, 2);
        c.Opponents.SetComputerPlays(Blue, true);
        c.Opponents.SetComputerPlays(Red, true);
        QTRY_COMPARE_WITH_TIMEOUT(p.dialogs.notices.size(), 1, 120000);
        WaitForWork(p.main);
        const Board& b = c.Session.Game().board;
        QCOMPARE(c.Session.Game().MoveCount, b.Pieces());
        for (int n = 1; n <= c.Session.Game().MoveCount; ++n) {
            const Point m = c.Session.Game().MoveHistory[n];
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
