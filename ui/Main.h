#pragma once

#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <memory>

#include "model/game.h"
#include "model/settings.h"
#include "ui/BoardView.h"
#include "ui/GameController.h"
#include "ui/NewGameDialog.h"

class QAction;
class QFileDialog;
class QLabel;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QToolButton;

namespace qv::ui {

class TBevelPanel;
class TAnalysisForm;
class TEvolutionForm;
class TForm2;
class THowToPlayForm;
class TMovesForm;
class TStatsForm;
class TTestForm;
class TTurnPanel;

// The main window: a view of the game controller it owns. Its handlers
// forward to the controller's parts, and its paint draws what they hold;
// the other windows are reached through the pointers below.
class TForm1 : public QMainWindow {
    Q_OBJECT
  public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Set once all four windows exist.
    void SetWindows(TForm2* form2, TStatsForm* stats, TTestForm* test);
    void SetPictureWindows(TAnalysisForm* analysis, TEvolutionForm* evolution);

    GameController Controller;
    // The controller's game, for reading.
    const qv::Game& Game = Controller.Session.Game();
    // The board view's geometry.
    int32_t CellSize() const { return pbBoard->CellSize(); }
    int32_t PieceDiameter() const { return pbBoard->PieceDiameter(); }
    QString CurrentFileName;

    TForm2* Form2 = nullptr;
    TStatsForm* StatsForm = nullptr;
    TTestForm* TestForm = nullptr;
    TAnalysisForm* AnalysisForm = nullptr;
    TEvolutionForm* EvolutionForm = nullptr;
    // Made when first asked for, and kept: "How to Play" and "Show Moves".
    THowToPlayForm* HowToPlayForm = nullptr;
    TMovesForm* MovesForm = nullptr;

    // Opens "How to Play" unless its "Show at start-up" was turned off; for
    // the program's start, not the window's construction.
    void ShowHelpIfWanted();
    // The settings dialog stored its values (OK or Apply): a level gives way
    // when the settings' players changed.
    void SettingsApplied();

    // Synchronous repaint of the board and of everything that follows the
    // board (captions, piece count). The status bar is separate so that the
    // Shift preview does not move the turn panel or the focus.
    void RepaintMain();
    void RepaintStatusBar();
    QString StatusText(int panel) const;
    QLabel* StatusPanel(int panel) const { return statusPanels_[panel]; }  // 0, 1 or 3

    // Controls, named as the handlers refer to them.
    TBevelPanel* Panel2;
    QPushButton* bbBlue;
    QLabel* Label2;
    QPushButton* bbRed;
    QProgressBar* pbrThink;
    TBoardView* pbBoard;
    TBevelPanel* Panel1;
    QToolButton* sbBack;
    QToolButton* sbForward;
    QToolButton* sbCancel;
    QStatusBar* sbStatusBar;
    TTurnPanel* TurnPanel;

    QAction* ClearBoard1;
    QAction* SaveGame1;
    QAction* LoadGame1;
    QAction* Settings1;
    QAction* ShowStatistics1;
    QAction* SetupMode1;
    QAction* GetPotentials1;
    QAction* GetBluePotentials1;
    QAction* GetRedPotentials1;
    QAction* PlayRound1;
    QAction* RunGeneticAlgorithm1;
    QAction* ComputerPlaysBlue1;
    QAction* ComputerPlaysRed1;
    QAction* PlaySuggestedMove1;
    QAction* AnalyseGame1;
    QAction* ShowAnalysis1;
    QAction* NewGame1;
    // Disabled, only a caption: the level the computer plays, or "Custom".
    QAction* Opponent1;
    QAction* ShowMoves1;
    QAction* HowToPlay1;
    QAction* About1;
    // Keyboard only: the buttons' own commands.
    QAction* Undo1;
    QAction* Redo1;

    QFileDialog* sdGameSave;
    QFileDialog* odGameOpen;

  public slots:
    void ClearBoard1Click();
    void SaveGame1Click();
    void LoadGame1Click();
    void Settings1Click();
    void ShowStatistics1Click();
    // Runs after the menu item has inverted its own check mark.
    void Toggle();
    void GetPotentials1Click();
    void GetBluePotentials1Click();
    void GetRedPotentials1Click();
    void PlayRound1Click();
    void RunGeneticAlgorithm1Click();
    void ComputerPlaysBlue1Click();
    void ComputerPlaysRed1Click();
    void PlaySuggestedMove1Click();
    void AnalyseGame1Click();
    void ShowAnalysis1Click();
    void NewGame1Click();
    void ShowMoves1Click();
    void HowToPlay1Click();
    void About1Click();

    void Blue1Click();
    void Red1Click();
    void sbBackClick();
    void sbForwardClick();
    void sbCancelClick();

    void pbBoardPaint(QPainter& canvas);
    // The board view's mouse handling (its signals reach the game session).
    void pbBoardMouseDown(Qt::MouseButton button, bool shift, int x, int y);
    void pbBoardMouseMove(Qt::MouseButtons buttons, bool shift, int x, int y);
    void pbBoardMouseUp(Qt::MouseButton button, int x, int y);

  public:
    void sbStatusBarDrawPanel(QPainter& canvas, const QString& panelText, const QRect& rect);
    void DrawTurnPanel(QPainter& canvas, const QRect& rect);
    void FormResize();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void BuildControls();
    void BuildMenu();
    void BuildStatusBar();
    void BuildFileDialogs();
    void FormCreate();
    // Captions, text colours, the recount and the piece count panel.
    void UpdateBoardDependents();
    void ConnectController();
    // Which commands are enabled, and the Game menu's check marks, follow the
    // work in progress and the last suggestion; set here alone.
    void UpdateCommands();
    // The classic New's question; false when the user said no.
    bool ConfirmNewGame();
    void UpdateMoves();

    // What "New Game..." last started with, offered the next time.
    NewGameChoice newGameChoice_;
    // The settings as they were when the level was last set, to tell a
    // change of their players from a look at the dialog.
    TSettings levelSettings_;
    int32_t shownLevel_ = 0;
    std::unique_ptr<THowToPlayForm> howToPlay_;
    std::unique_ptr<TMovesForm> moves_;

    QLabel* statusPanels_[4] = {};
    QWidget* client_ = nullptr;
    QWidget* blueHolder_ = nullptr;
    QWidget* redHolder_ = nullptr;
    QWidget* thinkStrip_ = nullptr;
};

}  // namespace qv::ui
