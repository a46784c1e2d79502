#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QLocale>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <functional>

#include "engine/suggest.h"
#include "ui/Settings.h"
#include "ui/Stats.h"
#include "ui_test_support.h"

using namespace qv;
using namespace qv::ui;
using namespace qv::ui::testing;

namespace {

const QColor kRedRgb(255, 0, 0), kBlueRgb(0, 0, 255);

// Red holds a 4 x 4 block but for its corner A,8: taking it completes 156 points.
Board RedBlockOpenCorner() {
    Board b;
    for (int c = 1; c <= 4; ++c)
        for (int r = 1; r <= 4; ++r) b(c, r) = Red;
    b(1, 1) = Empty;
    return b;
}

Board FullBoard() {
    Board b;
    for (int i = 0; i < kPoints; ++i) b.cells[i] = i % 2 == 0 ? Blue : Red;
    return b;
}

// Runs `onFirst` at the first root move of the next search, then the window's own handling.
void AtFirstRootMove(TForm1& f, std::function<void()> onFirst) {
    auto original = f.Engine.OnRootMove;
    auto calls = std::make_shared<int>(0);
    f.Engine.OnRootMove = [original, calls, onFirst] {
        if ((*calls)++ == 0) onFirst();
        original();
    };
}

QRegularExpression StatsPattern() {
    const QLocale loc = QLocale::system();
    const QString group = QRegularExpression::escape(loc.groupSeparator());
    const QString dec = QRegularExpression::escape(loc.decimalPoint());
    return QRegularExpression(
        QStringLiteral("^\\d+:\\d+\\.\\d+ \\((\\d+)\\) \\d{1,3}(%1\\d{3})*%2\\d\\d/msec$")
            .arg(group, dec));
}

}  // namespace

class SuggestionTest : public QObject {
    Q_OBJECT
  private slots:
    void outcomes_data() {
        QTest::addColumn<Board>("board");
        QTest::addColumn<int>("colour");
        QTest::addColumn<bool>("fullWidth");
        QTest::addColumn<int>("depth");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("switches");

        QTest::newRow("win, width-limited switches")
            << RedBlockOpenCorner() << int(Red) << false << 3
            << QStringLiteral("Predicted Win in 1 moves") << true;
        QTest::newRow("win, full width stays")
            << RedBlockOpenCorner() << int(Red) << true << 1
            << QStringLiteral("Predicted Win in 1 moves") << false;
        QTest::newRow("loss for the blocked side")
            << RedBlockOpenCorner() << int(Blue) << false << 2
            << QStringLiteral("Predicted Loss in 2 moves") << false;
        QTest::newRow("even value")
            << Board{} << int(Blue) << false << 1 << QStringLiteral("0 in 1 moves") << false;
        QTest::newRow("full board, width-limited")
            << FullBoard() << int(Blue) << false << 3
            << QStringLiteral("No move: the board is full") << false;
        QTest::newRow("full board, full width")
            << FullBoard() << int(Red) << true << 3 << QStringLiteral("No move: the board is full")
            << false;
    }

    void outcomes() {
        QFETCH(Board, board);
        QFETCH(int, colour);
        QFETCH(bool, fullWidth);
        QFETCH(int, depth);
        QFETCH(QString, caption);
        QFETCH(bool, switches);

        Program p;
        TForm1& f = p.main;
        TSettings& s = *p.w.Form2->CurrentSettings;
        s.FullWidthSearch = fullWidth;
        s.SearchDepth = depth;
        s.SearchWidth = 3;
        p.w.Form2->DisplaySettings(s);
        f.Game.board = board;
        (colour == Red ? f.bbRed : f.bbBlue)->click();

        TStatsForm& stats = *p.w.StatsForm;
        QCOMPARE(stats.lblScore->text(), caption);
        QCOMPARE(stats.lblScore->palette().color(QPalette::WindowText),
                 colour == Red ? kRedRgb : kBlueRgb);
        const QRegularExpressionMatch m = StatsPattern().match(stats.lblAIStats->text());
        QVERIFY2(m.hasMatch(), qPrintable(stats.lblAIStats->text()));
        QCOMPARE(m.captured(1).toInt(), f.Engine.PositionsEvaluated);

        QCOMPARE(s.FullWidthSearch, fullWidth || switches);
        QCOMPARE(s.SearchDepth, switches ? 5 : depth);
        QCOMPARE(p.w.Form2->rbFullSearch->isChecked(), fullWidth || switches);
        QCOMPARE(p.w.Form2->tbYourAI->value(), switches ? 5 : depth);
        // The suggestion is only shown.
        QCOMPARE(f.Game.board, board);
        QVERIFY(f.bbRed->isEnabled() && f.bbBlue->isEnabled());
    }

    // Label2 spans part of bbRed; a click anywhere on the button must reach it.
    void wholeRedButtonTakesClicks() {
        Program p;
        TForm1& f = p.main;
        for (int x : {3, 32, 62}) {
            const QPoint at = f.bbRed->mapTo(&f, QPoint(x, 10));
            QCOMPARE(f.childAt(at), static_cast<QWidget*>(f.bbRed));
        }
    }

    void suggestedMoveIsTheWinningCorner() {
        Program p;
        TForm1& f = p.main;
        f.Game.board = RedBlockOpenCorner();
        f.bbRed->click();
        QCOMPARE(f.Engine.Line[1].column, 1);
        QCOMPARE(f.Engine.Line[1].row, 1);
    }

    void lineEndsAtTheCommonDepth() {
        Program p;
        TForm1& f = p.main;
        TSettings& s = *p.w.Form2->CurrentSettings;
        s.SeparateAISettings = true;
        s.RedSearchDepth = 4;
        s.RedSearchWidth = 2;
        s.RedFullWidthSearch = false;
        s.SearchDepth = 2;
        f.bbRed->click();
        QVERIFY(f.Engine.Line[1].column >= 1 && f.Engine.Line[2].column >= 1);
        QCOMPARE(f.Engine.Line[3].column, -1);
        QCOMPARE(p.w.StatsForm->lblScore->text().endsWith(QStringLiteral(" in 4 moves")), true);
    }

    // Cancel pressed at once: the first root move still completes and is reported.
    // Meanwhile only the suggestion buttons are off, board clicks still work,
    // and no engine game or evolution starts.
    void cancelAfterTheFirstRootMove() {
        Program p;
        TForm1& f = p.main;
        QTemporaryDir dir;
        f.TracePath = (dir.path() + QStringLiteral("/TRACE.TXT")).toStdString();
        TSettings& s = *p.w.Form2->CurrentSettings;
        s.FullWidthSearch = true;
        s.SearchDepth = 4;
        bool buttonsOff = false, cancelOn = false, startedOther = true;
        Board afterClick;
        AtFirstRootMove(f, [&] {
            f.sbCancel->click();
            buttonsOff = !f.bbRed->isEnabled() && !f.bbBlue->isEnabled();
            cancelOn = f.sbCancel->isEnabled();
            Click(f, 8, 8);
            afterClick = f.Game.board;
            f.PlayRound1Click();
            f.RunGeneticAlgorithm1Click();
            startedOther = f.Game.board != afterClick || QFile::exists(dir.path() + "/TRACE.TXT");
        });
        f.bbBlue->click();
        QVERIFY(buttonsOff);
        QVERIFY(cancelOn);
        QCOMPARE(afterClick(8, 8), int32_t(Blue));
        QVERIFY(!startedOther);
        QCOMPARE(f.Engine.ProgressCount, 1);
        QVERIFY(f.Engine.Line[1].column >= 1 && f.Engine.Line[1].column <= 8);
        QVERIFY(!p.w.StatsForm->lblScore->text().isEmpty());
        QVERIFY(StatsPattern().match(p.w.StatsForm->lblAIStats->text()).hasMatch());
        QVERIFY(f.bbRed->isEnabled() && f.bbBlue->isEnabled());
        QVERIFY(f.PlayRound1->isEnabled() && f.RunGeneticAlgorithm1->isEnabled());
        // A new suggestion clears the flag again.
        f.bbRed->click();
        QVERIFY(f.Engine.ProgressCount > 1);
    }

    void closingDuringASuggestion() {
        QApplication::setQuitOnLastWindowClosed(false);
        Program p;
        TForm1& f = p.main;
        TSettings& s = *p.w.Form2->CurrentSettings;
        s.FullWidthSearch = true;
        s.SearchDepth = 4;
        bool closedAtOnce = true;
        AtFirstRootMove(f, [&] { closedAtOnce = f.close(); });
        f.bbRed->click();
        QVERIFY(!closedAtOnce);
        QCOMPARE(f.Engine.ProgressCount, 1);
        QTRY_VERIFY(!f.isVisible());
        QApplication::setQuitOnLastWindowClosed(true);
    }

    // A deep full-width search stays inside its first root move for a very long
    // time; the window still answers and closing stops the search at once.
    void closingInsideTheFirstRootMove() {
        QApplication::setQuitOnLastWindowClosed(false);
        Program p;
        TForm1& f = p.main;
        TSettings& s = *p.w.Form2->CurrentSettings;
        s.FullWidthSearch = true;
        s.SearchDepth = 12;
        auto original = f.Engine.OnPoll;
        int polls = 0;
        f.Engine.OnPoll = [&] {
            if (++polls == 2) f.close();
            original();
        };
        QElapsedTimer timer;
        timer.start();
        f.bbBlue->click();
        QVERIFY(timer.elapsed() < 5000);
        QCOMPARE(f.Engine.ProgressCount, 0);
        QTRY_VERIFY(!f.isVisible());
        QApplication::setQuitOnLastWindowClosed(true);
    }
};

QTEST_MAIN(SuggestionTest)
#include "suggestion_test.moc"
