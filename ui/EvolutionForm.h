#pragma once

#include <QWidget>
#include <array>

#include "tuning/evolution.h"

class QAreaSeries;
class QChartView;
class QLabel;
class QLineSeries;
class QValueAxis;

namespace qv::ui {

// "Quadrivane Evolution": the round and game in progress, and after each
// round the population's mean of each playing gene with its range, and the
// individual at the top of the ladder. It keeps the last run until the next.
class TEvolutionForm : public QWidget {
    Q_OBJECT
  public:
    explicit TEvolutionForm(QWidget* parent = nullptr);

    void Begin(int rounds);
    void GameStarting(int round, int game);
    void RoundFinished(const RoundSummary& summary);
    void Halted();
    void Finished();
    // The run was refused before its first round, or a failure ended it.
    void NotStarted(const QString& reason);
    void Failed(const QString& reason);

    QLabel* ProgressLabel;
    QLabel* TopLabel;
    QChartView* ChartView;
    QValueAxis* RoundAxis;
    QValueAxis* GeneAxis;
    // By gene, in the order of kPlayingWeights.
    std::array<QLineSeries*, 9> Means{};
    std::array<QAreaSeries*, 9> Ranges{};

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    // The legend and the round labels as the window's width allows.
    void FitToWidth();

    int rounds_ = 0;
    int lastRound_ = 0;
};

}  // namespace qv::ui
