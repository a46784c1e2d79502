#pragma once

#include "model/settings.h"
#include "ui/AnalysisJob.h"
#include "ui/GameSession.h"
#include "ui/LongWork.h"
#include "ui/MoveSearch.h"
#include "ui/Opponents.h"
#include "ui/PlayerSettings.h"
#include "ui/TuningJobs.h"

namespace qv::ui {

// The live game and the work done on it, in parts with one concern each,
// built in this order (each knows only those before it). Long work runs on
// the engine runner's thread; what it finds comes back on the window's
// thread and is announced by the parts' signals. The windows only forward
// commands to the parts and draw what they hold.
class GameController {
  public:
    GameController();
    ~GameController();
    GameController(const GameController&) = delete;
    GameController& operator=(const GameController&) = delete;

    // The settings dialog's record and the live weights.
    TPlayerSettings Players;
    // The one long work at a time and its engine.
    TLongWork Jobs;
    // The board, the history and the person's edits.
    TGameSession Session{Jobs};
    // Suggestions, and the searches of the computer's moves.
    TMoveSearch Search{Jobs, Session, Players};
    // The computer's colours and their players.
    TOpponents Opponents{Jobs, Session, Players, Search};
    TAnalysisJob Analysis{Jobs, Session, Players};
    TTuningJobs Tuning{Jobs, Session, Players};

    // A search ends after the root move in progress, and so does whatever
    // runs: the computer's move is not played, an engine game plays its
    // remaining moves fast, the evolution halts after the game in progress.
    void Cancel();
    // Stops everything at once and waits (briefly) for the worker: the
    // window is closing.
    void Shutdown();
};

}  // namespace qv::ui
