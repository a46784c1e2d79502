#include "ui/TuningJobs.h"

#include <exception>

#include "tuning/diagnostics.h"
#include "tuning/engine_game.h"
#include "tuning/evolution.h"
#include "tuning/trace.h"
#include "ui/GameSession.h"
#include "ui/LongWork.h"
#include "ui/PlayerSettings.h"

namespace qv::ui {

TTuningJobs::TTuningJobs(TLongWork& work, TGameSession& session, TPlayerSettings& players,
                         QObject* parent)
    : QObject(parent), work_(work), session_(session), players_(players) {
    paceTimer_.setSingleShot(true);
    connect(&paceTimer_, &QTimer::timeout, this, &TTuningJobs::ShowQueuedMove);
    connect(&work_, &TLongWork::workEnded, this, [this] {
        paceTimer_.stop();
        queuedMoves_.clear();
    });
    // The evolution's board: the latest one wins, so a quick run is never
    // held back by the window.
    connect(&work_, &TLongWork::boardPublished, &session_, &TGameSession::SetBoard);
}

void TTuningJobs::PlayRound() {
    if (!work_.Idle()) return;
    work_.SearchEngine().ClearStop();
    auto [red, blue] = PlayRoundProfiles(players_.Weights());
    red[kDepth] = blue[kDepth] = PlayRoundDepth;
    red[kWidth] = blue[kWidth] = PlayRoundWidth;
    session_.ForgetPreview();
    work_.Begin(LongWork::EngineGame);
    paced_ = MovePaceMs > 0;
    gamePlayed_ = false;
    queuedMoves_.clear();
    // The game starts from the cleared board.
    session_.SetBoard(Board{});
    const int32_t common = players_.Settings().SearchDepth;
    work_.Post([this, red, blue, common, weights = players_.Weights()]() mutable {
        EngineGameHooks hooks;
        hooks.searchStarting = [this] { work_.Note([](TLongWork::Updates& u) { u.percent = 0; }); };
        hooks.rootMove = [this](const SearchProgress& p) { work_.ReportProgress(p); };
        // At most 64, each shown at the pace: delivered one by one.
        hooks.moved = [this](int32_t c, int32_t r, int32_t colour) {
            work_.Deliver([this, c, r, colour] { QueueEngineMove(c, r, colour); });
        };
        Board board;
        float redScore = 0, blueScore = 0;
        PlayEngineGame(work_.SearchEngine(), weights, board, red, blue, redScore, blueScore, common,
                       hooks);
        work_.Deliver([this, weights] {
            players_.SetWeights(weights);
            gamePlayed_ = true;
            EndEngineGameWhenShown();
        });
    });
}

void TTuningJobs::QueueEngineMove(int32_t column, int32_t row, int32_t colour) {
    queuedMoves_.push_back({column, row, colour});
    if (!paceTimer_.isActive()) ShowQueuedMove();
}

void TTuningJobs::ShowQueuedMove() {
    while (!queuedMoves_.empty()) {
        const auto [c, r, colour] = queuedMoves_.front();
        queuedMoves_.pop_front();
        session_.SetPoint(c, r, colour);
        if (paced_) {
            paceTimer_.start(MovePaceMs);
            return;
        }
    }
    EndEngineGameWhenShown();
}

void TTuningJobs::EndEngineGameWhenShown() {
    if (work_.Work() != LongWork::EngineGame || !gamePlayed_ || !queuedMoves_.empty() ||
        paceTimer_.isActive())
        return;
    session_.Refresh();
    work_.End();
}

void TTuningJobs::RunEvolution() {
    if (!work_.Idle()) return;
    work_.SearchEngine().ClearStop();
    session_.ForgetPreview();
    work_.Begin(LongWork::Evolution);
    emit evolutionStarted(EvolutionRounds);
    const uint32_t seed = EvolutionSeed ? *EvolutionSeed : TimeOfDaySeed();
    const std::string path = TracePath.empty() ? DefaultTracePath() : TracePath;
    const int rounds = EvolutionRounds;
    const int32_t common = players_.Settings().SearchDepth;
    work_.Post([this, seed, path, rounds, common, weights = players_.Weights()]() mutable {
        Engine& engine = work_.SearchEngine();
        std::optional<TraceFile> trace;
        try {
            trace.emplace(path);
        } catch (const std::exception& e) {
            const QString reason = QString::fromLocal8Bit(e.what());
            work_.Deliver([this, reason] {
                // The evolution window says so before the error box waits.
                emit evolutionNotStarted(reason);
                work_.Fail(reason);
            });
            return;
        }
        Board board;
        bool complete = false;
        const auto publish = [this, &board] {
            work_.Note([&board](TLongWork::Updates& u) { u.board = board; });
        };
        try {
            EvolutionHooks hooks;
            hooks.gameStarting = [this](int round, int game, int32_t redId, int32_t blueId) {
                work_.Note([=](TLongWork::Updates& u) {
                    u.game = std::array<int, 4>{round, game, redId, blueId};
                });
            };
            hooks.roundSummary = [this](int round, const Population& population) {
                work_.Note([summary = SummariseRound(round, population)](TLongWork::Updates& u) {
                    u.rounds.push_back(summary);
                });
            };
            EngineGameHooks gameHooks;
            gameHooks.searchStarting = [this] {
                work_.Note([](TLongWork::Updates& u) { u.percent = 0; });
            };
            gameHooks.rootMove = [this](const SearchProgress& p) { work_.ReportProgress(p); };
            gameHooks.moved = [&publish](int32_t, int32_t, int32_t) { publish(); };
            hooks.playGame = [&](const EngineProfile& red, const EngineProfile& blue) {
                float redScore = 0, blueScore = 0;
                return PlayEngineGame(engine, weights, board, red, blue, redScore, blueScore,
                                      common, gameHooks);
            };
            hooks.gameFinished = publish;
            hooks.cancelRequested = [&engine] { return engine.CancelRequested(); };
            hooks.halted = [this] { work_.Deliver([this] { emit evolutionHalted(); }); };
            complete = qv::RunEvolution(seed, rounds, *trace, hooks);
        } catch (const std::exception& e) {
            const QString reason = QString::fromLocal8Bit(e.what());
            work_.Deliver([this, reason] {
                emit evolutionFailed(reason);
                work_.ReportFailure(reason);
            });
        }
        work_.Deliver([this, weights, complete] {
            players_.SetWeights(weights);
            if (complete) emit evolutionFinished();
            work_.End();
        });
    });
}

void TTuningJobs::Cancel() {
    if (work_.Work() != LongWork::EngineGame || !paced_) return;
    // The rest of the game is shown as soon as it is played.
    paced_ = false;
    paceTimer_.stop();
    ShowQueuedMove();
}

std::vector<std::string> TTuningJobs::RankedListing(std::string_view decimalSeparator) {
    return RankedPotentialsListing(listingEngine_, players_.Weights(), session_.Game().board,
                                   decimalSeparator);
}

std::vector<std::string> TTuningJobs::ColourListing(int32_t colour,
                                                    std::string_view decimalSeparator) {
    return ColourPotentialsListing(session_.Game().board, players_.Weights(), colour,
                                   decimalSeparator);
}

}  // namespace qv::ui
