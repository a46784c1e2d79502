#pragma once

#include <QWidget>

class QLabel;

namespace qv::ui {

// The outcome predicted by the last suggestion and the figures of its search.
class TStatsForm : public QWidget {
    Q_OBJECT
  public:
    explicit TStatsForm(QWidget* parent = nullptr);

    // Each label widens to its text.
    void SetScore(const QString& text);
    void SetScoreColour(const QColor& colour);
    void SetAIStats(const QString& text);

    QLabel* lblScore;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* lblAIStats;
};

}  // namespace qv::ui
