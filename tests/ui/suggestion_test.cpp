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
        f.Controller.Session.Game().board = board;
        (colour == Red ? f.bbRed : f.bbBlue)->click();
        WaitForWork(f);

        TStatsForm& stats = *p.w.StatsForm;
        QCOMPARE(stats.lblScore->text(), caption);
        QCOMPARE(stats.lblScore->palette().color(QPalette::WindowText),
                 colour == Red ? kRedRgb : kBlueRgb);
        const QRegularExpressionMatch m = StatsPattern().match(stats.lblAIStats->text());
        QVERIFY2(m.hasMatch(), qPrintable(stats.lblAIStats->text()));
        QCOMPARE(m.captured(1).toLongLong(), f.Controller.Search.LastSearch().positions);

        QCOMPARE(s.FullWidthSearch, fullWidth || switches);
        QCOMPARE(s.SearchDepth, switches ? 5 : depth);
        QCOMPARE(p.w.Form2->rbFullSearch->isChecked(), fullWidth || switches);
        QCOMPARE(p.w.Form2->tbYourAI->value(), switches ? 5 : depth);
        // The suggestion is only shown.
        QCOMPARE(f.Game.board, board);
        QVERIFY(f.bbRed->isEnabled() && f.bbBlue->isEnabled());
    }

    void strongChoiceFindsTheWinWithoutTheSwitch() {
        Program p;
        TForm1& f = p.main;
        TSettings& s = *p.w.Form2->CurrentSettings;
        s.StrongSearch = true;
        s.StrongThinkingMs = 200;
        f.Controller.Session.Game().board = RedBlockOpenCorner();
        f.bbRed->click();
        WaitForWork(f);

        QCOMPARE(f.Controller.Session.Line()[1].column, 1);
        QCOMPARE(f.Controller.Session.Line()[1].row, 1);
        TStatsForm& stats = *p.w.StatsForm;
        QCOMPARE(stats.lblScore->text(), QStringLiteral("Predicted Win in 1 moves"));
        const QString text = stats.lblAIStats->text();
        const QString lead =
            QStringLiteral("Depth %1, ").arg(f.Controller.Search.LastSearch().depthReached);
        QVERIFY2(text.startsWith(lead), qPrintable(text));
        QVERIFY2(StatsPattern().match(text.mid(lead.size())).hasMatch(), qPrintable(text));
        QVERIFY(stats.lblAIStats->geometry().right() < stats.width());
        QVERIFY(!s.FullWidthSearch);
        QCOMPARE(s.SearchDepth, 11);
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
        f.Controller.Session.Game().board = RedBlockOpenCorner();
        f.bbRed->click();
        WaitForWork(f);
        QCOMPARE(f.Controller.Session.Line()[1].column, 1);
        QCOMPARE(f.Controller.Session.Line()[1].row, 1);
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
        WaitForWork(f);
        QVERIFY(f.Controller.Session.Line()[1].column >= 1 &&
                f.Controller.Session.Line()[2].column >= 1);
        QCOMPARE(f.Controller.Session.Line()[3].column, -1);
        QCOMPARE(p.w.StatsForm->lblScore->text().endsWith(QStringLiteral(" in 4 moves")), true);
    }

    // Cancel pressed during the first root move: that move still completes and
    // is reported. Meanwhile only the suggestion buttons are off, board clicks
    // still work, and no engine game or evolution starts.
    void cancelAfterTheFirstRootMove() {
        Program p;
        TForm1& f = p.main;
        QTemporaryDir dir;
        f.Controller.Tuning.TracePath = (dir.path() + QStringLiteral("/TRACE.TXT")).toStdString();
        TSettings& s = *p.w.Form2->CurrentSettings;
        s.FullWidthSearch = true;
        s.SearchDepth = 4;
        FirstRootMoveGate gate(f);
        f.bbBlue->click();
        QVERIFY(gate.Wait());
        f.sbCancel->click();
        QVERIFY(!f.bbRed->isEnabled() && !f.bbBlue->isEnabled());
        QVERIFY(f.sbCancel->isEnabled());
        Click(f, 8, 8);
        const Board afterClick = f.Game.board;
        QCOMPARE(afterClick(8, 8), int32_t(Blue));
        f.PlayRound1Click();
        f.RunGeneticAlgorithm1Click();
        QVERIFY(f.Game.board == afterClick && !QFile::exists(dir.path() + "/TRACE.TXT"));
        QCOMPARE(f.Controller.Jobs.Work(), LongWork::Suggestion);
        gate.Release();
        WaitForWork(f);
        QCOMPARE(f.Controller.Search.LastSearch().rootMoves, 1);
        QVERIFY(f.Controller.Session.Line()[1].column >= 1 &&
                f.Controller.Session.Line()[1].column <= 8);
        QVERIFY(!p.w.StatsForm->lblScore->text().isEmpty());
        QVERIFY(StatsPattern().match(p.w.StatsForm->lblAIStats->text()).hasMatch());
        QVERIFY(f.bbRed->isEnabled() && f.bbBlue->isEnabled());
        QVERIFY(f.PlayRound1->isEnabled() && f.RunGeneticAlgorithm1->isEnabled());
        // A new suggestion clears the flag again.
        f.bbRed->click();
        WaitForWork(f);
        QVERIFY(f.Controller.Search.LastSearch().rootMoves > 1);
    }

    // The window never waits for the engine: it answers while a search runs
    // and the search can never hold up closing.
    void closingDuringASearch_data() {
        QTest::addColumn<int>("depth");
        QTest::newRow("after the first root move") << 4;
        QTest::newRow("inside the first root move") << 12;
    }

    void closingDuringASearch() {
        QFETCH(int, depth);
        QApplication::setQuitOnLastWindowClosed(false);
        Program p;
        TForm1& f = p.main;
        TSettings& s = *p.w.Form2->CurrentSettings;
        s.FullWidthSearch = true;
        s.SearchDepth = depth;
        FirstRootMoveGate gate(f);
        f.bbRed->click();
        if (depth < 12) {
            QVERIFY(gate.Wait());
            gate.Release();
        } else {
            QTest::qWait(100);
            // Still searching, and the window answers.
            QCOMPARE(f.Controller.Jobs.Work(), LongWork::Suggestion);
            Click(f, 8, 8);
            QCOMPARE(f.Game.board(8, 8), int32_t(Blue));
        }
        QElapsedTimer timer;
        timer.start();
        QVERIFY(f.close());
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(!f.isVisible());
        QVERIFY(p.dialogs.boxes.empty());
        QApplication::setQuitOnLastWindowClosed(true);
    }
};

QTEST_MAIN(SuggestionTest)
#include "suggestion_test.moc"
