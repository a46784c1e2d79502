#include "ui/GameController.h"

#include <exception>
#include <utility>

#include "engine/evaluate.h"
#include "engine/report.h"
#include "model/savedgame.h"
#include "model/scoring.h"
#include "tuning/diagnostics.h"
#include "tuning/engine_game.h"
#include "tuning/evolution.h"
#include "tuning/trace.h"

namespace qv::ui {

namespace {

const TSettings& DefaultSettings() {
    static const TSettings defaults;
    return defaults;
}

}  // namespace

GameController::GameController(QObject* parent) : QObject(parent), runner_(this) {
    line_[1].column = -1;
    paceTimer_.setSingleShot(true);
    connect(&paceTimer_, &QTimer::timeout, this, &GameController::ShowQueuedMove);
    computerTimer_.setSingleShot(true);
    connect(&computerTimer_, &QTimer::timeout, this, &GameController::PlayComputerMove);
    updateTimer_.setInterval(1000 / UpdateHz);
    connect(&updateTimer_, &QTimer::timeout, this, &GameController::ShowUpdates);
    sinceMove_.start();
}

GameController::~GameController() {
    runner_.Shutdown(-1);
}

const TSettings& GameController::Settings() const {
    return settings_ ? *settings_ : DefaultSettings();
}

void GameController::Changed(bool turn) {
    // The move count follows the pieces on the board, setup pieces and the
    // preview piece included.
    game_.RecountMoves();
    emit boardChanged();
    if (turn) emit turnChanged();
}

// ---- the board ----

void GameController::BoardClick(int32_t column, int32_t row) {
    if (Tuning() || ComputerThinking() || !OnBoard(column, row)) return;
    if (setupMode_) {
        game_.board(column, row) = (game_.board(column, row) + 1) % 3;
        Changed(true);
        return;
    }
    if (game_.board(column, row) == Empty) {
        const bool ended = GameOver();
        game_.PlaceMove(column, row);
        Changed(true);
        Moved(ended);
    } else {
        if (game_.RemoveLastMoveAt(column, row) && OneComputerColour())
            while (computerPlays_[SideToMove(game_.board)] && game_.TakeBackMove()) {
            }
        Changed(true);
    }
    MaybeComputerMove();
}

void GameController::Moved(bool endedBefore) {
    sinceMove_.restart();
    if (endedBefore || !GameOver()) return;
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

bool GameController::GameOver() const {
    if (game_.board.CountOf(Empty) == 0) return true;
    const float v = EvaluatePosition(1, static_cast<float>(TotalScore(Red, game_.board)),
                                     static_cast<float>(TotalScore(Blue, game_.board)));
    return v >= kDecided || v <= -kDecided;
}

void GameController::StartPreview(int32_t column, int32_t row, int32_t colour) {
    if (Tuning() || ComputerThinking() || !OnBoard(column, row) ||
        game_.board(column, row) != Empty || !(dragPoint_ == Point{0, 0}))
        return;
    game_.board(column, row) = colour;
    dragPoint_ = {column, row};
    Changed(false);
}

void GameController::MovePreview(int32_t column, int32_t row, int32_t colour) {
    if (dragPoint_ == Point{0, 0} || !OnBoard(column, row) || game_.board(column, row) != Empty)
        return;
    game_.board(column, row) = colour;
    game_.board(dragPoint_.column, dragPoint_.row) = Empty;
    dragPoint_ = {column, row};
    Changed(false);
}

void GameController::EndPreview() {
    if (dragPoint_ == Point{0, 0}) return;
    game_.board(dragPoint_.column, dragPoint_.row) = Empty;
    dragPoint_ = {0, 0};
    Changed(false);
}

bool GameController::TakeBack() {
    if (Tuning() || ComputerThinking() || !game_.TakeBackMove()) return false;
    if (OneComputerColour())
        while (computerPlays_[SideToMove(game_.board)] && game_.TakeBackMove()) {
        }
    Changed(true);
    MaybeComputerMove();
    return true;
}

bool GameController::Redo() {
    if (Tuning() || ComputerThinking() || !game_.RedoMove()) return false;
    if (OneComputerColour())
        while (computerPlays_[SideToMove(game_.board)] && game_.RedoMove()) {
        }
    Changed(true);
    MaybeComputerMove();
    return true;
}

void GameController::NewGame() {
    if (Tuning() || ComputerThinking()) return;
    game_.ClearGame();
    Changed(true);
    MaybeComputerMove();
}

void GameController::LoadMoves(const std::vector<Point>& moves) {
    if (Tuning() || ComputerThinking()) return;
    ApplyGame(game_, moves);
    Changed(true);
    MaybeComputerMove();
}

void GameController::SetSetupMode(bool on) {
    setupMode_ = on;
    MaybeComputerMove();
}

// ---- the computer's colours ----

void GameController::SetComputerPlays(int32_t colour, bool on) {
    if (colour != Red && colour != Blue) return;
    computerPlays_[colour] = on;
    emit computerPlaysChanged();
    MaybeComputerMove();
}

void GameController::MaybeComputerMove() {
    if (work_ != LongWork::None || setupMode_ || !(dragPoint_ == Point{0, 0})) return;
    const int32_t colour = SideToMove(game_.board);
    // Play may go on by hand after the end, and the computer answers it; a
    // game it plays against itself ends there.
    if (!computerPlays_[colour] || BoardFull() || (!OneComputerColour() && GameOver())) return;
    StartSuggestion(colour, LongWork::ComputerMove);
}

void GameController::PlayComputerMove() {
    if (work_ != LongWork::ComputerMove) return;
    const ScoredMove& m = lastSearch_.line[1];
    if (!computerCancelled_ && OnBoard(m.column, m.row) && game_.board(m.column, m.row) == Empty) {
        const bool ended = GameOver();
        game_.PlaceMove(m.column, m.row);
        Changed(true);
        Moved(ended);
    }
    End();
}

bool GameController::CanPlaySuggestedMove() const {
    const ScoredMove& m = lastSearch_.line[1];
    return work_ == LongWork::None && OnBoard(m.column, m.row) &&
           game_.board(m.column, m.row) == Empty && suggestedColour_ == SideToMove(game_.board) &&
           suggestedFor_ == game_.board;
}

void GameController::PlaySuggestedMove() {
    if (!CanPlaySuggestedMove()) return;
    const ScoredMove& m = lastSearch_.line[1];
    const bool ended = GameOver();
    game_.PlaceMove(m.column, m.row);
    Changed(true);
    Moved(ended);
    MaybeComputerMove();
}

// ---- long work ----

void GameController::Begin(LongWork work) {
    work_ = work;
    {
        std::lock_guard lock(updatesMutex_);
        updates_ = Updates{};
    }
    updateTimer_.start();
    if (Tuning()) {
        // The game clears the board; a preview piece must not be taken off it later.
        dragPoint_ = {0, 0};
    }
    emit workStarted(work);
}

void GameController::End() {
    const LongWork work = work_;
    if (work == LongWork::None) return;
    work_ = LongWork::None;
    updateTimer_.stop();
    paceTimer_.stop();
    computerTimer_.stop();
    queuedMoves_.clear();
    emit workEnded(work);
    MaybeComputerMove();
}

void GameController::PostJob(std::function<void()> job) {
    runner_.Post([this, job = std::move(job)] {
        try {
            job();
        } catch (const std::exception& e) {
            const QString message = QString::fromLocal8Bit(e.what());
            Deliver([this, message] {
                emit workFailed(message);
                End();
            });
        }
    });
}

void GameController::Deliver(std::function<void()> f) {
    runner_.Deliver([this, f = std::move(f)] {
        ShowUpdates();
        f();
    });
}

void GameController::ShowUpdates() {
    Updates u;
    {
        std::lock_guard lock(updatesMutex_);
        std::swap(u, updates_);
    }
    if (runner_.ShuttingDown()) return;
    if (u.board) {
        game_.board = *u.board;
        Changed(true);
    }
    if (u.game) emit evolutionGameStarting((*u.game)[0], (*u.game)[1], (*u.game)[2], (*u.game)[3]);
    for (const RoundSummary& summary : u.rounds) emit evolutionRoundFinished(summary);
    for (const PositionAnalysis& position : u.positions) emit analysisPosition(position);
    if (u.percent) emit progressChanged(*u.percent);
}

void GameController::ReportProgress(const SearchProgress& p) {
    if (WorkerRootMoveHook) WorkerRootMoveHook(p);
    Note([&p](Updates& u) { u.percent = p.percent; });
}

void GameController::Suggest(int32_t colour) {
    if (work_ != LongWork::None) return;
    StartSuggestion(colour, LongWork::Suggestion);
}

PlayerSpec GameController::PlayerFor(int32_t colour) const {
    return PlayerFromChoice(SearchParameters(Settings(), colour), weights_,
                            Settings().SearchThreads);
}

void GameController::StartSuggestion(int32_t colour, LongWork work) {
    lastChoice_ = SearchParameters(Settings(), colour);
    // The line ends at the common depth, whatever the colour's own.
    const SearchRequest request =
        MakeSearchRequest(PlayerFor(colour), game_.board, colour, Settings().SearchDepth);
    // The new search clears the line and the stop flags.
    for (int i = 1; i <= 15; ++i) line_[i].column = -1;
    runner_.SearchEngine().ClearStop();
    computerCancelled_ = false;
    emit suggestionStarted(colour);
    Begin(work);
    emit progressChanged(0);
    PostJob([this, request] {
        const SearchResult result = runner_.SearchEngine().Search(
            request, [this](const SearchProgress& p) { ReportProgress(p); });
        Deliver([this, result, request] {
            suggestedFor_ = request.position;
            suggestedColour_ = request.colour;
            FinishSuggestion(result);
        });
    });
}

void GameController::FinishSuggestion(const SearchResult& result) {
    lastSearch_ = result;
    line_ = result.line;
    // A strong search may stop before its clock runs out: its time is spent.
    if (lastChoice_.strong && !result.cancelled) emit progressChanged(100);
    emit boardChanged();
    // The switch belongs to the classic searches; the strong one already
    // searches every point.
    if (!lastChoice_.strong &&
        ShouldSwitchToFullWidth(result.value, lastChoice_.fullWidth, result.boardWasFull) &&
        settings_) {
        settings_->FullWidthSearch = true;
        settings_->SearchDepth = 5;
        emit fullWidthSwitched();
    }
    emit suggestionFinished();
    if (work_ == LongWork::ComputerMove && !computerCancelled_ && !result.cancelled) {
        // The person sees their own piece before the reply.
        const qint64 wait = ComputerPaceMs - sinceMove_.elapsed();
        computerTimer_.start(static_cast<int>(wait > 0 ? wait : 0));
        return;
    }
    End();
}

void GameController::PlayRound() {
    if (work_ != LongWork::None) return;
    runner_.SearchEngine().ClearStop();
    auto [red, blue] = PlayRoundProfiles(weights_);
    red[kDepth] = blue[kDepth] = PlayRoundDepth;
    red[kWidth] = blue[kWidth] = PlayRoundWidth;
    Begin(LongWork::EngineGame);
    paced_ = MovePaceMs > 0;
    gamePlayed_ = false;
    queuedMoves_.clear();
    // The game starts from the cleared board.
    game_.board = Board{};
    Changed(true);
    const int32_t common = Settings().SearchDepth;
    PostJob([this, red, blue, common, weights = weights_]() mutable {
        EngineGameHooks hooks;
        hooks.searchStarting = [this] { Note([](Updates& u) { u.percent = 0; }); };
        hooks.rootMove = [this](const SearchProgress& p) { ReportProgress(p); };
        // At most 64, each shown at the pace: delivered one by one.
        hooks.moved = [this](int32_t c, int32_t r, int32_t colour) {
            Deliver([this, c, r, colour] { QueueEngineMove(c, r, colour); });
        };
        Board board;
        float redScore = 0, blueScore = 0;
        PlayEngineGame(runner_.SearchEngine(), weights, board, red, blue, redScore, blueScore,
                       common, hooks);
        Deliver([this, weights] {
            weights_ = weights;
            gamePlayed_ = true;
            EndEngineGameWhenShown();
        });
    });
}

void GameController::QueueEngineMove(int32_t column, int32_t row, int32_t colour) {
    queuedMoves_.push_back({column, row, colour});
    if (!paceTimer_.isActive()) ShowQueuedMove();
}

void GameController::ShowQueuedMove() {
    while (!queuedMoves_.empty()) {
        const auto [c, r, colour] = queuedMoves_.front();
        queuedMoves_.pop_front();
        game_.board(c, r) = colour;
        Changed(true);
        if (paced_) {
            paceTimer_.start(MovePaceMs);
            return;
        }
    }
    EndEngineGameWhenShown();
}

void GameController::EndEngineGameWhenShown() {
    if (work_ != LongWork::EngineGame || !gamePlayed_ || !queuedMoves_.empty() ||
        paceTimer_.isActive())
        return;
    emit boardChanged();
    End();
}

void GameController::PublishBoard(const Board& board) {
    Note([&board](Updates& u) { u.board = board; });
}

void GameController::RunEvolution() {
    if (work_ != LongWork::None) return;
    runner_.SearchEngine().ClearStop();
    Begin(LongWork::Evolution);
    emit evolutionStarted(EvolutionRounds);
    const uint32_t seed = EvolutionSeed ? *EvolutionSeed : TimeOfDaySeed();
    const std::string path = TracePath.empty() ? DefaultTracePath() : TracePath;
    const int rounds = EvolutionRounds;
    const int32_t common = Settings().SearchDepth;
    PostJob([this, seed, path, rounds, common, weights = weights_]() mutable {
        Engine& engine = runner_.SearchEngine();
        std::optional<TraceFile> trace;
        try {
            trace.emplace(path);
        } catch (const std::exception& e) {
            const QString reason = QString::fromLocal8Bit(e.what());
            Deliver([this, reason] {
                // The evolution window says so before the error box waits.
                emit evolutionNotStarted(reason);
                emit workFailed(reason);
                End();
            });
            return;
        }
        Board board;
        bool complete = false;
        try {
            EvolutionHooks hooks;
            hooks.gameStarting = [this](int round, int game, int32_t redId, int32_t blueId) {
                Note([=](Updates& u) { u.game = std::array<int, 4>{round, game, redId, blueId}; });
            };
            hooks.roundSummary = [this](int round, const Population& population) {
                Note([summary = SummariseRound(round, population)](Updates& u) {
                    u.rounds.push_back(summary);
                });
            };
            EngineGameHooks gameHooks;
            gameHooks.searchStarting = [this] { Note([](Updates& u) { u.percent = 0; }); };
            gameHooks.rootMove = [this](const SearchProgress& p) { ReportProgress(p); };
            gameHooks.moved = [this, &board](int32_t, int32_t, int32_t) { PublishBoard(board); };
            hooks.playGame = [&](const EngineProfile& red, const EngineProfile& blue) {
                float redScore = 0, blueScore = 0;
                return PlayEngineGame(engine, weights, board, red, blue, redScore, blueScore,
                                      common, gameHooks);
            };
            hooks.gameFinished = [this, &board] { PublishBoard(board); };
            hooks.cancelRequested = [&engine] { return engine.CancelRequested(); };
            hooks.halted = [this] { Deliver([this] { emit evolutionHalted(); }); };
            complete = qv::RunEvolution(seed, rounds, *trace, hooks);
        } catch (const std::exception& e) {
            const QString reason = QString::fromLocal8Bit(e.what());
            Deliver([this, reason] {
                emit evolutionFailed(reason);
                emit workFailed(reason);
            });
        }
        Deliver([this, weights, complete] {
            weights_ = weights;
            if (complete) emit evolutionFinished();
            End();
        });
    });
}

void GameController::AnalyseGame() {
    if (work_ != LongWork::None) return;
    std::vector<Point> moves;
    for (int n = 1; n <= game_.MoveCount && n <= 64 && game_.MoveHistory[n].column != 0; ++n)
        moves.push_back(game_.MoveHistory[n]);
    analysed_ = moves;
    AnalysisSettings settings;
    settings.blue = PlayerFor(Blue);
    settings.red = PlayerFor(Red);
    runner_.SearchEngine().ClearStop();
    Begin(LongWork::Analysis);
    emit analysisStarted(static_cast<int>(moves.size()));
    PostJob([this, moves, settings] {
        QElapsedTimer timer;
        timer.start();
        const auto positions = qv::AnalyseGame(
            runner_.SearchEngine(), moves, settings, [this](const PositionAnalysis& p) {
                Note([&p](Updates& u) { u.positions.push_back(p); });
            });
        const bool complete = positions.size() == moves.size() + 1;
        const double seconds = timer.elapsed() / 1000.0;
        Deliver([this, complete, seconds] {
            emit analysisFinished(complete, seconds);
            End();
        });
    });
}

bool GameController::GoToMove(int32_t moves) {
    if (Tuning() || ComputerThinking() || moves < 0 ||
        moves > static_cast<int32_t>(analysed_.size()))
        return false;
    // Only while the history still holds the analysed game.
    for (size_t i = 0; i < analysed_.size(); ++i)
        if (!(game_.MoveHistory[i + 1] == analysed_[i])) return false;
    while (game_.MoveCount > moves && game_.TakeBackMove()) {
    }
    while (game_.MoveCount < moves && game_.RedoMove()) {
    }
    Changed(true);
    return game_.MoveCount == moves;
}

void GameController::Cancel() {
    runner_.Cancel();
    if (work_ == LongWork::ComputerMove) {
        // The person takes over: the move is not played, and the computer
        // plays neither colour until asked again.
        computerCancelled_ = true;
        computerPlays_[Red] = computerPlays_[Blue] = false;
        emit computerPlaysChanged();
        if (computerTimer_.isActive()) End();
        return;
    }
    if (work_ == LongWork::EngineGame && paced_) {
        // The rest of the game is shown as soon as it is played.
        paced_ = false;
        paceTimer_.stop();
        ShowQueuedMove();
    }
}

void GameController::Shutdown() {
    paceTimer_.stop();
    updateTimer_.stop();
    runner_.Shutdown(500);
}

std::vector<std::string> GameController::RankedListing(std::string_view decimalSeparator) {
    return RankedPotentialsListing(listingEngine_, weights_, game_.board, decimalSeparator);
}

std::vector<std::string> GameController::ColourListing(int32_t colour,
                                                       std::string_view decimalSeparator) {
    return ColourPotentialsListing(game_.board, weights_, colour, decimalSeparator);
}

}  // namespace qv::ui
