#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QtCharts/QLineSeries>

#include "ui_test_support.h"

using namespace qv;
using namespace qv::ui;
using namespace qv::ui::testing;

namespace {

// A picture window leaves the main window's menu bar and Cancel in sight.
bool KeepsClear(TForm1& f, const QWidget& window) {
    const auto global = [](const QWidget* w) {
        return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
    };
    const QRect frame = window.frameGeometry();
    return !frame.intersects(global(f.menuBar())) && !frame.intersects(global(f.sbCancel));
}

}  // namespace

class PicturesTest : public QObject {
    Q_OBJECT
  private slots:
    // The analysis window draws what the analysis found and takes the board
    // to a chosen move through the history.
    void analysisWindow() {
        Program p;
        TForm1& f = p.main;
        p.w.Form2->CurrentSettings->SearchDepth = 4;
        const Point moves[] = {{4, 4}, {5, 5}, {1, 1}, {8, 8}, {4, 5}, {2, 7}};
        for (const Point& m : moves) Click(f, m.column, m.row);
        f.AnalyseGame1->trigger();
        TAnalysisForm& a = *p.w.AnalysisForm;
        QVERIFY(a.isVisible());
        QVERIFY(KeepsClear(f, a));
        WaitForWork(f);
        QCOMPARE(a.Positions().size(), size_t{7});
        QCOMPARE(a.ValueSeries->count(), 7);
        const AnalysisChart chart = ChartOf(a.Positions());
        for (int k = 0; k < 7; ++k) {
            QCOMPARE(a.ValueSeries->at(k).y(), chart.value[k].y);
            QCOMPARE(a.RedSeries->at(k).y(), double(a.Positions()[k].red));
        }
        QCOMPARE(a.MistakeList->count(), static_cast<int>(Mistakes(a.Positions()).size()));
        QVERIFY(!a.CancelButton->isEnabled());

        emit a.ValueSeries->clicked(QPointF(2, 0));
        QCOMPARE(f.Game.MoveCount, 2);
        QCOMPARE(f.Game.board(1, 1), Empty);
        emit a.ValueSeries->clicked(QPointF(5.8, 0));
        QCOMPARE(f.Game.MoveCount, 6);
        QCOMPARE(f.Game.board(2, 7), int32_t(Red));

        // Closed and shown again from the menu, with the same picture.
        a.close();
        f.ShowAnalysis1->trigger();
        QVERIFY(a.isVisible());
        QCOMPARE(a.ValueSeries->count(), 7);
    }

    void evolutionWindow() {
        Program p;
        TForm1& f = p.main;
        QTemporaryDir dir;
        GameController& c = f.Controller;
        c.Tuning.EvolutionRounds = 2;
        c.Tuning.EvolutionSeed = 7;
        c.Tuning.TracePath = (dir.path() + QStringLiteral("/TRACE.TXT")).toStdString();
        f.RunGeneticAlgorithm1->trigger();
        TEvolutionForm& e = *p.w.EvolutionForm;
        QVERIFY(e.isVisible());
        QVERIFY(KeepsClear(f, e));
        WaitForWork(f);
        for (QLineSeries* s : e.Means) QCOMPARE(s->count(), 2);
        QCOMPARE(e.ProgressLabel->text(), QStringLiteral("Evolution finished: 2 rounds"));
        QVERIFY(
            e.TopLabel->text().startsWith(QStringLiteral("Top of the ladder after round 2: #")));
    }
};

QTEST_MAIN(PicturesTest)
#include "pictures_test.moc"
