#include "ui/GameSession.h"

#include "model/rules.h"
#include "model/savedgame.h"
#include "model/scoring.h"
#include "ui/LongWork.h"

namespace qv::ui {

TGameSession::TGameSession(const TLongWork& work, QObject* parent) : QObject(parent), work_(work) {
    line_[1].column = -1;
    sinceMove_.start();
}

void TGameSession::Changed(bool turn) {
    // The move count follows the pieces on the board, setup pieces and the
    // preview piece included.
    game_.RecountMoves();
    emit boardChanged();
    if (turn) emit turnChanged();
}

void TGameSession::Moved(bool endedBefore) {
    sinceMove_.restart();
    if (endedBefore || !GameOver(game_.board)) return;
    const int32_t red = TotalScore(Red, game_.board), blue = TotalScore(Blue, game_.board);
    QString text;
    if (red == blue)
        text = QStringLiteral("Draw %1 to %2.").arg(red).arg(blue);
    else if (red > blue)
        text = QStringLiteral("Red wins %1 to %2.").arg(red).arg(blue);
    else
        text = QStringLiteral("Blue wins %1 to %2.").arg(blue).arg(red);
    emit gameEnded(text);
}

void TGameSession::WalkPairs(bool (qv::Game::*step)()) {
    if (pairedColour_ == Empty) return;
    while (SideToMove(game_.board) == pairedColour_ && (game_.*step)()) {
    }
}

void TGameSession::BoardClick(int32_t column, int32_t row) {
    if (work_.BoardLocked() || !OnBoard(column, row)) return;
    if (setupMode_) {
        game_.board(column, row) = (game_.board(column, row) + 1) % 3;
        Changed(true);
        return;
    }
    if (game_.board(column, row) == Empty) {
        const bool ended = GameOver(game_.board);
        game_.PlaceMove(column, row);
        Changed(true);
        Moved(ended);
    } else {
        if (game_.RemoveLastMoveAt(column, row)) WalkPairs(&qv::Game::TakeBackMove);
        Changed(true);
    }
    emit personActed();
}

bool TGameSession::CanStartPreviewAt(int32_t column, int32_t row) const {
    return OnBoard(column, row) && game_.board(column, row) == Empty && !PreviewShown();
}

void TGameSession::StartPreview(int32_t column, int32_t row, int32_t colour) {
    if (work_.BoardLocked() || !CanStartPreviewAt(column, row)) return;
    game_.board(column, row) = colour;
    dragPoint_ = {column, row};
    Changed(false);
}

void TGameSession::MovePreview(int32_t column, int32_t row, int32_t colour) {
    if (!PreviewShown() || !OnBoard(column, row) || game_.board(column, row) != Empty) return;
    game_.board(column, row) = colour;
    game_.board(dragPoint_.column, dragPoint_.row) = Empty;
    dragPoint_ = {column, row};
    Changed(false);
}

void TGameSession::EndPreview() {
    if (!PreviewShown()) return;
    game_.board(dragPoint_.column, dragPoint_.row) = Empty;
    dragPoint_ = {0, 0};
    Changed(false);
}

int32_t TGameSession::RealSideToMove() const {
    // The preview piece is counted with the pieces but is not a move.
    return ColourOfMove(game_.MoveCount - (PreviewShown() ? 1 : 0) + 1);
}

bool TGameSession::Step(bool (qv::Game::*step)()) {
    if (work_.BoardLocked() || !(game_.*step)()) return false;
    WalkPairs(step);
    Changed(true);
    emit personActed();
    return true;
}

bool TGameSession::TakeBack() {
    return Step(&qv::Game::TakeBackMove);
}

bool TGameSession::Redo() {
    return Step(&qv::Game::RedoMove);
}

void TGameSession::NewGame() {
    if (work_.BoardLocked()) return;
    game_.ClearGame();
    Changed(true);
    emit personActed();
}

void TGameSession::LoadMoves(const std::vector<Point>& moves) {
    if (work_.BoardLocked()) return;
    ApplyGame(game_, moves);
    Changed(true);
    emit personActed();
}

void TGameSession::SetSetupMode(bool on) {
    setupMode_ = on;
    emit personActed();
}

bool TGameSession::GoToMove(int32_t moves) {
    if (work_.BoardLocked()) return false;
    while (game_.MoveCount > moves && game_.TakeBackMove()) {
    }
    while (game_.MoveCount < moves && game_.RedoMove()) {
    }
    Changed(true);
    return game_.MoveCount == moves;
}

void TGameSession::PlayMove(int32_t column, int32_t row) {
    const bool ended = GameOver(game_.board);
    game_.PlaceMove(column, row);
    Changed(true);
    Moved(ended);
}

void TGameSession::PersonMove(int32_t column, int32_t row) {
    PlayMove(column, row);
    emit personActed();
}

void TGameSession::SetBoard(const Board& board) {
    game_.board = board;
    Changed(true);
}

void TGameSession::SetPoint(int32_t column, int32_t row, int32_t colour) {
    game_.board(column, row) = colour;
    Changed(true);
}

}  // namespace qv::ui
