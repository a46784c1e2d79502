#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <cstdint>
#include <vector>

#include "engine/engine.h"
#include "model/game.h"

namespace qv::ui {

class TLongWork;

// The live game and what the person does to it: moves and take-backs, setup
// edits and the Shift preview. While the computer thinks or an engine game
// runs, the board is theirs and the person's edits are ignored.
class TGameSession : public QObject {
    Q_OBJECT
  public:
    explicit TGameSession(const TLongWork& work, QObject* parent = nullptr);

    // Mutable for the tests that set up positions; the windows only read it.
    qv::Game& Game() { return game_; }
    const qv::Game& Game() const { return game_; }
    // The predicted line the board shows; a finished search sets it.
    const PredictedLine& Line() const { return line_; }
    void SetLine(const PredictedLine& line) { line_ = line; }

    void SetSetupMode(bool on);
    bool SetupMode() const { return setupMode_; }
    // A left click on the point: in setup mode its content cycles, otherwise
    // a move on an empty point or a take-back of the last move.
    void BoardClick(int32_t column, int32_t row);
    // The Shift preview piece: shown, dragged and taken off again. It is on
    // the board but is not a move.
    void StartPreview(int32_t column, int32_t row, int32_t colour);
    void MovePreview(int32_t column, int32_t row, int32_t colour);
    void EndPreview();
    Point PreviewPoint() const { return dragPoint_; }
    bool PreviewShown() const { return !(dragPoint_ == Point{0, 0}); }
    // What a Shift-click on the point starts: a preview, or (when false) a plain click.
    bool CanStartPreviewAt(int32_t column, int32_t row) const;
    // An engine game clears the board: the preview piece is forgotten, not taken off.
    void ForgetPreview() { dragPoint_ = {0, 0}; }
    // The side to move of the real position, a preview piece not counted.
    int32_t RealSideToMove() const;

    // With one colour played by the computer (SetPairedColour), take-backs
    // and redos go on until the person is to move: normally the computer's
    // reply and the person's move.
    bool TakeBack();
    bool Redo();
    void NewGame();
    void LoadMoves(const std::vector<Point>& moves);
    // Takes the board through the history, one move at a time, to the
    // position after this many moves.
    bool GoToMove(int32_t moves);
    // The colour the computer alone plays, or Empty.
    void SetPairedColour(int32_t colour) { pairedColour_ = colour; }

    // A move enters the history: the computer's, or a suggestion played.
    void PlayMove(int32_t column, int32_t row);
    // The same, by the person: the computer may answer.
    void PersonMove(int32_t column, int32_t row);
    // An engine game's pieces, shown as it plays.
    void SetBoard(const Board& board);
    void SetPoint(int32_t column, int32_t row, int32_t colour);
    // The board's view shows what changed besides the pieces (the line).
    void Refresh() { emit boardChanged(); }
    // Since the last move entered the history.
    qint64 MsSinceLastMove() const { return sinceMove_.elapsed(); }

  signals:
    // The pieces (and so the captions and the move count) changed.
    void boardChanged();
    // The side to move may have changed.
    void turnChanged();
    // A move reached a decided position or filled the board: who won, and by
    // what scores ("Blue wins 163 to 140.").
    void gameEnded(const QString& text);
    // The person changed the game or the mode: the computer may be to move.
    void personActed();

  private:
    void Changed(bool turn);
    // A move entered the history: announces the end of the game, if it came.
    void Moved(bool endedBefore);
    // A take-back or a redo, and the paired colour's moves along with it.
    bool Step(bool (qv::Game::*step)());
    void WalkPairs(bool (qv::Game::*step)());

    const TLongWork& work_;
    qv::Game game_;
    PredictedLine line_{};
    bool setupMode_ = false;
    Point dragPoint_;
    int32_t pairedColour_ = Empty;
    QElapsedTimer sinceMove_;
};

}  // namespace qv::ui
