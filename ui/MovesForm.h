#pragma once

#include <QWidget>

#include "model/game.h"

class QLabel;
class QListWidget;

namespace qv::ui {

// "Quadrivane Moves": the game's moves, one row each, "12. B,4 Red 30–42"
// (move number, point, colour, then Red's score and Blue's after the move).
// The move the board stands at is marked; moves taken back and not yet
// redone are greyed. Clicking a row asks for the board after that move.
class TMovesForm : public QWidget {
    Q_OBJECT
  public:
    explicit TMovesForm(QWidget* parent = nullptr);

    // Shows the game's history up to its redo tail, marking MoveCount.
    void SetGame(const qv::Game& game);

    QLabel* HintLabel;
    QListWidget* MoveList;

  signals:
    // The board is to show the position after this many moves.
    void moveChosen(int moves);

  private:
    // Selects and scrolls to the marked row, or selects none.
    void MarkCurrent();

    int current_ = 0;
};

}  // namespace qv::ui
