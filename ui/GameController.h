#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/engine.h"
#include "model/game.h"
#include "model/settings.h"
#include "tuning/analysis.h"
#include "tuning/evolution.h"
#include "ui/EngineRunner.h"

namespace qv::ui {

// The kinds of long work; at most one runs at a time. ComputerMove is the
// computer's search for the colour it plays, and the pause before its move.
enum class LongWork { None, Suggestion, ComputerMove, Analysis, EngineGame, Evolution };

// The live game and everything done to it: moves and take-backs, setup edits
// and the Shift preview, suggestions, engine games and the evolution. Long
// work runs on the engine runner's thread; what it finds comes back here, on
// the window's thread, and is announced by the signals below. The windows
// only forward commands here and draw what this holds.
class GameController : public QObject {
    Q_OBJECT
  public:
    explicit GameController(QObject* parent = nullptr);
    ~GameController() override;

    // The settings dialog's record, read by every command and changed only by
    // the switch to full width. The defaults until it is set.
    void SetSettings(TSettings* settings) { settings_ = settings; }
    const TSettings& Settings() const;

    // Mutable for the tests that set up positions; the windows only read it.
    qv::Game& Game() { return game_; }
    const qv::Game& Game() const { return game_; }
    // The predicted line the board shows; a finished suggestion sets it.
    const PredictedLine& Line() const { return line_; }
    void SetLine(const PredictedLine& line) { line_ = line; }
    // The potential weights suggestions use: the defaults, or those of the
    // last engine-game player to move.
    const PotentialWeights& Weights() const { return weights_; }
    // The last finished suggestion.
    const SearchResult& LastSearch() const { return lastSearch_; }

    LongWork Work() const { return work_; }
    bool Suggesting() const { return work_ == LongWork::Suggestion; }
    // The computer is finding (or about to play) its move: the position is its.
    bool ComputerThinking() const { return work_ == LongWork::ComputerMove; }
    // An engine game or the evolution: the board belongs to it.
    bool Tuning() const { return work_ == LongWork::EngineGame || work_ == LongWork::Evolution; }

    // What "Play Round" and "Run Genetic Algorithm" run; tests shorten them.
    int32_t PlayRoundDepth = 9;
    int32_t PlayRoundWidth = 3;
    int EvolutionRounds = 100;
    std::optional<uint32_t> EvolutionSeed;  // the UTC time of day when empty
    std::string TracePath;                  // DefaultTracePath() when empty
    // How long each move of "Play Round" stays on the board before the next.
    int MovePaceMs = 150;
    // The computer's move appears no sooner than this after the move before.
    int ComputerPaceMs = 250;
    // How often the window looks at what long work has noted for it.
    static constexpr int UpdateHz = 40;
    // Runs on the worker thread after each root move of any search; tests use
    // it to act at a known point of the work.
    std::function<void(const SearchProgress&)> WorkerRootMoveHook;

    // ---- the board ----
    void SetSetupMode(bool on);
    bool SetupMode() const { return setupMode_; }
    // A left click on the point: in setup mode its content cycles, otherwise
    // a move on an empty point or a take-back of the last move. Ignored while
    // an engine game owns the board.
    void BoardClick(int32_t column, int32_t row);
    // The Shift preview piece: shown, dragged and taken off again. It is on
    // the board but is not a move.
    void StartPreview(int32_t column, int32_t row, int32_t colour);
    void MovePreview(int32_t column, int32_t row, int32_t colour);
    void EndPreview();
    Point PreviewPoint() const { return dragPoint_; }
    // With one colour played by the computer, take-backs and redos go on
    // until the person is to move: normally the computer's reply and the
    // person's move.
    bool TakeBack();
    bool Redo();
    void NewGame();
    void LoadMoves(const std::vector<Point>& moves);

    // ---- the computer's colours ----
    // Whenever the side to move is a colour the computer plays, nothing else
    // runs, setup mode is off and the board is not full, the computer
    // searches as that colour's suggestion does and plays entry 1 of the
    // line. Once the game is decided it goes on answering moves made by hand;
    // playing both colours, it stops there.
    void SetComputerPlays(int32_t colour, bool on);
    bool ComputerPlays(int32_t colour) const { return computerPlays_[colour]; }
    // Entry 1 of the last suggestion's line, when it was searched for this
    // very position and its side to move.
    bool CanPlaySuggestedMove() const;
    void PlaySuggestedMove();

    // ---- analysis ----
    // Analyses the history's moves 1 to MoveCount, each position with its
    // side to move's search settings; the positions arrive one by one.
    void AnalyseGame();
    // Takes the board through the history (take-backs or redos) to the
    // position after this many moves of the analysed game; false when the
    // history no longer holds that game.
    bool GoToMove(int32_t moves);

    // ---- long work ----
    void Suggest(int32_t colour);
    void PlayRound();
    void RunEvolution();
    // A suggestion ends after the root move in progress; an engine game plays
    // its remaining moves fast and shows them at once; the evolution halts
    // after the game in progress.
    void Cancel();
    bool CancelRequested() { return runner_.SearchEngine().CancelRequested(); }
    // Stops everything at once and waits (briefly) for the worker: the
    // window is closing.
    void Shutdown();

    // The diagnostics listings; quick, so they run here.
    std::vector<std::string> RankedListing(std::string_view decimalSeparator);
    std::vector<std::string> ColourListing(int32_t colour, std::string_view decimalSeparator);

  signals:
    // The pieces (and so the captions and the move count) changed.
    void boardChanged();
    // The side to move may have changed.
    void turnChanged();
    void workStarted(qv::ui::LongWork work);
    // A suggestion for the colour begins, asked for or the computer's own.
    void suggestionStarted(int colour);
    // The "Computer Plays" choices changed (Cancel takes both back).
    void computerPlaysChanged();
    // A move reached a decided position or filled the board: who won, and by
    // what scores ("Blue wins 163 to 140.").
    void gameEnded(const QString& text);
    void workEnded(qv::ui::LongWork work);
    // The progress bar's 0..100 for the search in progress; during long work
    // the latest value, at most UpdateHz times a second.
    void progressChanged(int percent);
    // LastSearch() holds the result; boardChanged has shown its line.
    void suggestionFinished();
    // The common settings switched to full width at depth 5.
    void fullWidthSwitched();
    void evolutionStarted(int rounds);
    // The game in progress (the latest one when several began since the last look).
    void evolutionGameStarting(int round, int game, int redId, int blueId);
    void evolutionRoundFinished(const qv::RoundSummary& summary);
    void analysisStarted(int moves);
    void analysisPosition(const qv::PositionAnalysis& position);
    void analysisFinished(bool complete, double seconds);
    void evolutionHalted();
    // Every round was played and traced.
    void evolutionFinished();
    // The trace could not be created: nothing ran. Or a failure ended the run.
    void evolutionNotStarted(const QString& reason);
    void evolutionFailed(const QString& reason);
    void workFailed(const QString& message);

  private:
    void Changed(bool turn);
    // A move entered the history: announces the end of the game, if it came.
    void Moved(bool endedBefore);
    bool GameOver() const;
    bool BoardFull() const { return game_.board.CountOf(Empty) == 0; }
    // What the settings make of the colour's player, on the live weights.
    PlayerSpec PlayerFor(int32_t colour) const;
    void StartSuggestion(int32_t colour, LongWork work);
    void MaybeComputerMove();
    void PlayComputerMove();
    bool OneComputerColour() const { return computerPlays_[Red] != computerPlays_[Blue]; }
    void Begin(LongWork work);
    void End();
    // Runs the job on the worker; a failure is reported and ends the work.
    void PostJob(std::function<void()> job);
    // From a job: runs f on the window's thread after showing every update
    // noted before it.
    void Deliver(std::function<void()> f);
    // From a job: notes an update for the window, which takes it on its own
    // time (ShowUpdates), so no amount of reporting floods its queue.
    template <class F>
    void Note(F&& change) {
        std::lock_guard lock(updatesMutex_);
        change(updates_);
    }
    void ShowUpdates();
    void ReportProgress(const SearchProgress& p);
    void FinishSuggestion(const SearchResult& result);
    // Engine-game moves, shown one by one at the pace.
    void QueueEngineMove(int32_t column, int32_t row, int32_t colour);
    void ShowQueuedMove();
    void EndEngineGameWhenShown();
    // The evolution's board: the latest one wins, so a quick run is never
    // held back by the window.
    void PublishBoard(const Board& board);

    // What the worker has noted since the window last looked: the latest of
    // each kind that only shows a state, and every round and position in order.
    struct Updates {
        std::optional<int> percent;
        std::optional<Board> board;
        std::optional<std::array<int, 4>> game;  // round, game, red and blue identity
        std::vector<RoundSummary> rounds;
        std::vector<PositionAnalysis> positions;
    };

    qv::Game game_;
    TSettings* settings_ = nullptr;
    PotentialWeights weights_ = DefaultWeights();
    PredictedLine line_{};
    SearchResult lastSearch_;
    SearchChoice lastChoice_{};
    LongWork work_ = LongWork::None;
    bool setupMode_ = false;
    bool computerPlays_[3] = {false, false, false};  // by colour
    // The position and colour of the last finished suggestion.
    Board suggestedFor_;
    int32_t suggestedColour_ = 0;
    QElapsedTimer sinceMove_;  // since the last move entered the history
    QTimer computerTimer_;
    bool computerCancelled_ = false;
    std::vector<Point> analysed_;  // the moves of the game last analysed
    Point dragPoint_;

    std::deque<std::array<int32_t, 3>> queuedMoves_;
    QTimer paceTimer_;
    bool paced_ = true;
    bool gamePlayed_ = false;

    std::mutex updatesMutex_;
    Updates updates_;
    QTimer updateTimer_;

    qv::Engine listingEngine_;
    EngineRunner runner_;
};

}  // namespace qv::ui
