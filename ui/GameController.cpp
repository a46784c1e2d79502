#include "ui/GameController.h"

namespace qv::ui {

GameController::GameController() = default;

GameController::~GameController() {
    // The jobs reach the parts; none may run once they go.
    Jobs.Shutdown(-1);
}

void GameController::Cancel() {
    Jobs.Cancel();
    Opponents.Cancel();
    Tuning.Cancel();
}

void GameController::Shutdown() {
    Opponents.Shutdown();
    Tuning.Shutdown();
    Jobs.Shutdown(500);
}

}  // namespace qv::ui
