#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QStandardPaths>
#include <QTest>
#include <QToolButton>

#include "model/scoring.h"
#include "play/levels.h"
#include "ui/About.h"
#include "ui/HowToPlay.h"
#include "ui/MovesForm.h"
#include "ui/NewGameDialog.h"
#include "ui/Settings.h"
#include "ui_test_support.h"

using namespace qv;
using namespace qv::ui;
using namespace qv::ui::testing;

Q_DECLARE_METATYPE(qv::ui::HumanPlays)

namespace {

QStringList LevelNames() {
    QStringList names;
    for (int n = 1; n <= 10; ++n) names << QStringLiteral("Level %1").arg(n);
    return names;
}

void ClickRow(QListWidget* list, int row) {
    const QRect at = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at.center());
}

// "New Game…" answered with these choices.
void StartNewGame(Program& p, QRadioButton* TNewGameDialog::*plays, int level, bool squares) {
    p.dialogs.answerDialog = [=](QDialog& d) {
        auto& dialog = static_cast<TNewGameDialog&>(d);
        (dialog.*plays)->setChecked(true);
        dialog.cbLevel->setCurrentIndex(level - 1);
        dialog.cbShowSquares->setChecked(squares);
        return true;
    };
    p.main.NewGame1->trigger();
}

QString GameMenuOpponent(TForm1& f) {
    return f.Opponent1->isEnabled() ? QStringLiteral("(enabled)") : f.Opponent1->text();
}

}  // namespace

class GameWindowsTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        // The start-up choice is kept apart from the user's own.
        QStandardPaths::setTestModeEnabled(true);
        QSettings().clear();
    }

    // The computer's colours, its level for them and "Show Squares" follow the
    // dialog; playing Blue, the computer opens the game at once.
    void newGameFromTheMenu_data() {
        QTest::addColumn<QString>("plays");
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("squares");
        QTest::addColumn<bool>("computerBlue");
        QTest::addColumn<bool>("computerRed");
        QTest::newRow("Blue against level 1") << "blue" << 1 << true << false << true;
        QTest::newRow("Red against level 2") << "red" << 2 << false << true << false;
        QTest::newRow("two people") << "both" << 4 << true << false << false;
        QTest::newRow("watching level 1") << "watch" << 1 << true << true << true;
    }
    void newGameFromTheMenu() {
        QFETCH(QString, plays);
        QFETCH(int, level);
        QFETCH(bool, squares);
        QFETCH(bool, computerBlue);
        QFETCH(bool, computerRed);
        Program p;
        TForm1& f = p.main;
        f.Controller.Opponents.ComputerPaceMs = 0;
        QCOMPARE(GameMenuOpponent(f), QStringLiteral("Opponent: Custom"));
        QCOMPARE(f.NewGame1->shortcut().toString(QKeySequence::PortableText),
                 QStringLiteral("Ctrl+Shift+N"));
        Click(f, 2, 2);
        const auto button = plays == "blue"   ? &TNewGameDialog::rbPlayBlue
                            : plays == "red"  ? &TNewGameDialog::rbPlayRed
                            : plays == "both" ? &TNewGameDialog::rbPlayBoth
                                              : &TNewGameDialog::rbWatch;
        StartNewGame(p, button, level, squares);
        QCOMPARE(p.dialogs.confirms, 1);  // a game was in progress
        QCOMPARE(f.ComputerPlaysBlue1->isChecked(), computerBlue);
        QCOMPARE(f.ComputerPlaysRed1->isChecked(), computerRed);
        QCOMPARE(f.Controller.Opponents.Level(), level);
        QCOMPARE(GameMenuOpponent(f),
                 QStringLiteral("Opponent: ") + QString::fromStdString(LevelName(level)));
        QCOMPARE(f.Controller.Players.Settings().ShowSquares, squares);
        QCOMPARE(p.w.Form2->cbShowSquares->isChecked(), squares);
        if (computerBlue) {
            QTRY_VERIFY(f.Game.MoveCount >= 1);
        } else {
            QCOMPARE(f.Game.MoveCount, 0);
            QCOMPARE(f.Controller.Jobs.Work(), LongWork::None);
        }
        for (int32_t colour : {Blue, Red}) f.Controller.Opponents.SetComputerPlays(colour, false);
        WaitForWork(f);
        // Opened again, the dialog offers the same choice.
        std::optional<NewGameChoice> offered;
        p.dialogs.answerDialog = [&](QDialog& d) {
            offered = static_cast<TNewGameDialog&>(d).Choice();
            return false;
        };
        f.NewGame1->trigger();
        QVERIFY(offered);
        QCOMPARE(offered->level, level);
        QCOMPARE(offered->showSquares, squares);
    }

    // Said no at the classic question, nothing changes; on an empty board it is not asked.
    void newGameCancelledAtTheQuestion() {
        Program p;
        TForm1& f = p.main;
        Click(f, 2, 2);
        p.dialogs.confirmAnswer = false;
        StartNewGame(p, &TNewGameDialog::rbPlayRed, 5, false);
        QCOMPARE(p.dialogs.confirms, 1);
        QCOMPARE(p.dialogs.confirmText, QStringLiteral("Are you sure"));
        QCOMPARE(f.Game.MoveCount, 1);
        QVERIFY(!f.ComputerPlaysBlue1->isChecked());
        QCOMPARE(f.Controller.Opponents.Level(), 0);
        QVERIFY(!f.Controller.Players.Settings().ShowSquares);
        f.Controller.Session.NewGame();
        StartNewGame(p, &TNewGameDialog::rbPlayBoth, 5, false);
        QCOMPARE(p.dialogs.confirms, 1);
        QCOMPARE(f.Controller.Opponents.Level(), 5);
    }

    // The settings dialog's OK or Apply gives the computer the settings'
    // players again when those changed, and only then.
    void settingsByHandAreCustom_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("custom");
        QTest::newRow("nothing, OK") << "" << false;
        QTest::newRow("sound, Apply") << "sound" << false;
        QTest::newRow("depth, Apply") << "depth" << true;
        QTest::newRow("depth, OK") << "depth ok" << true;
    }
    void settingsByHandAreCustom() {
        QFETCH(QString, change);
        QFETCH(bool, custom);
        Program p;
        TForm1& f = p.main;
        StartNewGame(p, &TNewGameDialog::rbPlayBlue, 3, true);
        TForm2& d = *p.w.Form2;
        f.Settings1->trigger();
        if (change == "sound") d.cbSound->click();
        if (change.startsWith("depth")) d.tbYourAI->setValue(d.tbYourAI->value() - 1);
        (change.isEmpty() || change.endsWith("ok") ? d.OK : d.bApply)->click();
        QCOMPARE(f.Controller.Opponents.Level(), custom ? 0 : 3);
        QCOMPARE(GameMenuOpponent(f), custom ? QStringLiteral("Opponent: Custom")
                                             : QStringLiteral("Opponent: Level 3 (Casual)"));
    }

    // A level's search leaves the settings alone: only their own players
    // switch them to full width.
    void levelKeepsTheSettingsWidth_data() {
        QTest::addColumn<int>("level");
        QTest::newRow("by the settings") << 0;
        QTest::newRow("level 2") << 2;
    }
    void levelKeepsTheSettingsWidth() {
        QFETCH(int, level);
        Program p;
        TForm1& f = p.main;
        TSettings& s = *p.w.Form2->CurrentSettings;
        s.SearchDepth = 2;
        f.Controller.Opponents.ComputerPaceMs = 0;
        f.Controller.Opponents.SetLevel(level);
        // Red far ahead and to move: the search's value is past the switch's mark.
        Board b;
        for (int c = 1; c <= 4; ++c)
            for (int r = 1; r <= 4; ++r) b(c, r) = Red;
        b(1, 1) = Empty;
        f.Controller.Session.SetBoard(b);
        f.Controller.Opponents.SetComputerPlays(Red, true);
        QTRY_COMPARE(f.Game.MoveCount, 16);
        WaitForWork(f);
        QCOMPARE(s.FullWidthSearch, level == 0);
    }

    // The list follows the game; a row click takes the board there through the history.
    void showMovesFollowsTheGame() {
        Program p;
        TForm1& f = p.main;
        for (const Point& m : {Point{2, 2}, Point{5, 5}, Point{3, 3}}) Click(f, m.column, m.row);
        f.ShowMoves1->trigger();
        TMovesForm* form = f.MovesForm;
        QVERIFY(form && form->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QListWidget* list = form->MoveList;
        QCOMPARE(list->count(), 3);
        ClickRow(list, 0);
        QCOMPARE(f.Game.MoveCount, 1);
        QCOMPARE(f.Game.board(5, 5), Empty);
        QVERIFY(list->item(0)->isSelected());
        ClickRow(list, 2);
        QCOMPARE(f.Game.MoveCount, 3);
        f.sbBack->click();
        QVERIFY(list->item(1)->isSelected());
        Click(f, 7, 7);  // a new move replaces the one taken back
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(2)->text(), QStringLiteral("3. G,2 Blue 0\u20130"));
        f.ShowMoves1->trigger();
        QCOMPARE(f.MovesForm, form);  // one window
        f.Controller.Session.NewGame();
        QCOMPARE(list->count(), 0);
    }

    // One "How to Play" window; it opens by itself at start-up until told not to,
    // and the choice is kept.
    void helpMenu() {
        QSettings().clear();
        {
            Program p;
            TForm1& f = p.main;
            QVERIFY(!f.HowToPlayForm);  // never from the window alone
            QStringList items;
            for (QAction* a : f.menuBar()->actions().last()->menu()->actions()) items << a->text();
            QCOMPARE(f.menuBar()->actions().last()->text() + ": " + items.join(", "),
                     QStringLiteral("Help: How to Play, About Quadrivane"));
            f.ShowHelpIfWanted();
            THowToPlayForm* form = f.HowToPlayForm;
            QVERIFY(form && form->isVisible());
            QVERIFY(form->ShowAtStartUp());
            form->close();
            f.HowToPlay1->trigger();
            QCOMPARE(f.HowToPlayForm, form);
            QVERIFY(form->isVisible());
            form->cbShowAtStartUp->click();
            QCOMPARE(QSettings().value("help/showAtStartUp").toBool(), false);
            f.About1->trigger();
            QCOMPARE(p.dialogs.boxes.size(), size_t{1});
            QCOMPARE(p.dialogs.boxes[0].caption, QStringLiteral("About Quadrivane"));
        }
        Program again;
        again.main.ShowHelpIfWanted();
        QVERIFY(!again.main.HowToPlayForm);
        again.main.HowToPlay1->trigger();
        QVERIFY(!again.main.HowToPlayForm->ShowAtStartUp());
    }
    // Each move's row, the one the board stands at marked, the taken-back ones
    // greyed; a click asks for that many moves and leaves the mark to the board.
    void movesList() {
        Game g;
        // Blue completes the square B,7 C,7 C,6 B,6 with its fourth move.
        const Point moves[] = {{2, 2}, {5, 5}, {3, 2}, {6, 6}, {3, 3}, {7, 7}, {2, 3}, {8, 8}};
        for (const Point& m : moves) g.PlaceMove(m.column, m.row);
        g.TakeBackMove();
        g.TakeBackMove();
        g.TakeBackMove();  // the board stands at move 5
        TMovesForm form;
        form.SetGame(g);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QString expected[] = {"1. B,7 Blue 0\u20130", "2. E,4 Red 0\u20130",
                                    "3. C,7 Blue 0\u20130", "4. F,3 Red 0\u20130",
                                    "5. C,6 Blue 0\u20130", "6. G,2 Red 0\u20130",
                                    "7. B,6 Blue 0\u20134", "8. H,1 Red 0\u20134"};
        QListWidget* list = form.MoveList;
        QCOMPARE(list->count(), 8);
        const QColor grey = list->palette().color(QPalette::Disabled, QPalette::Text);
        for (int i = 0; i < 8; ++i) {
            const QListWidgetItem* item = list->item(i);
            QCOMPARE(item->text(), expected[i]);
            QCOMPARE(item->font().bold(), i == 4);
            QCOMPARE(item->isSelected(), i == 4);
            QCOMPARE(item->foreground().color() == grey, i >= 5);
        }

        QSignalSpy chosen(&form, &TMovesForm::moveChosen);
        ClickRow(list, 1);
        ClickRow(list, 6);
        QCOMPARE(chosen.size(), 2);
        QCOMPARE(chosen[0][0].toInt(), 2);
        QCOMPARE(chosen[1][0].toInt(), 7);
        QVERIFY(list->item(4)->isSelected());

        // Everything taken back: every row greyed and none marked; a new game: none.
        while (g.TakeBackMove()) {
        }
        form.SetGame(g);
        QCOMPARE(list->count(), 8);
        QVERIFY(list->selectedItems().isEmpty());
        QCOMPARE(list->item(0)->foreground().color(), grey);
        g.ClearGame();
        form.SetGame(g);
        QCOMPARE(list->count(), 0);
    }

    void newGameChoice_data() {
        QTest::addColumn<QString>("plays");  // the radio button checked, or none
        QTest::addColumn<int>("levelIndex");
        QTest::addColumn<bool>("squares");
        QTest::addColumn<HumanPlays>("human");
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("computerBlue");
        QTest::addColumn<bool>("computerRed");
        QTest::addColumn<bool>("levelEnabled");
        QTest::newRow("as it opens")
            << "" << -1 << true << HumanPlays::Blue << 3 << false << true << true;
        QTest::newRow("Red, level 7, no squares")
            << "red" << 6 << false << HumanPlays::Red << 7 << true << false << true;
        QTest::newRow("two people")
            << "both" << 0 << true << HumanPlays::Both << 1 << false << false << false;
        QTest::newRow("watching, level 10")
            << "watch" << 9 << true << HumanPlays::Neither << 10 << true << true << true;
    }
    void newGameChoice() {
        QFETCH(QString, plays);
        QFETCH(int, levelIndex);
        QFETCH(bool, squares);
        QFETCH(HumanPlays, human);
        QFETCH(int, level);
        QFETCH(bool, computerBlue);
        QFETCH(bool, computerRed);
        QFETCH(bool, levelEnabled);
        FakeDialogs dialogs;
        TNewGameDialog d(LevelNames());
        QCOMPARE(d.cbLevel->currentText(), QStringLiteral("Level 3"));
        QVERIFY(d.cbShowSquares->isChecked());
        if (plays == "red") d.rbPlayRed->setChecked(true);
        if (plays == "both") d.rbPlayBoth->setChecked(true);
        if (plays == "watch") d.rbWatch->setChecked(true);
        if (levelIndex >= 0) d.cbLevel->setCurrentIndex(levelIndex);
        d.cbShowSquares->setChecked(squares);
        QCOMPARE(d.cbLevel->isEnabled(), levelEnabled);

        const NewGameChoice want{human, level, squares};
        QCOMPARE(d.Ask(), std::optional<NewGameChoice>());  // cancelled
        dialogs.answerDialog = [](QDialog&) { return true; };
        const std::optional<NewGameChoice> got = d.Ask();
        QVERIFY(got && *got == want);
        QCOMPARE(dialogs.runDialogTitle, QStringLiteral("New Game"));
        QCOMPARE(got->ComputerPlays(Blue), computerBlue);
        QCOMPARE(got->ComputerPlays(Red), computerRed);
        // Opened again from that choice, the dialog shows it.
        QVERIFY(TNewGameDialog(LevelNames(), *got).Choice() == want);
    }

    // The pictures show the squares the scoring counts as 4 and 16.
    void pictures() {
        THowToPlayForm form;
        const struct {
            TBoardPicture* picture;
            QLabel* caption;
            int32_t colour;
            int32_t score;
        } cases[] = {{form.AxisPicture, form.AxisCaption, Blue, 4},
                     {form.TiltedPicture, form.TiltedCaption, Red, 16}};
        for (const auto& c : cases) {
            const Board& b = c.picture->PictureBoard();
            QCOMPARE(TotalScore(c.colour, b), c.score);
            QCOMPARE(CompletedSquareOutlines(b).size(), size_t{1});
            QVERIFY2(c.caption->text().endsWith(QStringLiteral(": %1 points").arg(c.score)),
                     qPrintable(c.caption->text()));
        }
    }

    void showAtStartUp() {
        THowToPlayForm form;
        QVERIFY(form.ShowAtStartUp());
        QSignalSpy changed(&form, &THowToPlayForm::showAtStartUpChanged);
        form.cbShowAtStartUp->click();
        QVERIFY(!form.ShowAtStartUp());
        form.SetShowAtStartUp(true);
        form.SetShowAtStartUp(true);
        QCOMPARE(changed.size(), 2);
        QCOMPARE(changed[0][0].toBool(), false);
        QCOMPARE(changed[1][0].toBool(), true);
    }

    void aboutAndAccessibility() {
        FakeDialogs dialogs;
        ShowAbout(nullptr);
        QCOMPARE(dialogs.boxes.size(), size_t{1});
        QCOMPARE(dialogs.boxes[0].caption, QStringLiteral("About Quadrivane"));
        QVERIFY(dialogs.boxes[0].text.startsWith(QStringLiteral("Quadrivane " QUADRIVANE_VERSION)));
        QVERIFY(dialogs.boxes[0].text.contains(QStringLiteral("MIT License")));

        THowToPlayForm howTo;
        TMovesForm moves;
        for (QWidget* window : {static_cast<QWidget*>(&howTo), static_cast<QWidget*>(&moves)}) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(window);
            QCOMPARE(a->role(), QAccessible::Window);
            QCOMPARE(a->text(QAccessible::Name), window->windowTitle());
            QVERIFY(!window->testAttribute(Qt::WA_QuitOnClose));
        }
    }
};

QTEST_MAIN(GameWindowsTest)
#include "game_windows_test.moc"
