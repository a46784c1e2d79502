#pragma once

#include <QWidget>

#include "engine/engine.h"

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
    // The outcome and the figures of a finished search, in the system's
    // number format.
    void ShowSearch(const SearchResult& result);

    QLabel* lblScore;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* lblAIStats;
};

}  // namespace qv::ui
