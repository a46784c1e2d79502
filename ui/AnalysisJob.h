#pragma once

#include <QObject>
#include <cstdint>
#include <vector>

#include "model/board.h"

namespace qv::ui {

class TGameSession;
class TLongWork;
class TPlayerSettings;

// "Analyse Game": every position of the game in the history searched in the
// background, each with its side to move's player by the settings; the
// positions arrive one by one (TLongWork::analysisPosition).
class TAnalysisJob : public QObject {
    Q_OBJECT
  public:
    TAnalysisJob(TLongWork& work, TGameSession& session, const TPlayerSettings& players,
                 QObject* parent = nullptr);

    // Analyses the history's moves 1 to MoveCount.
    void AnalyseGame();
    // Takes the board through the history to the position after this many
    // moves of the analysed game; false when the history no longer holds it.
    bool GoToMove(int32_t moves);

  signals:
    void analysisStarted(int moves);
    void analysisFinished(bool complete, double seconds);

  private:
    TLongWork& work_;
    TGameSession& session_;
    const TPlayerSettings& players_;
    std::vector<Point> analysed_;  // the moves of the game last analysed
};

}  // namespace qv::ui
