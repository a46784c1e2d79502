#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>

#include "engine/engine.h"
#include "model/board.h"
#include "play/player.h"
#include "ui/LongWork.h"

namespace qv::ui {

class TGameSession;
class TPlayerSettings;

// A search for a colour's move on the board, asked of a player on the long
// work's engine: a suggestion, or the computer's reply. What it finds is
// shown as a suggestion is: the line on the board, the figures in the
// statistics window, and the switch to full width.
class TMoveSearch : public QObject {
    Q_OBJECT
  public:
    TMoveSearch(TLongWork& work, TGameSession& session, TPlayerSettings& players,
                QObject* parent = nullptr);

    // The suggestion button's search: the colour's player by the settings.
    void Suggest(int32_t colour);
    // Asks the player (built from description) for the colour's move as `work`; once
    // its reply is shown, `found` gets it on the window's thread and ends the work.
    // Only the settings' own players (`bySettings`) may switch the settings to
    // full width: a player of its own, such as a level, leaves them alone.
    using Found = std::function<void(const MoveReply& reply)>;
    void Start(int32_t colour, LongWork work, std::shared_ptr<Player> player,
               const PlayerSpec& description, Found found, bool bySettings = true);

    // The draw of a player that chooses among its better moves: set once a
    // game, so that each game plays differently.
    uint64_t GameSeed = 0;

    // The last finished search.
    const SearchResult& LastSearch() const { return lastSearch_; }
    // Entry 1 of the last suggestion's line, when it was searched for this
    // very position and its side to move.
    bool CanPlaySuggestedMove() const;
    void PlaySuggestedMove();

  signals:
    // A search for the colour begins, asked for or the computer's own.
    void suggestionStarted(int colour);
    // LastSearch() holds the result; the board has shown its line.
    void suggestionFinished();
    // The common settings switched to full width at depth 5.
    void fullWidthSwitched();

  private:
    void Finish(const MoveReply& reply);

    TLongWork& work_;
    TGameSession& session_;
    TPlayerSettings& players_;
    SearchResult lastSearch_;
    PlayerSpec lastSpec_;
    bool lastBySettings_ = true;
    // The position and colour of the last finished search.
    Board suggestedFor_;
    int32_t suggestedColour_ = 0;
};

}  // namespace qv::ui
