#include "ui/Opponents.h"

#include "model/rules.h"
#include "play/levels.h"
#include "ui/GameSession.h"
#include "ui/LongWork.h"
#include "ui/MoveSearch.h"
#include "ui/PlayerSettings.h"

namespace qv::ui {

TOpponents::TOpponents(TLongWork& work, TGameSession& session, TPlayerSettings& players,
                       TMoveSearch& search, QObject* parent)
    : QObject(parent), work_(work), session_(session), players_(players), search_(search) {
    pause_.setSingleShot(true);
    connect(&pause_, &QTimer::timeout, this, &TOpponents::PlayFoundMove);
    connect(&work_, &TLongWork::workEnded, &pause_, &QTimer::stop);
    connect(&work_, &TLongWork::idle, this, &TOpponents::MaybeMove);
    connect(&session_, &TGameSession::personActed, this, &TOpponents::MaybeMove);
}

bool TOpponents::ComputerPlays(int32_t colour) const {
    return (colour == Red || colour == Blue) && SeatOf(colour).computer;
}

void TOpponents::SetComputerPlays(int32_t colour, bool on) {
    if (colour != Red && colour != Blue) return;
    SeatOf(colour).computer = on;
    SeatsChanged();
    MaybeMove();
}

void TOpponents::SetPlayer(int32_t colour, std::optional<PlayerSpec> description) {
    if (colour != Red && colour != Blue) return;
    SeatOf(colour).description = std::move(description);
    if (level_ == 0) return;
    level_ = 0;
    emit computerPlaysChanged();
}

void TOpponents::SetLevel(int32_t level) {
    const std::optional<PlayerSpec> description =
        level >= 1 && level <= kLevels ? std::optional(ResolveLevel(level)) : std::nullopt;
    red_.description = blue_.description = description;
    level_ = description ? level : 0;
    emit computerPlaysChanged();
}

void TOpponents::NewGame(bool computerBlue, bool computerRed) {
    if (work_.BoardLocked()) return;
    blue_.computer = computerBlue;
    red_.computer = computerRed;
    SeatsChanged();
    // The new game's first move may be the computer's: the session says the
    // person acted, and the computer answers.
    session_.NewGame();
}

void TOpponents::SeatsChanged() {
    // With one colour the computer's, undo and redo take its moves along.
    session_.SetPairedColour(red_.computer == blue_.computer ? Empty : red_.computer ? Red : Blue);
    emit computerPlaysChanged();
}

std::shared_ptr<Player> TOpponents::PlayerOf(int32_t colour, PlayerSpec& description,
                                             bool& bySettings) {
    Seat& seat = SeatOf(colour);
    bySettings = !seat.description;
    description = seat.description ? *seat.description : players_.PlayerFor(colour);
    // On the long work's engine, so that Cancel reaches it.
    if (!seat.player || !(seat.built == description)) {
        seat.player = MakePlayer(description, &work_.SearchEngine());
        seat.built = description;
    }
    return seat.player;
}

void TOpponents::MaybeMove() {
    if (!work_.Idle() || session_.SetupMode() || session_.PreviewShown()) return;
    const Board& board = session_.Game().board;
    const int32_t colour = SideToMove(board);
    // Play may go on by hand after the end, and the computer answers it; a
    // game it plays against itself ends there.
    if (!SeatOf(colour).computer || board.CountOf(Empty) == 0 ||
        (red_.computer && blue_.computer && GameOver(board)))
        return;
    cancelled_ = false;
    PlayerSpec description;
    bool bySettings = true;
    asked_ = PlayerOf(colour, description, bySettings);
    search_.Start(
        colour, LongWork::ComputerMove, asked_, description,
        [this, colour](const MoveReply& reply) { Found(colour, reply); }, bySettings);
}

void TOpponents::Found(int32_t colour, const MoveReply& reply) {
    asked_.reset();
    if (reply.failed) {
        // A player that cannot play stops playing.
        SeatOf(colour).computer = false;
        SeatsChanged();
        work_.Fail(QString::fromStdString(reply.failure));
        return;
    }
    if (work_.ComputerThinking() && !cancelled_ && !reply.search.cancelled) {
        // The person sees their own piece before the reply.
        found_ = reply.move;
        const qint64 wait = ComputerPaceMs - session_.MsSinceLastMove();
        pause_.start(static_cast<int>(wait > 0 ? wait : 0));
        return;
    }
    work_.End();
}

void TOpponents::PlayFoundMove() {
    if (!work_.ComputerThinking()) return;
    const ScoredMove m = found_;
    if (!cancelled_ && OnBoard(m.column, m.row) && session_.Game().board(m.column, m.row) == Empty)
        session_.PlayMove(m.column, m.row);
    work_.End();
}

void TOpponents::Cancel() {
    if (!work_.ComputerThinking()) return;
    cancelled_ = true;
    if (asked_) asked_->Stop();
    red_.computer = blue_.computer = false;
    SeatsChanged();
    if (pause_.isActive()) work_.End();
}

void TOpponents::Shutdown() {
    if (asked_) asked_->Abort();
}

}  // namespace qv::ui
