#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "model/scoring.h"
#include "ui/About.h"
#include "ui/HowToPlay.h"
#include "ui/MovesForm.h"
#include "ui/NewGameDialog.h"
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

}  // namespace

class GameWindowsTest : public QObject {
    Q_OBJECT
  private slots:
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
