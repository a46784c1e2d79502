#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/engine.h"

namespace qv::ui {

class TGameSession;
class TLongWork;
class TPlayerSettings;

// The "Temp" menu: "Play Round" (one engine game on the board, its moves
// shown one by one at a pace), "Run Genetic Algorithm" (the evolution, its
// trace written as it runs) and the potential listings. The weights of the
// last player to move stay in the live weights.
class TTuningJobs : public QObject {
    Q_OBJECT
  public:
    TTuningJobs(TLongWork& work, TGameSession& session, TPlayerSettings& players,
                QObject* parent = nullptr);

    // What "Play Round" and "Run Genetic Algorithm" run; tests shorten them.
    int32_t PlayRoundDepth = 9;
    int32_t PlayRoundWidth = 3;
    int EvolutionRounds = 100;
    std::optional<uint32_t> EvolutionSeed;  // the UTC time of day when empty
    std::string TracePath;                  // DefaultTracePath() when empty
    // How long each move of "Play Round" stays on the board before the next.
    int MovePaceMs = 150;

    void PlayRound();
    void RunEvolution();
    // An engine game plays its remaining moves fast and shows them at once;
    // the evolution halts after the game in progress.
    void Cancel();
    // The window is closing: nothing more is shown.
    void Shutdown() { paceTimer_.stop(); }

    // The diagnostics listings; quick, so they run here.
    std::vector<std::string> RankedListing(std::string_view decimalSeparator);
    std::vector<std::string> ColourListing(int32_t colour, std::string_view decimalSeparator);

  signals:
    void evolutionStarted(int rounds);
    void evolutionHalted();
    // Every round was played and traced.
    void evolutionFinished();
    // The trace could not be created: nothing ran. Or a failure ended the run.
    void evolutionNotStarted(const QString& reason);
    void evolutionFailed(const QString& reason);

  private:
    // Engine-game moves, shown one by one at the pace.
    void QueueEngineMove(int32_t column, int32_t row, int32_t colour);
    void ShowQueuedMove();
    void EndEngineGameWhenShown();

    TLongWork& work_;
    TGameSession& session_;
    TPlayerSettings& players_;
    std::deque<std::array<int32_t, 3>> queuedMoves_;
    QTimer paceTimer_;
    bool paced_ = true;
    bool gamePlayed_ = false;
    qv::Engine listingEngine_;
};

}  // namespace qv::ui
