#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <optional>

#include "play/player.h"

namespace qv::ui {

class TGameSession;
class TLongWork;
class TMoveSearch;
class TPlayerSettings;

// The computer's colours. Whenever the side to move is one of them, nothing
// else runs, setup mode is off and the board is not full, the colour's
// player is asked for its move (through the move search, so it is shown as
// a suggestion is) and the move is played after a pause. Once the game is
// decided the computer goes on answering moves made by hand; playing both
// colours, it stops there.
class TOpponents : public QObject {
    Q_OBJECT
  public:
    TOpponents(TLongWork& work, TGameSession& session, TPlayerSettings& players,
               TMoveSearch& search, QObject* parent = nullptr);

    // Whether the computer plays the colour (the Game menu's check marks).
    void SetComputerPlays(int32_t colour, bool on);
    bool ComputerPlays(int32_t colour) const;
    // Who the computer is for the colour: this player, or (none) the colour's
    // suggestion player by the settings as they are at each move.
    void SetPlayer(int32_t colour, std::optional<PlayerSpec> description);
    // A level (1..kLevels) is the computer's player for both colours; 0
    // gives both back to the settings. A level is its own player: the
    // settings, and their switch to full width, do not change it.
    void SetLevel(int32_t level);
    // The level both colours are set to, or 0 (the settings' players, or
    // players set one by one).
    int32_t Level() const { return level_; }
    // A new game with the computer on these colours, set together so that
    // no move is asked for in between; then the computer moves if it is to.
    void NewGame(bool computerBlue, bool computerRed);

    // The computer's move appears no sooner than this after the move before.
    int ComputerPaceMs = 250;

    // The computer moves if it is to move and may.
    void MaybeMove();
    // The person takes over: the move in progress is not played, and the
    // computer plays neither colour until asked again.
    void Cancel();
    // The window is closing: the player asked stops at once.
    void Shutdown();

  signals:
    // The "Computer Plays" choices or the level changed (Cancel takes both
    // colours back).
    void computerPlaysChanged();

  private:
    struct Seat {
        bool computer = false;
        std::optional<PlayerSpec> description;  // none: by the settings
        // The player last asked, kept while its description stays.
        PlayerSpec built;
        std::shared_ptr<Player> player;
    };
    Seat& SeatOf(int32_t colour) { return colour == Red ? red_ : blue_; }
    const Seat& SeatOf(int32_t colour) const { return colour == Red ? red_ : blue_; }
    void SeatsChanged();
    // The colour's player and its description; `bySettings` when the
    // settings describe it.
    std::shared_ptr<Player> PlayerOf(int32_t colour, PlayerSpec& description, bool& bySettings);
    void Found(int32_t colour, const MoveReply& reply);
    void PlayFoundMove();

    TLongWork& work_;
    TGameSession& session_;
    TPlayerSettings& players_;
    TMoveSearch& search_;
    Seat red_, blue_;
    int32_t level_ = 0;
    QTimer pause_;
    bool cancelled_ = false;
    // The player thinking, stopped through its own interface (one that does
    // not search on the shared engine is not reached by the engine's flags).
    std::shared_ptr<Player> asked_;
    ScoredMove found_ = kNoMove;
};

}  // namespace qv::ui
