#include "ui/MoveSearch.h"

#include <utility>

#include "engine/report.h"
#include "ui/GameSession.h"
#include "ui/PlayerSettings.h"

namespace qv::ui {

namespace {

// The moves that led to the position, for a player that replays them.
std::vector<GameMove> History(const qv::Game& game) {
    std::vector<GameMove> moves;
    for (int32_t n = 1; n <= game.MoveCount && n <= 64 && game.MoveHistory[n].column != 0; ++n)
        moves.push_back({game.MoveHistory[n].column, game.MoveHistory[n].row, ColourOfMove(n)});
    return moves;
}

}  // namespace

TMoveSearch::TMoveSearch(TLongWork& work, TGameSession& session, TPlayerSettings& players,
                         QObject* parent)
    : QObject(parent), work_(work), session_(session), players_(players) {}

void TMoveSearch::Suggest(int32_t colour) {
    if (!work_.Idle()) return;
    const PlayerSpec description = players_.PlayerFor(colour);
    Start(colour, LongWork::Suggestion, MakePlayer(description, &work_.SearchEngine()), description,
          [this](const MoveReply& reply) {
              if (reply.failed)
                  work_.Fail(QString::fromStdString(reply.failure));
              else
                  work_.End();
          });
}

void TMoveSearch::Start(int32_t colour, LongWork work, std::shared_ptr<Player> player,
                        const PlayerSpec& description, Found found, bool bySettings) {
    lastSpec_ = description;
    lastBySettings_ = bySettings;
    MoveRequest request;
    request.position = session_.Game().board;
    request.colour = colour;
    // The line ends at the common depth, whatever the colour's own.
    request.lineEnd = players_.Settings().SearchDepth;
    request.history = History(session_.Game());
    request.seed = GameSeed;
    // The new search clears the line and the stop flags.
    PredictedLine line = session_.Line();
    for (int i = 1; i <= 15; ++i) line[i].column = -1;
    session_.SetLine(line);
    work_.SearchEngine().ClearStop();
    player->ClearStop();
    emit suggestionStarted(colour);
    work_.Begin(work);
    work_.ShowProgress(0);
    work_.Post([this, request, player = std::move(player), found = std::move(found)]() mutable {
        request.onProgress = [this](const SearchProgress& p) { work_.ReportProgress(p); };
        const MoveReply reply = player->GenMove(request);
        work_.Deliver([this, reply, position = request.position, colour = request.colour, found] {
            if (!reply.failed) {
                suggestedFor_ = position;
                suggestedColour_ = colour;
                Finish(reply);
            }
            found(reply);
        });
    });
}

void TMoveSearch::Finish(const MoveReply& reply) {
    const SearchResult& result = reply.search;
    lastSearch_ = result;
    session_.SetLine(result.line);
    // A strong search may stop before its clock runs out: its time is spent.
    if (lastSpec_.kind == PlayerKind::Strong && !result.cancelled) work_.ShowProgress(100);
    session_.Refresh();
    // The switch belongs to the classic searches; the strong one already
    // searches every point.
    if (lastBySettings_ && lastSpec_.kind == PlayerKind::Classic &&
        ShouldSwitchToFullWidth(result.value, lastSpec_.fullWidth, result.boardWasFull) &&
        players_.SwitchToFullWidth())
        emit fullWidthSwitched();
    emit suggestionFinished();
}

bool TMoveSearch::CanPlaySuggestedMove() const {
    const ScoredMove& m = lastSearch_.line[1];
    const Board& board = session_.Game().board;
    return work_.Idle() && OnBoard(m.column, m.row) && board(m.column, m.row) == Empty &&
           suggestedColour_ == SideToMove(board) && suggestedFor_ == board;
}

void TMoveSearch::PlaySuggestedMove() {
    if (!CanPlaySuggestedMove()) return;
    const ScoredMove& m = lastSearch_.line[1];
    session_.PersonMove(m.column, m.row);
}

}  // namespace qv::ui
