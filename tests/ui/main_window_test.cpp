#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include "ui/ErrorReport.h"
#include "ui/TurnPanel.h"
#include "ui/WindowGeometry.h"
#include "ui_test_support.h"

using namespace qv;
using namespace qv::ui;
using namespace qv::ui::testing;

namespace {

const QColor kRedRgb(255, 0, 0), kBlueRgb(0, 0, 255);

QColor TurnColour(TForm1& f) {
    return PixelAt(f.TurnPanel, f.TurnPanel->rect().center());
}

// The whole visible state that a click may change.
struct Snapshot {
    Board board;
    int32_t moveCount;
    QString red, blue;
    bool operator==(const Snapshot&) const = default;
};
Snapshot Take(TForm1& f) {
    return {f.Game.board, f.Game.MoveCount, f.bbRed->text(), f.bbBlue->text()};
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void startUp() {
        Program p;
        TForm1& f = p.main;
        QCOMPARE(f.windowTitle(), QStringLiteral("Quadrivane"));
        QVERIFY(p.w.StatsForm->isVisible());
        QVERIFY(!p.w.Form2->isVisible());
        QVERIFY(!p.w.TestForm->isVisible());
        QCOMPARE(f.pbBoard->size(), QSize(178, 177));
        QCOMPARE(f.CellSize(), 22);
        QCOMPARE(f.PieceDiameter(), 12);
        QCOMPARE(f.bbBlue->text(), QStringLiteral("0 (0)"));
        QCOMPARE(f.bbRed->text(), QStringLiteral("0 (0)"));
        QCOMPARE(TextColour(f.bbBlue), kBlueRgb);
        QCOMPARE(TextColour(f.bbRed), kRedRgb);
        QCOMPARE(f.StatusText(0), QStringLiteral("Position"));
        QCOMPARE(f.StatusText(1), QStringLiteral("0"));
        QCOMPARE(f.StatusText(2), QStringLiteral("Color"));
        QCOMPARE(f.StatusText(3), QString());
        QCOMPARE(TurnColour(f), kBlueRgb);
        QCOMPARE(f.focusWidget(), f.bbBlue);
        QCOMPARE(f.Controller.Session.Line()[1].column, -1);
        QCOMPARE(f.Controller.Session.PreviewPoint(), (Point{0, 0}));
        QVERIFY(!f.SetupMode1->isChecked());
        // Empty points are black dots.
        QCOMPARE(PixelAt(f.pbBoard, PixelOf(f, 4, 4)), QColor(0, 0, 0));
    }

    void creationGeometryBeforeShowing() {
        FakeDialogs d;
        TForm1 f;
        QCOMPARE(f.CellSize(), 22);
        QCOMPARE(f.PieceDiameter(), 14);
        // No paint yet: the buttons still carry their names.
        QCOMPARE(f.bbBlue->text(), QStringLiteral("bbBlue"));
        QCOMPARE(f.StatusText(1), QStringLiteral("Move:"));
    }

    void menusAndHints() {
        Program p;
        TForm1& f = p.main;
        QStringList seen;
        for (QAction* top : f.menuBar()->actions()) {
            QStringList items;
            for (QAction* a : top->menu()->actions()) items << a->text();
            seen << top->text() + ": " + items.join(", ");
        }
        QCOMPARE(seen,
                 (QStringList{"File: New, Save, Load",
                              "Options: Settings..., Show Statistics, Setup Mode",
                              "Game: Computer Plays Blue, Computer Plays Red, Play Suggested Move, "
                              ", Analyse Game, "
                              "Show Analysis, , New Game\u2026, Opponent: Custom, Show Moves",
                              "Temp: Get Potentials, Get Blue Potentials, Get Red Potentials, "
                              "Play Round, Run Genetic Algorithm",
                              "Help: How to Play, About Quadrivane"}));
        QVERIFY(f.SetupMode1->isCheckable());
        // The shortcuts of desktop programs.
        const std::pair<QAction*, QString> keys[] = {{f.ClearBoard1, "Ctrl+N"},
                                                     {f.LoadGame1, "Ctrl+O"},
                                                     {f.SaveGame1, "Ctrl+S"},
                                                     {f.Settings1, "Ctrl+,"},
                                                     {f.Undo1, "Ctrl+Z"},
                                                     {f.Redo1, "Ctrl+Shift+Z"},
                                                     {f.PlaySuggestedMove1, "Ctrl+Return"},
                                                     {f.NewGame1, "Ctrl+Shift+N"},
                                                     {f.HowToPlay1, "F1"}};
        for (const auto& [action, key] : keys)
            QCOMPARE(action->shortcut().toString(QKeySequence::PortableText), key);
        QCOMPARE(f.Redo1->shortcuts().value(1).toString(QKeySequence::PortableText),
                 QStringLiteral("Ctrl+Y"));
        QCOMPARE(f.bbBlue->toolTip(), QStringLiteral("Suggest Move for Blue"));
        QCOMPARE(f.bbRed->toolTip(), QStringLiteral("Suggest Move for Red"));
        QCOMPARE(f.sbBack->toolTip(), QStringLiteral("Undo 1 move"));
        QCOMPARE(f.sbForward->toolTip(), QStringLiteral("Redo 1 Move"));
        QVERIFY(f.sbCancel->toolTip().isEmpty());
        QCOMPARE(f.pbrThink->minimum(), 0);
        QCOMPARE(f.pbrThink->maximum(), 100);
    }

    void clicksPlaceAndTakeBack() {
        Program p;
        TForm1& f = p.main;
        struct Step {
            int column, row;
            int32_t expectedAtPoint, moveCount;
            QColor turn;
        };
        const Step steps[] = {
            {3, 4, Blue, 1, kRedRgb},    // first move is Blue
            {5, 5, Red, 2, kBlueRgb},    // then Red
            {3, 4, Blue, 2, kBlueRgb},   // not the last move: nothing
            {5, 5, Empty, 1, kRedRgb},   // the last move: taken back
            {3, 4, Empty, 0, kBlueRgb},  // and the one before it
        };
        for (const Step& s : steps) {
            Click(f, s.column, s.row);
            QCOMPARE(f.Game.board(s.column, s.row), s.expectedAtPoint);
            QCOMPARE(f.Game.MoveCount, s.moveCount);
            QCOMPARE(f.StatusText(1), QString::number(s.moveCount));
            QCOMPARE(TurnColour(f), s.turn);
            QCOMPARE(f.focusWidget(), s.turn == kRedRgb ? f.bbRed : f.bbBlue);
        }
        // Pieces take their colour on the board as drawn; the last move's
        // piece carries a white mark in its middle, and only while it is the last.
        Click(f, 3, 4);
        const QPoint beside = PixelOf(f, 3, 4) - QPoint(4, 0);
        QCOMPARE(PixelAt(f.pbBoard, beside), kBlueRgb);
        QCOMPARE(PixelAt(f.pbBoard, PixelOf(f, 3, 4)), QColor(255, 255, 255));
        Click(f, 5, 5);
        QCOMPARE(PixelAt(f.pbBoard, PixelOf(f, 3, 4)), kBlueRgb);
        QCOMPARE(PixelAt(f.pbBoard, PixelOf(f, 5, 5)), QColor(255, 255, 255));
        f.sbBack->click();
        QCOMPARE(PixelAt(f.pbBoard, PixelOf(f, 3, 4)), QColor(255, 255, 255));
        p.w.Form2->CurrentSettings->ShowLastMove = false;
        f.RepaintMain();
        QCOMPARE(PixelAt(f.pbBoard, PixelOf(f, 3, 4)), kBlueRgb);
        // The right button never plays.
        Click(f, 6, 6, Qt::RightButton);
        QCOMPARE(f.Game.board(6, 6), Empty);
        // The middle button plays like the left one.
        Click(f, 6, 6, Qt::MiddleButton);
        QCOMPARE(f.Game.board(6, 6), Red);
    }

    void offBoardPositionsAreIgnored() {
        Program p;
        TForm1& f = p.main;
        // Column 9 would start at x = 171 + ...; the area is wider than the board.
        const QPoint right(176, 30), below(30, 176);
        for (QPoint at : {right, below}) {
            Press(f, at);
            Release(f, at);
            Move(f, at);
        }
        QCOMPARE(f.Game.MoveCount, 0);
        QCOMPARE(f.StatusText(0), QStringLiteral("Position"));
    }

    void undoRedo() {
        Program p;
        TForm1& f = p.main;
        f.sbBack->click();
        f.sbForward->click();
        QCOMPARE(f.Game.MoveCount, 0);

        const Point moves[] = {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}};
        for (Point m : moves) Click(f, m.column, m.row);
        const Snapshot five = Take(f);
        f.sbBack->click();
        f.sbBack->click();
        QCOMPARE(f.Game.MoveCount, 3);
        QCOMPARE(f.Game.board(5, 5), Empty);
        QCOMPARE(TurnColour(f), kRedRgb);
        f.sbForward->click();
        f.sbForward->click();
        QCOMPARE(Take(f), five);
        f.sbForward->click();  // nothing left to redo
        QCOMPARE(Take(f), five);

        // A new move after taking back keeps the old tail for redo.
        f.sbBack->click();
        f.sbBack->click();
        Click(f, 8, 8);
        QCOMPARE(f.Game.board(8, 8), Red);
        f.sbForward->click();
        QCOMPARE(f.Game.board(5, 5), Blue);
        QCOMPARE(f.Game.MoveCount, 5);
    }

    void newGameAsksFirst() {
        Program p;
        TForm1& f = p.main;
        Click(f, 2, 2);
        Click(f, 3, 3);
        const Snapshot before = Take(f);
        p.dialogs.confirmAnswer = false;
        f.ClearBoard1->trigger();
        QCOMPARE(p.dialogs.confirms, 1);
        QCOMPARE(p.dialogs.confirmText, QStringLiteral("Are you sure"));
        QCOMPARE(p.dialogs.confirmCaption, QStringLiteral("Confirm"));
        const QRect frame = f.frameGeometry();
        QCOMPARE(p.dialogs.confirmAt,
                 QPoint((frame.left() + frame.width()) / 2, (frame.top() + frame.height()) / 2));
        QCOMPARE(Take(f), before);

        PredictedLine shown = f.Controller.Session.Line();
        shown[1] = {4, 4, 7.0f};
        f.Controller.Session.SetLine(shown);
        p.dialogs.confirmAnswer = true;
        f.ClearBoard1->trigger();
        QCOMPARE(f.Game.board, Board{});
        QCOMPARE(f.Game.MoveCount, 0);
        QCOMPARE(f.StatusText(1), QStringLiteral("0"));
        QCOMPARE(f.Game.MoveHistory[1].column, 0);
        QCOMPARE(TurnColour(f), kBlueRgb);
        f.sbForward->click();  // the history went too
        QCOMPARE(f.Game.MoveCount, 0);
        QCOMPARE(f.Controller.Session.Line()[1].column, 4);  // the last suggestion stays
    }

    void setupModeCycles() {
        Program p;
        TForm1& f = p.main;
        f.SetupMode1->trigger();
        QVERIFY(f.SetupMode1->isChecked());
        const int32_t cycle[] = {Red, Blue, Empty};
        const int32_t counts[] = {1, 1, 0};
        for (int i = 0; i < 3; ++i) {
            Click(f, 4, 4);
            QCOMPARE(f.Game.board(4, 4), cycle[i]);
            QCOMPARE(f.Game.MoveCount, counts[i]);
        }
        Click(f, 4, 4, Qt::RightButton);
        QCOMPARE(f.Game.board(4, 4), Empty);
        // Two Red pieces and a Blue one: Red has too many and shows yellow.
        Click(f, 1, 1);
        Click(f, 2, 1);
        Click(f, 3, 1);
        Click(f, 3, 1);
        QCOMPARE(TextColour(f.bbRed), kYellow);
        QCOMPARE(TurnColour(f), kRedRgb);  // three pieces: Red to move
        QCOMPARE(f.focusWidget(), f.bbRed);
        QVERIFY(f.Game.MoveHistory[1].column == 0);

        f.SetupMode1->trigger();
        f.SetupMode1->trigger();
        QCOMPARE(f.Game.MoveCount, 3);
    }

    void setupPiecesShiftTheTurn() {
        Program p;
        TForm1& f = p.main;
        Click(f, 1, 1);
        Click(f, 2, 2);
        f.SetupMode1->trigger();
        Click(f, 5, 5);  // a Red piece with no history slot
        f.SetupMode1->trigger();
        QCOMPARE(f.Game.MoveCount, 3);
        QCOMPARE(f.Game.MoveHistory[3].column, 0);
        f.sbBack->click();  // slot 3 is empty: nothing visible changes
        QCOMPARE(f.Game.MoveCount, 3);
        QCOMPARE(f.Game.board(2, 2), Red);
        QCOMPARE(f.Game.board(5, 5), Red);
    }

    void shiftPreview_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("piece");
        QTest::newRow("left shows Blue") << int(Qt::LeftButton) << int(Blue);
        QTest::newRow("right shows Red") << int(Qt::RightButton) << int(Red);
    }
    void shiftPreview() {
        QFETCH(int, button);
        QFETCH(int, piece);
        const auto b = Qt::MouseButton(button);
        Program p;
        TForm1& f = p.main;
        // Three corners of a square in the previewed colour, fourth at (2, 2).
        f.SetupMode1->trigger();
        for (Point c : {Point{1, 1}, Point{2, 1}, Point{1, 2}})
            for (int k = 0; k < piece; ++k) Click(f, c.column, c.row);
        f.SetupMode1->trigger();
        QPushButton* own = piece == Blue ? f.bbBlue : f.bbRed;
        QCOMPARE(own->text(), QStringLiteral("0 (4)"));
        const Snapshot before = Take(f);
        QWidget* focusBefore = f.focusWidget();

        Press(f, PixelOf(f, 2, 2), b, Qt::ShiftModifier);
        QCOMPARE(f.Game.board(2, 2), piece);
        QCOMPARE(f.Controller.Session.PreviewPoint(), (Point{2, 2}));
        QCOMPARE(own->text(), QStringLiteral("4 (0)"));
        QCOMPARE(f.StatusText(1), QStringLiteral("4"));

        // The piece follows the mouse while Shift and the button are held ...
        Move(f, PixelOf(f, 6, 6), b, Qt::ShiftModifier);
        QCOMPARE(f.Game.board(2, 2), Empty);
        QCOMPARE(f.Game.board(6, 6), piece);
        // ... stays put over an occupied point or without Shift ...
        Move(f, PixelOf(f, 1, 1), b, Qt::ShiftModifier);
        Move(f, PixelOf(f, 7, 7), b, Qt::NoModifier);
        QCOMPARE(f.Game.board(6, 6), piece);
        QCOMPARE(f.Controller.Session.PreviewPoint(), (Point{6, 6}));
        // ... and the turn panel keeps the real side to move, even when redrawn.
        f.RepaintStatusBar();
        QCOMPARE(f.focusWidget(), focusBefore);
        QCOMPARE(TurnColour(f), kRedRgb);  // three pieces before the preview

        Release(f, PixelOf(f, 7, 7), b);
        QCOMPARE(f.Controller.Session.PreviewPoint(), (Point{0, 0}));
        QCOMPARE(Take(f), before);
        QCOMPARE(f.focusWidget(), focusBefore);
    }

    void shiftOnOccupiedPointIsAPlainClick() {
        Program p;
        TForm1& f = p.main;
        Click(f, 3, 3);
        Press(f, PixelOf(f, 3, 3), Qt::LeftButton, Qt::ShiftModifier);
        Release(f, PixelOf(f, 3, 3));
        QCOMPARE(f.Game.board(3, 3), Empty);
        QCOMPARE(f.Game.MoveCount, 0);
    }

    void positionTextOnlyWhenThePointChanges() {
        Program p;
        TForm1& f = p.main;
        Move(f, PixelOf(f, 3, 4));
        QCOMPARE(f.StatusText(0), QStringLiteral("C,5"));
        f.StatusPanel(0)->setText(QStringLiteral("x"));
        Move(f, PixelOf(f, 3, 4) + QPoint(3, 3));  // same point, another pixel
        QCOMPARE(f.StatusText(0), QStringLiteral("x"));
        Move(f, PixelOf(f, 3, 5));
        QCOMPARE(f.StatusText(0), QStringLiteral("C,4"));
        // Through the halfway rule: x = 17 is already column 2.
        Move(f, QPoint(17, 0));
        QCOMPARE(f.StatusText(0), QStringLiteral("B,8"));
    }

    void resizeRules_data() {
        QTest::addColumn<QSize>("board");
        QTest::addColumn<int>("cell");
        QTest::addColumn<int>("diameter");
        QTest::newRow("400x300") << QSize(400, 300) << 37 << 21;
        QTest::newRow("300x400") << QSize(300, 400) << 37 << 21;
        QTest::newRow("wider only") << QSize(600, 177) << 22 << 12;
        QTest::newRow("too small") << QSize(178, 5) << 0 << 0;
    }
    void resizeRules() {
        QFETCH(QSize, board);
        QFETCH(int, cell);
        QFETCH(int, diameter);
        Program p;
        TForm1& f = p.main;
        const QSize extra = f.size() - f.pbBoard->size();
        f.resize(board + extra);
        QTRY_COMPARE(f.pbBoard->size(), board);
        QCOMPARE(f.CellSize(), cell);
        QCOMPARE(f.PieceDiameter(), diameter);
        // With no board on screen the mouse does nothing.
        Click(f, 1, 1);
        QCOMPARE(f.Game.MoveCount, cell == 0 ? 0 : 1);
    }

    // A picture window opens beside the main window where the screen has room,
    // else where it covers the least of it, never over the menu bar or Cancel;
    // smaller only when nothing else keeps them clear.
    void pictureWindowPlacement_data() {
        QTest::addColumn<QRect>("room");
        QTest::addColumn<QPoint>("main");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("expected");
        const QSize big(690, 510);
        QTest::newRow("right") << QRect(0, 0, 1920, 1080) << QPoint(436, 126) << big
                               << QRect(630, 126, 690, 510);
        QTest::newRow("left") << QRect(0, 0, 1920, 1080) << QPoint(1300, 126) << big
                              << QRect(602, 126, 690, 510);
        QTest::newRow("below") << QRect(0, 0, 1280, 1024) << QPoint(436, 126) << big
                               << QRect(436, 469, 690, 510);
        QTest::newRow("over a corner of it") << QRect(0, 0, 1000, 900) << QPoint(436, 126)
                                             << QSize(500, 510) << QRect(0, 390, 500, 510);
        QTest::newRow("smaller") << QRect(0, 0, 800, 600) << QPoint(436, 126) << big
                                 << QRect(0, 90, 428, 510);
    }

    void pictureWindowPlacement() {
        QFETCH(QRect, room);
        QFETCH(QPoint, main);
        QFETCH(QSize, size);
        QFETCH(QRect, expected);
        const QRect frame(main, QSize(186, 335));
        const QRect menu(main + QPoint(4, 23), QSize(178, 20));
        const QRect cancel(main + QPoint(73, 259), QSize(25, 26));
        const QRect placed = PlaceBeside(room, frame, {menu, cancel}, size, QSize(340, 300));
        QCOMPARE(placed, expected);
        QVERIFY(room.contains(placed) && !placed.intersects(menu) && !placed.intersects(cancel));
    }

    void predictedLineMarks() {
        Program p;
        TForm1& f = p.main;
        const QPoint ringLeft(2 * 22, 3 * 22 + 6);  // leftmost pixel of the ring at (3, 4)
        QCOMPARE(PixelAt(f.pbBoard, ringLeft), QColor(0, 0, 0));
        PredictedLine line;
        line[1] = {3, 4, 10.0f};
        line[2] = {5, 5, 10.0f};
        f.Controller.Session.SetLine(line);
        f.RepaintMain();
        QCOMPARE(PixelAt(f.pbBoard, ringLeft), kYellow);
        // Only the first move is marked unless the move order is shown.
        QCOMPARE(PixelAt(f.pbBoard, QPoint(4 * 22, 4 * 22 + 6)), QColor(0, 0, 0));
        p.w.Form2->CurrentSettings->ShowPredictedMoveOrder = true;
        f.RepaintMain();
        QCOMPARE(PixelAt(f.pbBoard, QPoint(4 * 22, 4 * 22 + 6)), kYellow);
    }

    void completedSquareOutlineIsOffset() {
        Program p;
        TForm1& f = p.main;
        p.w.Form2->CurrentSettings->ShowSquares = true;
        f.SetupMode1->trigger();
        for (Point c : {Point{2, 2}, Point{5, 2}, Point{5, 5}, Point{2, 5}})
            Click(f, c.column, c.row);
        QCOMPARE(f.bbRed->text(), QStringLiteral("16 (0)"));
        // The top side runs from (28, 28) to (94, 28) moved by (-1, -2).
        const QImage img = f.pbBoard->grab().toImage();
        QCOMPARE(img.pixelColor(60, 26), kRedRgb);
        QCOMPARE(img.pixelColor(60, 28), f.palette().color(QPalette::Window));
    }

    void suggestionButtonsColourTheScore() {
        Program p;
        TForm1& f = p.main;
        f.bbRed->click();
        QCOMPARE(p.w.StatsForm->lblScore->palette().color(QPalette::WindowText), kRedRgb);
        WaitForWork(f);
        f.bbBlue->click();
        QCOMPARE(p.w.StatsForm->lblScore->palette().color(QPalette::WindowText), kBlueRgb);
        WaitForWork(f);
        f.sbCancel->click();
        QVERIFY(f.Controller.Jobs.CancelRequested());
    }

    void secondaryWindowsOnlyHide() {
        Program p;
        TForm1& f = p.main;
        TStatsForm* stats = p.w.StatsForm.get();
        QCOMPARE(stats->windowTitle(), QStringLiteral("Quadrivane Stats"));
        QCOMPARE(stats->Label3->text(), QStringLiteral("Projected Score:"));
        QCOMPARE(stats->Label4->text(), QStringLiteral("AI Stats:"));
        QVERIFY(stats->lblScore->text().isEmpty());
        stats->SetScore(QStringLiteral("14 in 11 moves"));
        QVERIFY(stats->close());
        QVERIFY(!stats->isVisible());
        f.ShowStatistics1->trigger();
        QVERIFY(stats->isVisible());
        QCOMPARE(stats->lblScore->text(), QStringLiteral("14 in 11 moves"));

        QCOMPARE(p.w.TestForm->windowTitle(), QStringLiteral("Testing Data"));
        p.w.TestForm->show();
        QVERIFY(p.w.TestForm->close());
        QVERIFY(!p.w.TestForm->testAttribute(Qt::WA_DeleteOnClose));
        for (QWidget* w : {static_cast<QWidget*>(stats), static_cast<QWidget*>(p.w.TestForm.get()),
                           static_cast<QWidget*>(p.w.Form2.get())})
            QVERIFY(!w->testAttribute(Qt::WA_QuitOnClose));
        QVERIFY(f.testAttribute(Qt::WA_QuitOnClose));
    }

    // What a screen reader hears for each control; the turn panel follows the real position.
    void accessibleNames() {
        Program p;
        TForm1& f = p.main;
        auto name = [](QObject* o) {
            return QAccessible::queryAccessibleInterface(o)->text(QAccessible::Name);
        };
        QCOMPARE(name(f.sbBack), QStringLiteral("Undo 1 move"));
        QCOMPARE(name(f.sbForward), QStringLiteral("Redo 1 Move"));
        QCOMPARE(name(f.sbCancel), QStringLiteral("Cancel"));
        QCOMPARE(name(p.w.Form2->tsBlueAI), QStringLiteral("Blue AI"));
        QCOMPARE(QAccessible::queryAccessibleInterface(f.TurnPanel)->role(),
                 QAccessible::StaticText);
        QCOMPARE(name(f.TurnPanel), QStringLiteral("Blue to move"));
        Click(f, 3, 3);
        QCOMPARE(name(f.TurnPanel), QStringLiteral("Red to move"));
        Press(f, PixelOf(f, 5, 5), Qt::LeftButton, Qt::ShiftModifier);  // a preview is no move
        QCOMPARE(name(f.TurnPanel), QStringLiteral("Red to move"));
        Release(f, PixelOf(f, 5, 5));
        f.sbBack->click();
        QCOMPARE(name(f.TurnPanel), QStringLiteral("Blue to move"));

        // Each window reads as a window with its title, not as a nameless pane.
        for (QWidget* window :
             {static_cast<QWidget*>(&f), static_cast<QWidget*>(p.w.StatsForm.get()),
              static_cast<QWidget*>(p.w.TestForm.get()),
              static_cast<QWidget*>(p.w.AnalysisForm.get()),
              static_cast<QWidget*>(p.w.EvolutionForm.get())}) {
            QCOMPARE(QAccessible::queryAccessibleInterface(window)->role(), QAccessible::Window);
            QCOMPARE(name(window), window->windowTitle());
        }

        // No control of any window goes unnamed.
        for (QWidget* window : {static_cast<QWidget*>(&f), static_cast<QWidget*>(p.w.Form2.get()),
                                static_cast<QWidget*>(p.w.StatsForm.get()),
                                static_cast<QWidget*>(p.w.TestForm.get())}) {
            for (QWidget* w : window->findChildren<QWidget*>()) {
                const bool control =
                    qobject_cast<QAbstractButton*>(w) || qobject_cast<QAbstractSlider*>(w) ||
                    qobject_cast<QProgressBar*>(w) || qobject_cast<QPlainTextEdit*>(w) ||
                    qobject_cast<TBoardView*>(w) || qobject_cast<TTurnPanel*>(w);
                // Scroll bars, and the toolkit's own parts (qt_...), are the toolkit's affair.
                if (w->window() != window || !control || qobject_cast<QScrollBar*>(w) ||
                    w->objectName().startsWith(QLatin1String("qt_")))
                    continue;
                QVERIFY2(!name(w).isEmpty(), w->metaObject()->className());
            }
        }
    }

    void errorReport() {
        FakeDialogs d;
        ReportError(QStringLiteral("File not found"));
        QCOMPARE(d.boxes.size(), size_t{1});
        QCOMPARE(d.boxes[0].icon, QMessageBox::Critical);
        QCOMPARE(d.boxes[0].caption, QStringLiteral("Quadrivane"));
        QCOMPARE(d.boxes[0].text, QStringLiteral("File not found."));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
