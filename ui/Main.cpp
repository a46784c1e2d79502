#include "ui/Main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSettings>
#include <QStatusBar>
#include <QToolButton>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "model/savedgame.h"
#include "model/scoring.h"
#include "play/levels.h"
#include "ui/About.h"
#include "ui/AnalysisForm.h"
#include "ui/BevelPanel.h"
#include "ui/BoardView.h"
#include "ui/Commands.h"
#include "ui/Dialogs.h"
#include "ui/ErrorReport.h"
#include "ui/EvolutionForm.h"
#include "ui/GlyphIcons.h"
#include "ui/HowToPlay.h"
#include "ui/MovesForm.h"
#include "ui/Settings.h"
#include "ui/Stats.h"
#include "ui/TestInfo.h"
#include "ui/TurnPanel.h"
#include "ui/WindowGeometry.h"

namespace qv::ui {

namespace {

// Designed sizes of the main window's client area, in pixels.
constexpr int kClientWidth = 178;
constexpr int kTopPanelHeight = 50;
constexpr int kBoardHeight = 177;
constexpr int kBottomPanelHeight = 43;
constexpr int kStatusBarHeight = 19;
constexpr int kThinkStripHeight = 19;

const QString kTurnPanelText = QStringLiteral("Color");

void SetTextColour(QPushButton* button, const QColor& colour) {
    QPalette pal = button->palette();
    // A disabled button keeps the greyed text, so a running search shows.
    pal.setColor(QPalette::Active, QPalette::ButtonText, colour);
    pal.setColor(QPalette::Inactive, QPalette::ButtonText, colour);
    button->setPalette(pal);
}

// The glyph says what the button does to the eye only; a screen reader reads the name.
QToolButton* GlyphButton(QWidget* parent, QRect geometry, const QIcon& icon, const QString& name) {
    auto* b = new QToolButton(parent);
    b->setAccessibleName(name);
    b->setAutoRaise(true);
    b->setIcon(icon);
    b->setIconSize(QSize(16, 16));
    b->setGeometry(geometry);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

std::string DecimalSeparator() {
    return QLocale::system().decimalPoint().toStdString();
}

const QString kShowHelpKey = QStringLiteral("help/showAtStartUp");

// At the toolkit's spacing the designed width holds the four classic menus'
// titles and no more: a fifth would send the last two behind the menu bar's
// overflow button. Set closer, every title shows.
class TCompactMenuBarStyle : public QProxyStyle {
  public:
    // Room either side of a title, and between the bar's edge and the first.
    static constexpr int kTitleMargin = 3;

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_MenuBarItemSpacing || metric == PM_MenuBarHMargin) return 0;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        QSize s = QProxyStyle::sizeFromContents(type, option, size, widget);
        if (type == CT_MenuBarItem && !size.isEmpty()) s.setWidth(size.width() + 2 * kTitleMargin);
        return s;
    }
};

QString OpponentCaption(int32_t level) {
    return QStringLiteral("Opponent: ") +
           (level > 0 ? QString::fromStdString(LevelName(level)) : QStringLiteral("Custom"));
}

// Whether the settings describe the same computer players; the rest of the
// dialog (what the board shows, the sound) leaves a level in place.
bool SamePlayers(const TSettings& a, const TSettings& b) {
    return SearchParameters(a, Red) == SearchParameters(b, Red) &&
           SearchParameters(a, Blue) == SearchParameters(b, Blue) &&
           a.SearchThreads == b.SearchThreads;
}

}  // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(kApplicationTitle);
    setFont(WindowFont());
    BuildControls();
    BuildMenu();
    BuildStatusBar();
    BuildFileDialogs();
    FormCreate();
    ConnectController();

    // The client area is laid out by hand; the menu bar's height depends on
    // the platform, so the board area gets its designed 178 x 177 whatever it is.
    move(436, 126);
    resize(kClientWidth, menuBar()->sizeHint().height() + kTopPanelHeight + kBoardHeight +
                             kBottomPanelHeight + kStatusBarHeight);
}

TForm1::~TForm1() = default;

void TForm1::SetWindows(TForm2* form2, TStatsForm* stats, TTestForm* test) {
    Form2 = form2;
    StatsForm = stats;
    TestForm = test;
    Controller.Players.SetSettings(Form2 ? Form2->CurrentSettings : nullptr);
}

void TForm1::SetPictureWindows(TAnalysisForm* analysis, TEvolutionForm* evolution) {
    AnalysisForm = analysis;
    EvolutionForm = evolution;
    const TLongWork& jobs = Controller.Jobs;
    if (analysis) {
        TAnalysisJob& job = Controller.Analysis;
        connect(analysis, &TAnalysisForm::moveChosen, &job, &TAnalysisJob::GoToMove);
        connect(analysis, &TAnalysisForm::cancelClicked, this, [this] {
            if (Controller.Jobs.Work() == LongWork::Analysis) Controller.Cancel();
        });
        connect(&job, &TAnalysisJob::analysisStarted, analysis, &TAnalysisForm::Begin);
        connect(&jobs, &TLongWork::analysisPosition, analysis, &TAnalysisForm::AddPosition);
        connect(&job, &TAnalysisJob::analysisFinished, analysis, &TAnalysisForm::Finish);
    }
    if (evolution) {
        const TTuningJobs& tuning = Controller.Tuning;
        connect(&tuning, &TTuningJobs::evolutionStarted, evolution, [this, evolution](int rounds) {
            evolution->Begin(rounds);
            ShowBeside(evolution, this, {menuBar(), sbCancel});
        });
        connect(
            &jobs, &TLongWork::evolutionGameStarting, evolution,
            [evolution](int round, int game, int, int) { evolution->GameStarting(round, game); });
        connect(&jobs, &TLongWork::evolutionRoundFinished, evolution,
                &TEvolutionForm::RoundFinished);
        connect(&tuning, &TTuningJobs::evolutionFinished, evolution, &TEvolutionForm::Finished);
        connect(&tuning, &TTuningJobs::evolutionNotStarted, evolution, &TEvolutionForm::NotStarted);
        connect(&tuning, &TTuningJobs::evolutionFailed, evolution, &TEvolutionForm::Failed);
    }
}

void TForm1::ConnectController() {
    const TGameSession& session = Controller.Session;
    const TLongWork& jobs = Controller.Jobs;
    const TMoveSearch& search = Controller.Search;
    connect(&session, &TGameSession::boardChanged, this, &TForm1::RepaintMain);
    connect(&session, &TGameSession::turnChanged, this, &TForm1::RepaintStatusBar);
    connect(&jobs, &TLongWork::workStarted, this, [this] {
        pbrThink->setValue(0);
        UpdateCommands();
    });
    connect(&jobs, &TLongWork::workEnded, this, [this] {
        UpdateCommands();
        // Back to the side to move's button, which lost the focus when disabled.
        RepaintStatusBar();
    });
    connect(&jobs, &TLongWork::progressChanged, pbrThink, &QProgressBar::setValue);
    connect(&search, &TMoveSearch::suggestionFinished, this, [this] {
        if (StatsForm) StatsForm->ShowSearch(Controller.Search.LastSearch());
        if (Controller.Players.Settings().Sound) QApplication::beep();
    });
    connect(&search, &TMoveSearch::fullWidthSwitched, this, [this] {
        if (Form2 && Form2->CurrentSettings) {
            Form2->DisplaySettings(*Form2->CurrentSettings);
            // Not the user's change: a level in use stays.
            levelSettings_ = *Form2->CurrentSettings;
        }
    });
    connect(&jobs, &TLongWork::evolutionGameStarting, this,
            [this](int round, int, int redId, int blueId) {
                Label2->setText(QString::asprintf("%d: %d vs. %d", round, redId, blueId));
            });
    connect(&Controller.Tuning, &TTuningJobs::evolutionHalted, this, [this] {
        // The evolution window says so before the box waits for its OK.
        if (EvolutionForm) EvolutionForm->Halted();
        Dialogs().MessageBox(this, QMessageBox::NoIcon, kApplicationTitle,
                             QStringLiteral("Evolution halted"));
    });
    connect(&jobs, &TLongWork::workFailed, this,
            [](const QString& message) { ReportError(message); });
    connect(&search, &TMoveSearch::suggestionStarted, this, [this](int colour) {
        if (StatsForm) StatsForm->SetScoreColour(ColourRgb(colour));
    });
    connect(&Controller.Opponents, &TOpponents::computerPlaysChanged, this,
            &TForm1::UpdateCommands);
    connect(&session, &TGameSession::boardChanged, this, &TForm1::UpdateCommands);
    // Every change of the history (not the Shift preview) reaches the moves list.
    connect(&session, &TGameSession::turnChanged, this, &TForm1::UpdateMoves);
    connect(&session, &TGameSession::gameEnded, this,
            [this](const QString& text) { Dialogs().Notice(this, kApplicationTitle, text); });

    // The board view's points reach the session.
    TGameSession* edits = &Controller.Session;
    pbBoard->SetSession(edits);
    connect(pbBoard, &TBoardView::painting, this, &TForm1::pbBoardPaint);
    connect(pbBoard, &TBoardView::pointClicked, edits, &TGameSession::BoardClick);
    connect(pbBoard, &TBoardView::previewStarted, edits, &TGameSession::StartPreview);
    connect(pbBoard, &TBoardView::previewMoved, edits, &TGameSession::MovePreview);
    connect(pbBoard, &TBoardView::previewEnded, edits, &TGameSession::EndPreview);
    connect(pbBoard, &TBoardView::pointHovered, this, [this](int column, int row) {
        statusPanels_[0]->setText(QString::fromStdString(PointName(column, row)));
    });
}

void TForm1::BuildControls() {
    client_ = new QWidget(this);
    setCentralWidget(client_);

    Panel2 = new TBevelPanel(client_);
    blueHolder_ = new QWidget(Panel2);
    bbBlue = new QPushButton(QStringLiteral("bbBlue"), blueHolder_);
    bbBlue->setGeometry(4, 4, 65, 23);
    bbBlue->setToolTip(QStringLiteral("Suggest Move for Blue"));
    redHolder_ = new QWidget(Panel2);
    bbRed = new QPushButton(QStringLiteral("bbRed"), redHolder_);
    bbRed->setGeometry(2, 4, 65, 22);
    bbRed->setToolTip(QStringLiteral("Suggest Move for Red"));
    // Enter as well as Space asks for a suggestion for the side to move.
    bbBlue->setAutoDefault(true);
    bbRed->setAutoDefault(true);
    SetTextColour(bbBlue, ColourRgb(Blue));
    SetTextColour(bbRed, ColourRgb(Red));
    Label2 = new QLabel(Panel2);
    Label2->setGeometry(75, 5, 78, 23);
    // The label reaches under bbRed's panel: the button stays whole and takes
    // its clicks, and a wider window shows the whole caption.
    Label2->lower();
    Label2->setAttribute(Qt::WA_TransparentForMouseEvents);
    thinkStrip_ = new QWidget(Panel2);
    pbrThink = new QProgressBar(thinkStrip_);
    pbrThink->setRange(0, 100);
    pbrThink->setValue(0);
    pbrThink->setTextVisible(false);
    pbrThink->setAccessibleName(QStringLiteral("Search progress"));

    pbBoard = new TBoardView(client_, QRect(0, kTopPanelHeight, kClientWidth, kBoardHeight));
    pbBoard->setObjectName(QStringLiteral("pbBoard"));
    pbBoard->setAccessibleName(QStringLiteral("Board"));

    Panel1 = new TBevelPanel(client_);
    sbBack = GlyphButton(Panel1, QRect(8, 9, 25, 25), BackGlyph(), QStringLiteral("Undo 1 move"));
    sbBack->setToolTip(QStringLiteral("Undo 1 move"));
    sbForward =
        GlyphButton(Panel1, QRect(37, 9, 25, 25), ForwardGlyph(), QStringLiteral("Redo 1 Move"));
    sbForward->setToolTip(QStringLiteral("Redo 1 Move"));
    sbCancel = GlyphButton(Panel1, QRect(69, 9, 25, 26), CancelGlyph(), QStringLiteral("Cancel"));

    connect(bbBlue, &QPushButton::clicked, this, &TForm1::Blue1Click);
    connect(bbRed, &QPushButton::clicked, this, &TForm1::Red1Click);
    connect(sbBack, &QToolButton::clicked, this, &TForm1::sbBackClick);
    connect(sbForward, &QToolButton::clicked, this, &TForm1::sbForwardClick);
    connect(sbCancel, &QToolButton::clicked, this, &TForm1::sbCancelClick);
}

void TForm1::BuildMenu() {
    QMenuBar* bar = menuBar();
    auto* compact = new TCompactMenuBarStyle;
    compact->setParent(bar);
    bar->setStyle(compact);
    auto item = [this](QMenu* menu, const QString& text, void (TForm1::*handler)()) {
        QAction* a = menu->addAction(text);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    QMenu* file = bar->addMenu(QStringLiteral("File"));
    ClearBoard1 = item(file, QStringLiteral("New"), &TForm1::ClearBoard1Click);
    SaveGame1 = item(file, QStringLiteral("Save"), &TForm1::SaveGame1Click);
    LoadGame1 = item(file, QStringLiteral("Load"), &TForm1::LoadGame1Click);
    QMenu* options = bar->addMenu(QStringLiteral("Options"));
    Settings1 = item(options, QStringLiteral("Settings..."), &TForm1::Settings1Click);
    ShowStatistics1 =
        item(options, QStringLiteral("Show Statistics"), &TForm1::ShowStatistics1Click);
    SetupMode1 = item(options, QStringLiteral("Setup Mode"), &TForm1::Toggle);
    SetupMode1->setCheckable(true);
    QMenu* game = bar->addMenu(QStringLiteral("Game"));
    ComputerPlaysBlue1 =
        item(game, QStringLiteral("Computer Plays Blue"), &TForm1::ComputerPlaysBlue1Click);
    ComputerPlaysBlue1->setCheckable(true);
    ComputerPlaysRed1 =
        item(game, QStringLiteral("Computer Plays Red"), &TForm1::ComputerPlaysRed1Click);
    ComputerPlaysRed1->setCheckable(true);
    PlaySuggestedMove1 =
        item(game, QStringLiteral("Play Suggested Move"), &TForm1::PlaySuggestedMove1Click);
    PlaySuggestedMove1->setEnabled(false);
    game->addSeparator();
    AnalyseGame1 = item(game, QStringLiteral("Analyse Game"), &TForm1::AnalyseGame1Click);
    ShowAnalysis1 = item(game, QStringLiteral("Show Analysis"), &TForm1::ShowAnalysis1Click);
    QMenu* temp = bar->addMenu(QStringLiteral("Temp"));
    GetPotentials1 = item(temp, QStringLiteral("Get Potentials"), &TForm1::GetPotentials1Click);
    GetBluePotentials1 =
        item(temp, QStringLiteral("Get Blue Potentials"), &TForm1::GetBluePotentials1Click);
    GetRedPotentials1 =
        item(temp, QStringLiteral("Get Red Potentials"), &TForm1::GetRedPotentials1Click);
    PlayRound1 = item(temp, QStringLiteral("Play Round"), &TForm1::PlayRound1Click);
    RunGeneticAlgorithm1 =
        item(temp, QStringLiteral("Run Genetic Algorithm"), &TForm1::RunGeneticAlgorithm1Click);

    // Beyond the classic menus, after their items, which keep their places.
    game->addSeparator();
    NewGame1 = item(game, QStringLiteral("New Game\u2026"), &TForm1::NewGame1Click);
    NewGame1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    Opponent1 = game->addAction(OpponentCaption(0));
    Opponent1->setEnabled(false);
    ShowMoves1 = item(game, QStringLiteral("Show Moves"), &TForm1::ShowMoves1Click);
    QMenu* help = bar->addMenu(QStringLiteral("Help"));
    HowToPlay1 = item(help, QStringLiteral("How to Play"), &TForm1::HowToPlay1Click);
    HowToPlay1->setShortcut(QKeySequence::HelpContents);
    About1 = item(help, kAboutCaption, &TForm1::About1Click);

    // The shortcuts desktop programs have; the buttons keep their own keys.
    ClearBoard1->setShortcut(QKeySequence::New);
    LoadGame1->setShortcut(QKeySequence::Open);
    SaveGame1->setShortcut(QKeySequence::Save);
    Settings1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    PlaySuggestedMove1->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    Undo1 = new QAction(QStringLiteral("Undo 1 move"), this);
    Undo1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    Redo1 = new QAction(QStringLiteral("Redo 1 Move"), this);
    Redo1->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    for (QAction* a : {Undo1, Redo1}) {
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
    }
    // Through the buttons, so a disabled button's key does nothing either.
    connect(Undo1, &QAction::triggered, this, [this] {
        if (sbBack->isEnabled()) sbBack->click();
    });
    connect(Redo1, &QAction::triggered, this, [this] {
        if (sbForward->isEnabled()) sbForward->click();
    });
}

void TForm1::BuildStatusBar() {
    sbStatusBar = new QStatusBar(this);
    sbStatusBar->setFixedHeight(kStatusBarHeight);
    setStatusBar(sbStatusBar);
    const QString initial[4] = {QStringLiteral("Position"), QStringLiteral("Move:"), kTurnPanelText,
                                QString()};
    const int widths[4] = {50, 50, 20, 50};
    int left = 0;
    for (int i = 0; i < 4; ++i) {
        QWidget* w;
        if (i == 2) {
            TurnPanel = new TTurnPanel(initial[i], sbStatusBar);
            TurnPanel->OnDrawPanel = [this](QPainter& p, const QString& text, const QRect& r) {
                sbStatusBarDrawPanel(p, text, r);
            };
            w = TurnPanel;
        } else {
            auto* label = new QLabel(initial[i], sbStatusBar);
            label->setAlignment(Qt::AlignCenter);
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            statusPanels_[i] = label;
            w = label;
        }
        // Placed by hand: the status bar's own layout would make the window
        // wider than its designed 178 pixels.
        w->setGeometry(left, 0, widths[i], kStatusBarHeight);
        left += widths[i];
    }
}

void TForm1::BuildFileDialogs() {
    const QStringList filters = {QStringLiteral("Quadrivnae Game (*.qdv)"),
                                 QStringLiteral("All (*)")};
    // Kept for the whole run, so each remembers the last file chosen in it.
    sdGameSave = new QFileDialog(this, QStringLiteral("Save Quadrivane Game As"));
    sdGameSave->setAcceptMode(QFileDialog::AcceptSave);
    sdGameSave->setFileMode(QFileDialog::AnyFile);
    sdGameSave->setNameFilters(filters);
    sdGameSave->setDefaultSuffix(QStringLiteral("qdv"));
    sdGameSave->setOption(QFileDialog::DontConfirmOverwrite);

    odGameOpen = new QFileDialog(this, QStringLiteral("Open Quadrivane Game"));
    odGameOpen->setAcceptMode(QFileDialog::AcceptOpen);
    // A typed name of a missing file is accepted; opening it then reports the error.
    odGameOpen->setFileMode(QFileDialog::AnyFile);
    odGameOpen->setNameFilters(filters);
}

void TForm1::FormCreate() {
    // The board view has its creation geometry; the controller starts with
    // the empty game, no predicted line and the default weights.
    RepaintStatusBar();
}

void TForm1::FormResize() {
    const int w = client_->width();
    const int h = client_->height();
    Panel2->setGeometry(0, 0, w, kTopPanelHeight);
    blueHolder_->setGeometry(2, 2, 74, kTopPanelHeight - 4 - kThinkStripHeight);
    redHolder_->setGeometry(w - 2 - 71, 2, 71, kTopPanelHeight - 4 - kThinkStripHeight);
    thinkStrip_->setGeometry(2, kTopPanelHeight - 2 - kThinkStripHeight, std::max(0, w - 4),
                             kThinkStripHeight);
    pbrThink->setGeometry(0, 3, thinkStrip_->width(), 14);
    const int boardHeight = std::max(0, h - kTopPanelHeight - kBottomPanelHeight);
    pbBoard->setGeometry(0, kTopPanelHeight, w, boardHeight);
    Panel1->setGeometry(0, kTopPanelHeight + boardHeight, w, kBottomPanelHeight);
    // The board view has applied the resize rule to its new size.
    update();
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The captions and the move count follow the board from the first time
    // it is on screen.
    UpdateBoardDependents();
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Whatever runs stops at once; nothing it would still report is shown.
    Controller.Shutdown();
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    QMainWindow::closeEvent(event);
}

void TForm1::UpdateCommands() {
    const CommandsEnabled e =
        EnabledCommands(Controller.Jobs.Work(), Controller.Search.CanPlaySuggestedMove());
    for (QPushButton* b : {bbRed, bbBlue}) b->setEnabled(e.suggest);
    for (QToolButton* b : {sbBack, sbForward}) b->setEnabled(e.history);
    for (QAction* a : {ClearBoard1, NewGame1, LoadGame1, SetupMode1}) a->setEnabled(e.game);
    for (QAction* a : {GetPotentials1, GetBluePotentials1, GetRedPotentials1})
        a->setEnabled(e.listings);
    for (QAction* a : {PlayRound1, RunGeneticAlgorithm1}) a->setEnabled(e.tuning);
    AnalyseGame1->setEnabled(e.analyse);
    PlaySuggestedMove1->setEnabled(e.playSuggested);
    ComputerPlaysBlue1->setChecked(Controller.Opponents.ComputerPlays(Blue));
    ComputerPlaysRed1->setChecked(Controller.Opponents.ComputerPlays(Red));
    const int32_t level = Controller.Opponents.Level();
    if (level != shownLevel_) {
        shownLevel_ = level;
        Opponent1->setText(OpponentCaption(level));
        // However the level came, a later change of the settings is told from this.
        if (Form2 && Form2->CurrentSettings) levelSettings_ = *Form2->CurrentSettings;
    }
    if (e.waitCursor && !QApplication::overrideCursor())
        QApplication::setOverrideCursor(Qt::WaitCursor);
    while (!e.waitCursor && QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

// ---- painting ----

void TForm1::RepaintMain() {
    UpdateBoardDependents();
    pbBoard->repaint();
}

void TForm1::RepaintStatusBar() {
    // A screen reader cannot see the panel's colour; its name says the same.
    const QString name = Controller.Session.RealSideToMove() == Red
                             ? QStringLiteral("Red to move")
                             : QStringLiteral("Blue to move");
    if (TurnPanel->accessibleName() != name) TurnPanel->setAccessibleName(name);
    TurnPanel->repaint();
}

QString TForm1::StatusText(int panel) const {
    if (panel == 2) return TurnPanel->Text();
    return statusPanels_[panel]->text();
}

void TForm1::pbBoardPaint(QPainter& canvas) {
    canvas.setFont(font());
    const Point last =
        Game.MoveCount >= 1 && Game.MoveCount <= 64 ? Game.MoveHistory[Game.MoveCount] : Point{};
    DrawBoard(canvas, Game.board, Controller.Session.Line(), Controller.Players.Settings(),
              pbBoard->Geometry(), last);
}

void TForm1::UpdateBoardDependents() {
    const Board& b = Game.board;
    const auto [pr, pb] = ProjectedScores(b, Red);
    bbRed->setText(ScoreCaption(TotalScore(Red, b), pr));
    bbBlue->setText(ScoreCaption(TotalScore(Blue, b), pb));
    const ButtonColours colours = ButtonTextColours(b);
    SetTextColour(bbRed, colours.red);
    SetTextColour(bbBlue, colours.blue);
    statusPanels_[1]->setText(QString::number(Game.MoveCount));
}

void TForm1::sbStatusBarDrawPanel(QPainter& canvas, const QString& panelText, const QRect& rect) {
    if (panelText == kTurnPanelText) DrawTurnPanel(canvas, rect);
}

void TForm1::DrawTurnPanel(QPainter& canvas, const QRect& rect) {
    // The panel (and the focus) keep showing the side to move of the real
    // position even when the toolkit redraws the status bar during a preview.
    const bool redToMove = Controller.Session.RealSideToMove() == Red;
    QPushButton* button = redToMove ? bbRed : bbBlue;
    // While a suggestion runs both buttons are disabled and the focus stays put;
    // someone playing on the board from the keyboard keeps it there.
    const bool keyboardPlay = focusWidget() == pbBoard && pbBoard->KeyboardPlay();
    if (button->isVisible() && button->isEnabled() && !keyboardPlay)
        button->setFocus(Qt::OtherFocusReason);
    canvas.setPen(Qt::black);
    canvas.setBrush(ColourRgb(redToMove ? Red : Blue));
    canvas.drawRect(rect.adjusted(0, 0, -1, -1));
}

// ---- mouse ----

void TForm1::pbBoardMouseDown(Qt::MouseButton button, bool shift, int x, int y) {
    pbBoard->MouseDown(button, shift, x, y);
}

void TForm1::pbBoardMouseMove(Qt::MouseButtons buttons, bool shift, int x, int y) {
    pbBoard->MouseMove(buttons, shift, x, y);
}

void TForm1::pbBoardMouseUp(Qt::MouseButton, int, int) {
    pbBoard->MouseUp();
}

// ---- buttons ----

// The statistics text takes the colour's RGB as the suggestion starts.
void TForm1::Blue1Click() {
    Controller.Search.Suggest(Blue);
}

void TForm1::Red1Click() {
    Controller.Search.Suggest(Red);
}

void TForm1::sbBackClick() {
    Controller.Session.TakeBack();
}

void TForm1::sbForwardClick() {
    Controller.Session.Redo();
}

void TForm1::sbCancelClick() {
    Controller.Cancel();
}

// ---- menu ----

bool TForm1::ConfirmNewGame() {
    // Halves of the sums, not the window's centre: the box has always opened there.
    const QRect frame = frameGeometry();
    const QPoint at((frame.left() + frame.width()) / 2, (frame.top() + frame.height()) / 2);
    return Dialogs().Confirm(this, QStringLiteral("Confirm"), QStringLiteral("Are you sure"), at);
}

void TForm1::ClearBoard1Click() {
    if (Controller.Jobs.Tuning()) return;
    if (!ConfirmNewGame()) return;
    Controller.Session.NewGame();
}

void TForm1::NewGame1Click() {
    if (Controller.Jobs.BoardLocked()) return;
    QStringList levels;
    for (int32_t n = 1; n <= kLevels; ++n) levels << QString::fromStdString(LevelName(n));
    TNewGameDialog dialog(levels, newGameChoice_, this);
    const std::optional<NewGameChoice> choice = dialog.Ask();
    if (!choice) return;
    // Only a game in progress has something to lose.
    if (Game.board.Pieces() > 0 && !ConfirmNewGame()) return;
    // The box may have waited while a search ended or began.
    if (Controller.Jobs.BoardLocked()) return;
    newGameChoice_ = *choice;
    if (Form2 && Form2->CurrentSettings) {
        Form2->CurrentSettings->ShowSquares = choice->showSquares;
        Form2->DisplaySettings(*Form2->CurrentSettings);
    }
    Controller.Opponents.SetLevel(choice->level);
    Controller.Search.GameSeed = QRandomGenerator::global()->generate64();
    Controller.Opponents.NewGame(choice->ComputerPlays(Blue), choice->ComputerPlays(Red));
    RepaintMain();
}

void TForm1::SaveGame1Click() {
    sdGameSave->selectNameFilter(sdGameSave->nameFilters().front());
    const std::optional<QString> name = Dialogs().RunFileDialog(*sdGameSave);
    if (!name) return;
    CurrentFileName = *name;
    try {
        SaveGameFile(QFile::encodeName(CurrentFileName).toStdString(), Game.MoveHistory);
    } catch (const std::exception& e) {
        ReportError(QString::fromStdString(e.what()));
    }
}

void TForm1::LoadGame1Click() {
    if (Controller.Jobs.Tuning()) return;
    odGameOpen->selectNameFilter(odGameOpen->nameFilters().front());
    const std::optional<QString> name = Dialogs().RunFileDialog(*odGameOpen);
    if (!name) return;
    CurrentFileName = *name;
    try {
        // The whole file is checked before the game is touched.
        const std::vector<Point> moves =
            LoadGameFile(QFile::encodeName(CurrentFileName).toStdString());
        Controller.Session.LoadMoves(moves);
    } catch (const std::exception& e) {
        ReportError(QString::fromStdString(e.what()));
    }
}

void TForm1::Settings1Click() {
    if (Form2) {
        Form2->show();
        Form2->raise();
        Form2->activateWindow();
    }
    RepaintMain();
}

void TForm1::ShowStatistics1Click() {
    if (!StatsForm) return;
    StatsForm->show();
    StatsForm->raise();
}

void TForm1::Toggle() {
    Controller.Session.SetSetupMode(SetupMode1->isChecked());
    RepaintMain();
}

// ---- diagnostics ----

void TForm1::GetPotentials1Click() {
    if (Controller.Jobs.Tuning() || !TestForm) return;
    TestForm->ShowListing(Controller.Tuning.RankedListing(DecimalSeparator()));
}

void TForm1::GetBluePotentials1Click() {
    if (Controller.Jobs.Tuning() || !TestForm) return;
    TestForm->ShowListing(Controller.Tuning.ColourListing(Blue, DecimalSeparator()));
}

void TForm1::GetRedPotentials1Click() {
    if (Controller.Jobs.Tuning() || !TestForm) return;
    TestForm->ShowListing(Controller.Tuning.ColourListing(Red, DecimalSeparator()));
}

// ---- engine games and the evolution ----

void TForm1::PlayRound1Click() {
    Controller.Tuning.PlayRound();
}

void TForm1::RunGeneticAlgorithm1Click() {
    Controller.Tuning.RunEvolution();
}

// ---- playing against the computer ----

void TForm1::ComputerPlaysBlue1Click() {
    Controller.Opponents.SetComputerPlays(Blue, ComputerPlaysBlue1->isChecked());
}

void TForm1::ComputerPlaysRed1Click() {
    Controller.Opponents.SetComputerPlays(Red, ComputerPlaysRed1->isChecked());
}

void TForm1::PlaySuggestedMove1Click() {
    Controller.Search.PlaySuggestedMove();
}

void TForm1::AnalyseGame1Click() {
    if (!Controller.Jobs.Idle()) return;
    ShowAnalysis1Click();
    Controller.Analysis.AnalyseGame();
}

void TForm1::ShowAnalysis1Click() {
    if (AnalysisForm) ShowBeside(AnalysisForm, this, {menuBar(), sbCancel});
}

void TForm1::SettingsApplied() {
    if (Form2 && Form2->CurrentSettings) {
        const TSettings& now = *Form2->CurrentSettings;
        if (Controller.Opponents.Level() != 0 && !SamePlayers(now, levelSettings_))
            Controller.Opponents.SetLevel(0);
        levelSettings_ = now;
    }
    RepaintMain();
}

// ---- the game's moves and the help ----

void TForm1::ShowMoves1Click() {
    if (!moves_) {
        moves_ = std::make_unique<TMovesForm>();
        MovesForm = moves_.get();
        // As the analysis does: through the history, the moves after kept for redo.
        connect(MovesForm, &TMovesForm::moveChosen, this,
                [this](int moves) { Controller.Session.GoToMove(moves); });
    }
    MovesForm->SetGame(Game);
    ShowBeside(MovesForm, this, {menuBar(), sbCancel});
}

void TForm1::UpdateMoves() {
    if (MovesForm && MovesForm->isVisible()) MovesForm->SetGame(Game);
}

void TForm1::HowToPlay1Click() {
    if (!howToPlay_) {
        howToPlay_ = std::make_unique<THowToPlayForm>();
        HowToPlayForm = howToPlay_.get();
        HowToPlayForm->SetShowAtStartUp(QSettings().value(kShowHelpKey, true).toBool());
        connect(HowToPlayForm, &THowToPlayForm::showAtStartUpChanged, this,
                [](bool show) { QSettings().setValue(kShowHelpKey, show); });
    }
    ShowBeside(HowToPlayForm, this, {menuBar(), sbCancel});
    HowToPlayForm->activateWindow();
}

void TForm1::ShowHelpIfWanted() {
    if (QSettings().value(kShowHelpKey, true).toBool()) HowToPlay1Click();
}

void TForm1::About1Click() {
    ShowAbout(this);
}

}  // namespace qv::ui
