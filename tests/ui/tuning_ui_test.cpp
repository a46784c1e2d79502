#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <atomic>
#include <memory>

#include "engine/evaluate.h"
#include "model/scoring.h"
#include "tuning/engine_game.h"
#include "tuning/evolution.h"
#include "tuning/trace.h"
#include "ui/TestInfo.h"
#include "ui_test_support.h"

using namespace qv;
using namespace qv::ui;
using namespace qv::ui::testing;

namespace {

// Short games shown without a pause, so the suite stays quick.
void Shorten(TForm1& f, const QTemporaryDir& dir) {
    GameController& c = f.Controller;
    c.Tuning.PlayRoundDepth = 2;
    c.Tuning.PlayRoundWidth = 2;
    c.Tuning.EvolutionRounds = 1;
    c.Tuning.EvolutionSeed = 7;
    c.Tuning.TracePath = (dir.path() + QStringLiteral("/TRACE.TXT")).toStdString();
    c.Tuning.MovePaceMs = 0;
}

QByteArray ReadAll(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

bool EvaluationDecided(const Board& b) {
    return std::abs(EvaluatePosition(1, static_cast<float>(TotalScore(Red, b)),
                                     static_cast<float>(TotalScore(Blue, b)))) > 1000;
}

bool CommandsEnabled(TForm1& f) {
    return f.bbRed->isEnabled() && f.bbBlue->isEnabled() && f.sbBack->isEnabled() &&
           f.sbForward->isEnabled() && f.ClearBoard1->isEnabled() && f.LoadGame1->isEnabled() &&
           f.SetupMode1->isEnabled() && f.GetPotentials1->isEnabled() &&
           f.GetRedPotentials1->isEnabled() && f.GetBluePotentials1->isEnabled() &&
           f.PlayRound1->isEnabled() && f.RunGeneticAlgorithm1->isEnabled();
}

// Milliseconds until a call queued on the window's thread runs, as a click or
// a menu's opening would wait; -1 if it has not run within a minute.
qint64 QueuedCallDelay() {
    QElapsedTimer timer;
    timer.start();
    auto ran = std::make_shared<qint64>(-1);
    QMetaObject::invokeMethod(
        qApp, [ran, timer] { *ran = timer.elapsed(); }, Qt::QueuedConnection);
    while (*ran < 0 && timer.elapsed() < 60000) QTest::qWait(2);
    return *ran;
}

bool CommandsDisabled(TForm1& f) {
    return !f.bbRed->isEnabled() && !f.bbBlue->isEnabled() && !f.sbBack->isEnabled() &&
           !f.sbForward->isEnabled() && !f.ClearBoard1->isEnabled() && !f.LoadGame1->isEnabled() &&
           !f.SetupMode1->isEnabled() && !f.GetPotentials1->isEnabled() &&
           !f.GetRedPotentials1->isEnabled() && !f.GetBluePotentials1->isEnabled() &&
           !f.PlayRound1->isEnabled() && !f.RunGeneticAlgorithm1->isEnabled();
}

}  // namespace

class TuningUiTest : public QObject {
    Q_OBJECT
  private slots:
    void playRoundLeavesAFinishedGame() {
        Program p;
        TForm1& f = p.main;
        QTemporaryDir dir;
        Shorten(f, dir);
        Click(f, 3, 3);
        Click(f, 4, 4);
        const auto history = f.Game.MoveHistory;
        f.sbCancel->click();  // cleared by the command
        std::atomic<int> rootMoves = 0;
        f.Controller.Jobs.WorkerRootMoveHook = [&](const SearchProgress&) { ++rootMoves; };
        f.PlayRound1->trigger();
        WaitForWork(f);

        const Board& b = f.Game.board;
        QVERIFY(EvaluationDecided(b) || b.Pieces() == 64);
        QVERIFY(rootMoves > b.Pieces());  // searches were not cut short
        QCOMPARE(f.Game.MoveHistory, history);
        QCOMPARE(f.Game.MoveCount, b.Pieces());
        QCOMPARE(f.StatusText(1), QString::number(b.Pieces()));

        // The last profile installed stays in the live weights: the last mover's
        // after a decided game (Blue made the odd moves), Blue's after a full board.
        const auto [red, blue] = PlayRoundProfiles(DefaultWeights());
        const bool blueLast = !EvaluationDecided(b) || b.Pieces() % 2 == 1;
        const EngineProfile& last = blueLast ? blue : red;
        for (int i : {3, 4, 5, 6, 7, 8, 13, 14, 15})
            QCOMPARE(f.Controller.Players.Weights()[i], last[i]);
        for (int i : {0, 1, 2, 9, 10, 11, 12})
            QCOMPARE(f.Controller.Players.Weights()[i], DefaultWeights()[i]);
        QVERIFY(CommandsEnabled(f));
        QVERIFY(!f.Controller.Jobs.Tuning());
    }

    // While a game plays, nothing else may change the board or start long work.
    void noReentryDuringAnEngineGame() {
        Program p;
        TForm1& f = p.main;
        QTemporaryDir dir;
        Shorten(f, dir);
        FirstRootMoveGate gate(f);
        f.PlayRound1->trigger();
        QVERIFY(gate.Wait());
        QVERIFY(CommandsDisabled(f));
        QVERIFY(f.sbCancel->isEnabled());
        const Board before = f.Game.board;
        Click(f, 8, 8);
        f.sbBackClick();
        f.sbForwardClick();
        f.ClearBoard1Click();
        f.LoadGame1Click();
        f.Red1Click();
        f.Blue1Click();
        f.GetRedPotentials1Click();
        f.PlayRound1Click();
        f.RunGeneticAlgorithm1Click();
        QVERIFY(f.Game.board == before && p.dialogs.confirms == 0 && !p.w.TestForm->isVisible() &&
                !QFile::exists(dir.path() + "/TRACE.TXT"));
        QCOMPARE(f.Controller.Jobs.Work(), LongWork::EngineGame);
        gate.Release();
        WaitForWork(f);
        QVERIFY(CommandsEnabled(f));
    }

    void evolutionWritesItsTrace() {
        Program p;
        TForm1& f = p.main;
        QTemporaryDir dir;
        Shorten(f, dir);
        FirstRootMoveGate gate(f);
        f.RunGeneticAlgorithm1->trigger();
        QVERIFY(gate.Wait());
        QTRY_COMPARE(f.Label2->text(), QStringLiteral("1: 1 vs. 2"));
        gate.Release();
        WaitForWork(f);
        QCOMPARE(f.Label2->text(), QStringLiteral("1: 19 vs. 20"));
        QVERIFY(p.dialogs.boxes.empty());
        QVERIFY(CommandsEnabled(f));

        // The same run without a window writes the same bytes.
        const std::string headlessPath =
            (dir.path() + QStringLiteral("/headless.txt")).toStdString();
        {
            Engine engine;
            PotentialWeights weights = DefaultWeights();
            Board board;
            TraceFile trace(headlessPath);
            EvolutionHooks hooks;
            hooks.playGame = [&](const EngineProfile& red, const EngineProfile& blue) {
                float rs = 0, bs = 0;
                return PlayEngineGame(engine, weights, board, red, blue, rs, bs, 3);
            };
            QVERIFY(RunEvolution(7, 1, trace, hooks));
        }
        const QByteArray trace = ReadAll(f.Controller.Tuning.TracePath);
        QVERIFY(trace.startsWith("Begin\r\n\r\nRound: 1\r\n"));
        QVERIFY(trace.endsWith("(0-1)\r\nEnd\r\n"));
        QCOMPARE(trace, ReadAll(headlessPath));
    }

    void evolutionHaltedByCancel() {
        Program p;
        TForm1& f = p.main;
        QTemporaryDir dir;
        Shorten(f, dir);
        f.Controller.Tuning.EvolutionRounds = 100;
        FirstRootMoveGate gate(f);
        f.RunGeneticAlgorithm1->trigger();
        QVERIFY(gate.Wait());
        f.sbCancel->click();
        gate.Release();
        WaitForWork(f);
        QCOMPARE(ReadAll(f.Controller.Tuning.TracePath),
                 QByteArray("Begin\r\n\r\nRound: 1\r\nEnd\r\n"));
        QCOMPARE(p.dialogs.boxes.size(), size_t{1});
        QCOMPARE(p.dialogs.boxes[0].icon, QMessageBox::NoIcon);
        QCOMPARE(p.dialogs.boxes[0].text, QStringLiteral("Evolution halted"));
        QCOMPARE(f.Label2->text(), QStringLiteral("1: 1 vs. 2"));
        QVERIFY(CommandsEnabled(f));
    }

    void traceThatCannotBeCreated() {
        Program p;
        TForm1& f = p.main;
        QTemporaryDir dir;
        Shorten(f, dir);
        f.Controller.Tuning.TracePath =
            (dir.path() + QStringLiteral("/missing/TRACE.TXT")).toStdString();
        f.RunGeneticAlgorithm1->trigger();
        WaitForWork(f);
        QCOMPARE(p.dialogs.boxes.size(), size_t{1});
        QCOMPARE(p.dialogs.boxes[0].icon, QMessageBox::Critical);
        QString reason = p.dialogs.boxes[0].text;
        QVERIFY(reason.endsWith(QLatin1Char('.')));
        reason.chop(1);
        // The evolution window says the run never began.
        QCOMPARE(p.w.EvolutionForm->ProgressLabel->text(),
                 QStringLiteral("Evolution not started: ") + reason);
        QVERIFY(CommandsEnabled(f));
        QVERIFY(!f.Controller.Jobs.Tuning());
    }

    void closingDuringLongWork_data() {
        QTest::addColumn<int>("command");
        QTest::newRow("Play Round") << 0;
        QTest::newRow("Run Genetic Algorithm") << 1;
    }

    void closingDuringLongWork() {
        QFETCH(int, command);
        QApplication::setQuitOnLastWindowClosed(false);
        Program p;
        TForm1& f = p.main;
        QTemporaryDir dir;
        Shorten(f, dir);
        FirstRootMoveGate gate(f);
        (command == 0 ? f.PlayRound1 : f.RunGeneticAlgorithm1)->trigger();
        QVERIFY(gate.Wait());
        gate.Release();
        QElapsedTimer timer;
        timer.start();
        QVERIFY(f.close());
        QVERIFY(timer.elapsed() < 1000);
        QVERIFY(!f.isVisible());
        QTest::qWait(20);
        QVERIFY(p.dialogs.boxes.empty());
        if (command == 1)
            QCOMPARE(ReadAll(f.Controller.Tuning.TracePath),
                     QByteArray("Begin\r\n\r\nRound: 1\r\nEnd\r\n"));
        QApplication::setQuitOnLastWindowClosed(true);
    }

    // However fast the worker reports, the window keeps answering: a queued
    // call runs within 0.2 s, Cancel arriving as an event ends the work within
    // 0.5 s, and so does a close.
    void windowAnswersDuringLongWork_data() {
        QTest::addColumn<int>("command");
        QTest::newRow("Run Genetic Algorithm, 100 rounds") << 0;
        QTest::newRow("Play Round") << 1;
        QTest::newRow("Analyse Game, 64 moves") << 2;
    }

    void windowAnswersDuringLongWork() {
        QFETCH(int, command);
        QApplication::setQuitOnLastWindowClosed(false);
        Program p;
        TForm1& f = p.main;
        QTemporaryDir dir;
        GameController& c = f.Controller;
        c.Tuning.EvolutionSeed = 7;
        c.Tuning.TracePath = (dir.path() + QStringLiteral("/TRACE.TXT")).toStdString();
        std::vector<Point> moves;
        for (int column = 1; column <= 8; ++column)
            for (int row = 1; row <= 8; ++row) moves.push_back({column, row});
        c.Session.LoadMoves(moves);
        // An analysis of many short root moves: Cancel waits for one at most.
        p.w.Form2->CurrentSettings->FullWidthSearch = true;
        p.w.Form2->CurrentSettings->SearchDepth = 8;
        QAction* action = command == 0   ? f.RunGeneticAlgorithm1
                          : command == 1 ? f.PlayRound1
                                         : f.AnalyseGame1;
        const auto started = [&] {
            action->trigger();
            QTest::qWait(1000);  // well under way
            return c.Jobs.Work() != LongWork::None;
        };
        QVERIFY(started());
        for (int i = 0; i < 3; ++i) {
            const qint64 delay = QueuedCallDelay();
            QVERIFY2(delay >= 0 && delay < 200, qPrintable(QString::number(delay)));
        }
        QElapsedTimer timer;
        timer.start();
        QMetaObject::invokeMethod(f.sbCancel, &QToolButton::click, Qt::QueuedConnection);
        QTRY_VERIFY_WITH_TIMEOUT(c.Jobs.Work() == LongWork::None, 60000);
        QVERIFY2(timer.elapsed() < 500, qPrintable(QString::number(timer.elapsed())));
        if (command == 0) {
            QCOMPARE(p.dialogs.boxes.size(), size_t{1});
            QCOMPARE(p.dialogs.boxes[0].text, QStringLiteral("Evolution halted"));
        }

        QVERIFY(started());
        timer.restart();
        QMetaObject::invokeMethod(&f, &QWidget::close, Qt::QueuedConnection);
        QTRY_VERIFY_WITH_TIMEOUT(!f.isVisible(), 60000);
        QVERIFY2(timer.elapsed() < 500, qPrintable(QString::number(timer.elapsed())));
        QApplication::setQuitOnLastWindowClosed(true);
    }

    void diagnosticsOnTheEmptyBoard_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("first");
        QTest::addColumn<int>("tiedAt");
        QTest::addColumn<QString>("tied");
        QTest::addColumn<QString>("last");
        QTest::newRow("Get Potentials")
            << 0 << 64 << QStringLiteral("1) A,5: 71958528") << 8
            << QStringLiteral("8) A,4: 71958528") << QStringLiteral("64) A,8: 33030144");
        QTest::newRow("Get Red Potentials")
            << 1 << 65 << QStringLiteral("A,8 R: 501645312") << 4
            << QStringLiteral("A,5 R: 1092870144") << QStringLiteral("Best: (A,5): 1092870144");
        QTest::newRow("Get Blue Potentials")
            << 2 << 65 << QStringLiteral("A,8 R: 501645312") << 60
            << QStringLiteral("H,5 R: 1092870144") << QStringLiteral("Best: (A,5): 1092870144");
    }

    void diagnosticsOnTheEmptyBoard() {
        QFETCH(int, command);
        QFETCH(int, lines);
        QFETCH(QString, first);
        QFETCH(int, tiedAt);
        QFETCH(QString, tied);
        QFETCH(QString, last);
        Program p;
        TForm1& f = p.main;
        QPlainTextEdit* memo = p.w.TestForm->TestMemo;
        memo->setPlainText(QStringLiteral("left from before"));
        QAction* actions[] = {f.GetPotentials1, f.GetRedPotentials1, f.GetBluePotentials1};
        actions[command]->trigger();
        QVERIFY(p.w.TestForm->isVisible());
        const QStringList got = memo->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(got.size(), lines);
        QCOMPARE(got.front(), first);
        QCOMPARE(got[tiedAt - 1], tied);
        QCOMPARE(got.back(), last);
        QCOMPARE(f.Game.board, Board{});
    }
};

QTEST_MAIN(TuningUiTest)
#include "tuning_ui_test.moc"
