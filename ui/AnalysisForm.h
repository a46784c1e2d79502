#pragma once

#include <QWidget>
#include <vector>

#include "tuning/analysis.h"

class QChart;
class QChartView;
class QLabel;
class QLineSeries;
class QListWidget;
class QProgressBar;
class QPushButton;
class QScatterSeries;
class QValueAxis;

namespace qv::ui {

// "Quadrivane Analysis": the value of each position of the analysed game from
// Blue's side and both scores, filled in as the positions are done, and the
// moves that gave away 10 or more. Clicking a point or a row asks for that
// move on the board.
class TAnalysisForm : public QWidget {
    Q_OBJECT
  public:
    explicit TAnalysisForm(QWidget* parent = nullptr);

    // A new analysis of a game with this many moves.
    void Begin(int moves);
    void AddPosition(const PositionAnalysis& position);
    void Finish(bool complete, double seconds);

    const std::vector<PositionAnalysis>& Positions() const { return positions_; }

    QChartView* ChartView;
    QLineSeries* ValueSeries;
    QLineSeries* RedSeries;
    QLineSeries* BlueSeries;
    QScatterSeries* DecidedSeries;
    QValueAxis* MovesAxis;
    QValueAxis* PointsAxis;
    QListWidget* MistakeList;
    QProgressBar* Progress;
    QPushButton* CancelButton;
    QLabel* StatusLabel;

  signals:
    // The board is to show the position after this many moves.
    void moveChosen(int moves);
    void cancelClicked();

  private:
    void Redraw();

    std::vector<PositionAnalysis> positions_;
    int total_ = 0;
};

}  // namespace qv::ui
