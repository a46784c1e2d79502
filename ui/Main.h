#pragma once

#include <QMainWindow>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "model/game.h"
#include "model/settings.h"
#include "ui/BoardDrawing.h"
#include "ui/GameController.h"

class QAction;
class QFileDialog;
class QLabel;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QToolButton;

namespace qv::ui {

class TBevelPanel;
class TBoardView;
class TAnalysisForm;
class TEvolutionForm;
class TForm2;
class TStatsForm;
class TTestForm;
class TTurnPanel;

// The main window: a view of the game controller it owns. Its handlers
// forward to the controller, and its paint draws what the controller holds;
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
    const qv::Game& Game = Controller.Game();
    int32_t CellSize = 0;
    int32_t PieceDiameter = 0;
    Point HoverPoint;  // the point last written to status panel 0
    QString CurrentFileName;

    TForm2* Form2 = nullptr;
    TStatsForm* StatsForm = nullptr;
    TTestForm* TestForm = nullptr;
    TAnalysisForm* AnalysisForm = nullptr;
    TEvolutionForm* EvolutionForm = nullptr;

    // The settings dialog's record; the defaults until the dialog exists.
    const TSettings& Settings() const;
    BoardGeometry Geometry() const { return {CellSize, PieceDiameter}; }

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

    void Blue1Click();
    void Red1Click();
    void sbBackClick();
    void sbForwardClick();
    void sbCancelClick();

  public:
    void pbBoardPaint(QPainter& canvas);
    void pbBoardMouseDown(Qt::MouseButton button, bool shift, int x, int y);
    void pbBoardMouseMove(Qt::MouseButtons buttons, bool shift, int x, int y);
    void pbBoardMouseUp(Qt::MouseButton button, int x, int y);
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
    void LayoutClient();
    // Captions, text colours, the recount and the piece count panel.
    void UpdateBoardDependents();
    void SetStatusText(int panel, const QString& text);
    void ConnectController();
    // The side to move of the real position, a Shift preview piece not counted.
    bool RedToMove() const;
    void UpdateTurnName();
    // Commands that would change the live board or start other long work.
    void SetCommandsEnabled(bool enabled);
    void WorkStarted(LongWork work);
    void WorkEnded(LongWork work);
    void SuggestionFinished();
    // "Play Suggested Move" and the "Computer Plays" check marks follow the controller.
    void UpdateGameMenu();
    // Shows a picture window, beside this one the first time.
    void ShowBeside(QWidget* window);
    void ShowListing(const std::vector<std::string>& lines);

    bool closing_ = false;

    QLabel* statusPanels_[4] = {};
    QWidget* client_ = nullptr;
    QWidget* blueHolder_ = nullptr;
    QWidget* redHolder_ = nullptr;
    QWidget* thinkStrip_ = nullptr;
};

}  // namespace qv::ui
