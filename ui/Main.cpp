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
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QToolButton>
#include <exception>

#include "engine/report.h"
#include "model/savedgame.h"
#include "model/scoring.h"
#include "ui/AnalysisForm.h"
#include "ui/BevelPanel.h"
#include "ui/BoardView.h"
#include "ui/Dialogs.h"
#include "ui/ErrorReport.h"
#include "ui/EvolutionForm.h"
#include "ui/GlyphIcons.h"
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

std::string ThousandsSeparator() {
    return QLocale::system().groupSeparator().toStdString();
}

std::string DecimalSeparator() {
    return QLocale::system().decimalPoint().toStdString();
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
    Controller.SetSettings(Form2 ? Form2->CurrentSettings : nullptr);
}

const TSettings& TForm1::Settings() const {
    return Controller.Settings();
}

void TForm1::SetPictureWindows(TAnalysisForm* analysis, TEvolutionForm* evolution) {
    AnalysisForm = analysis;
    EvolutionForm = evolution;
    if (analysis) {
        connect(analysis, &TAnalysisForm::moveChosen, this,
                [this](int moves) { Controller.GoToMove(moves); });
        connect(analysis, &TAnalysisForm::cancelClicked, this, [this] {
            if (Controller.Work() == LongWork::Analysis) Controller.Cancel();
        });
        connect(&Controller, &GameController::analysisStarted, analysis, &TAnalysisForm::Begin);
        connect(&Controller, &GameController::analysisPosition, analysis,
                &TAnalysisForm::AddPosition);
        connect(&Controller, &GameController::analysisFinished, analysis, &TAnalysisForm::Finish);
    }
    if (evolution) {
        connect(&Controller, &GameController::evolutionStarted, evolution,
                [this, evolution](int rounds) {
                    evolution->Begin(rounds);
                    ShowBeside(evolution);
                });
        connect(
            &Controller, &GameController::evolutionGameStarting, evolution,
            [evolution](int round, int game, int, int) { evolution->GameStarting(round, game); });
        connect(&Controller, &GameController::evolutionRoundFinished, evolution,
                &TEvolutionForm::RoundFinished);
        connect(&Controller, &GameController::evolutionFinished, evolution,
                &TEvolutionForm::Finished);
        connect(&Controller, &GameController::evolutionNotStarted, evolution,
                &TEvolutionForm::NotStarted);
        connect(&Controller, &GameController::evolutionFailed, evolution, &TEvolutionForm::Failed);
    }
}

void TForm1::ConnectController() {
    connect(&Controller, &GameController::boardChanged, this, &TForm1::RepaintMain);
    connect(&Controller, &GameController::turnChanged, this, &TForm1::RepaintStatusBar);
    connect(&Controller, &GameController::workStarted, this, &TForm1::WorkStarted);
    connect(&Controller, &GameController::workEnded, this, &TForm1::WorkEnded);
    connect(&Controller, &GameController::progressChanged, pbrThink, &QProgressBar::setValue);
    connect(&Controller, &GameController::suggestionFinished, this, &TForm1::SuggestionFinished);
    connect(&Controller, &GameController::fullWidthSwitched, this, [this] {
        if (Form2 && Form2->CurrentSettings) Form2->DisplaySettings(*Form2->CurrentSettings);
    });
    connect(&Controller, &GameController::evolutionGameStarting, this,
            [this](int round, int, int redId, int blueId) {
                Label2->setText(QString::asprintf("%d: %d vs. %d", round, redId, blueId));
            });
    connect(&Controller, &GameController::evolutionHalted, this, [this] {
        // The evolution window says so before the box waits for its OK.
        if (EvolutionForm) EvolutionForm->Halted();
        Dialogs().MessageBox(this, QMessageBox::NoIcon, kApplicationTitle,
                             QStringLiteral("Evolution halted"));
    });
    connect(&Controller, &GameController::workFailed, this,
            [](const QString& message) { ReportError(message); });
    connect(&Controller, &GameController::suggestionStarted, this, [this](int colour) {
        if (StatsForm) StatsForm->SetScoreColour(ColourRgb(colour));
    });
    connect(&Controller, &GameController::computerPlaysChanged, this, &TForm1::UpdateGameMenu);
    connect(&Controller, &GameController::boardChanged, this, &TForm1::UpdateGameMenu);
    connect(&Controller, &GameController::gameEnded, this,
            [this](const QString& text) { Dialogs().Notice(this, kApplicationTitle, text); });
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

    pbBoard = new TBoardView(client_);
    pbBoard->setObjectName(QStringLiteral("pbBoard"));
    pbBoard->setAccessibleName(QStringLiteral("Board"));
    pbBoard->setGeometry(0, kTopPanelHeight, kClientWidth, kBoardHeight);
    pbBoard->OnPaint = [this](QPainter& p) { pbBoardPaint(p); };
    pbBoard->OnMouseDown = [this](Qt::MouseButton b, bool shift, int x, int y) {
        pbBoardMouseDown(b, shift, x, y);
    };
    pbBoard->OnMouseMove = [this](Qt::MouseButtons b, bool shift, int x, int y) {
        pbBoardMouseMove(b, shift, x, y);
    };
    pbBoard->OnMouseUp = [this](Qt::MouseButton b, int x, int y) { pbBoardMouseUp(b, x, y); };

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
    const BoardGeometry g = CreationGeometry(pbBoard->width(), pbBoard->height());
    CellSize = g.CellSize;
    PieceDiameter = g.PieceDiameter;
    // The controller starts with the empty game, no predicted line and the
    // default weights.
    UpdateTurnName();
}

void TForm1::LayoutClient() {
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
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TForm1::FormResize() {
    LayoutClient();
    const BoardGeometry g = ResizeGeometry(pbBoard->width(), pbBoard->height());
    CellSize = g.CellSize;
    PieceDiameter = g.PieceDiameter;
    update();
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The captions and the move count follow the board from the first time
    // it is on screen.
    UpdateBoardDependents();
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Whatever runs stops at once; nothing it would still report is shown.
    closing_ = true;
    Controller.Shutdown();
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    QMainWindow::closeEvent(event);
}

void TForm1::SetCommandsEnabled(bool enabled) {
    for (QWidget* w : {static_cast<QWidget*>(bbBlue), static_cast<QWidget*>(bbRed),
                       static_cast<QWidget*>(sbBack), static_cast<QWidget*>(sbForward)})
        w->setEnabled(enabled);
    for (QAction* a : {ClearBoard1, LoadGame1, SetupMode1, GetPotentials1, GetBluePotentials1,
                       GetRedPotentials1, PlayRound1, RunGeneticAlgorithm1})
        a->setEnabled(enabled);
}

void TForm1::WorkStarted(LongWork work) {
    pbrThink->setValue(0);
    UpdateGameMenu();
    if (work == LongWork::Suggestion || work == LongWork::ComputerMove ||
        work == LongWork::Analysis) {
        // Only the suggestion buttons and the other long work wait for it.
        bbRed->setEnabled(false);
        bbBlue->setEnabled(false);
        PlayRound1->setEnabled(false);
        RunGeneticAlgorithm1->setEnabled(false);
        // The computer's position is its own until it has moved.
        if (work == LongWork::ComputerMove)
            for (QWidget* w : {static_cast<QWidget*>(sbBack), static_cast<QWidget*>(sbForward)})
                w->setEnabled(false);
        for (QAction* a : {ClearBoard1, LoadGame1, SetupMode1})
            a->setEnabled(work != LongWork::ComputerMove);
        return;
    }
    SetCommandsEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void TForm1::WorkEnded(LongWork work) {
    UpdateGameMenu();
    if (work == LongWork::Suggestion || work == LongWork::ComputerMove ||
        work == LongWork::Analysis) {
        bbRed->setEnabled(true);
        bbBlue->setEnabled(true);
        PlayRound1->setEnabled(true);
        RunGeneticAlgorithm1->setEnabled(true);
        for (QWidget* w : {static_cast<QWidget*>(sbBack), static_cast<QWidget*>(sbForward)})
            w->setEnabled(true);
        for (QAction* a : {ClearBoard1, LoadGame1, SetupMode1}) a->setEnabled(true);
    } else {
        SetCommandsEnabled(true);
    }
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    // Back to the side to move's button, which lost the focus when disabled.
    RepaintStatusBar();
}

void TForm1::SuggestionFinished() {
    const SearchResult& s = Controller.LastSearch();
    if (StatsForm) {
        StatsForm->SetScore(QString::fromStdString(s.caption));
        QString stats =
            QString::fromStdString(StatsCaption(static_cast<int64_t>(s.elapsedMs), s.positions,
                                                ThousandsSeparator(), DecimalSeparator()));
        // Only the strong search deepens; its depth leads the same caption.
        if (s.depthReached > 0) stats = QStringLiteral("Depth %1, ").arg(s.depthReached) + stats;
        StatsForm->SetAIStats(stats);
    }
    if (Settings().Sound) QApplication::beep();
}

// ---- painting ----

void TForm1::RepaintMain() {
    UpdateBoardDependents();
    pbBoard->repaint();
}

void TForm1::RepaintStatusBar() {
    UpdateTurnName();
    TurnPanel->repaint();
}

bool TForm1::RedToMove() const {
    // The preview piece is counted with the pieces but is not a move.
    const int32_t pieces = Game.MoveCount - (Controller.PreviewPoint() == Point{0, 0} ? 0 : 1);
    return ColourOfMove(pieces + 1) == Red;
}

void TForm1::UpdateTurnName() {
    // A screen reader cannot see the panel's colour; its name says the same.
    const QString name =
        RedToMove() ? QStringLiteral("Red to move") : QStringLiteral("Blue to move");
    if (TurnPanel->accessibleName() != name) TurnPanel->setAccessibleName(name);
}

QString TForm1::StatusText(int panel) const {
    if (panel == 2) return TurnPanel->Text();
    return statusPanels_[panel]->text();
}

void TForm1::SetStatusText(int panel, const QString& text) {
    statusPanels_[panel]->setText(text);
}

void TForm1::pbBoardPaint(QPainter& canvas) {
    canvas.setFont(font());
    const Point last =
        Game.MoveCount >= 1 && Game.MoveCount <= 64 ? Game.MoveHistory[Game.MoveCount] : Point{};
    DrawBoard(canvas, Game.board, Controller.Line(), Settings(), Geometry(), last);
}

void TForm1::UpdateBoardDependents() {
    const Board& b = Game.board;
    const auto [pr, pb] = ProjectedScores(b, Red);
    bbRed->setText(ScoreCaption(TotalScore(Red, b), pr));
    bbBlue->setText(ScoreCaption(TotalScore(Blue, b), pb));
    const ButtonColours colours = ButtonTextColours(b);
    SetTextColour(bbRed, colours.red);
    SetTextColour(bbBlue, colours.blue);
    SetStatusText(1, QString::number(Game.MoveCount));
}

void TForm1::sbStatusBarDrawPanel(QPainter& canvas, const QString& panelText, const QRect& rect) {
    if (panelText == kTurnPanelText) DrawTurnPanel(canvas, rect);
}

void TForm1::DrawTurnPanel(QPainter& canvas, const QRect& rect) {
    // The panel (and the focus) keep showing the side to move of the real
    // position even when the toolkit redraws the status bar during a preview.
    const bool redToMove = RedToMove();
    QPushButton* button = redToMove ? bbRed : bbBlue;
    // While a suggestion runs both buttons are disabled and the focus stays put.
    if (button->isVisible() && button->isEnabled()) button->setFocus(Qt::OtherFocusReason);
    canvas.setPen(Qt::black);
    canvas.setBrush(ColourRgb(redToMove ? Red : Blue));
    canvas.drawRect(rect.adjusted(0, 0, -1, -1));
}

// ---- mouse ----

void TForm1::pbBoardMouseDown(Qt::MouseButton button, bool shift, int x, int y) {
    if (CellSize <= 0) return;
    const int32_t c = HitTest(x, CellSize), r = HitTest(y, CellSize);
    if (!OnBoard(c, r)) return;
    if (shift && Game.board(c, r) == Empty && Controller.PreviewPoint() == Point{0, 0} &&
        (button == Qt::LeftButton || button == Qt::RightButton)) {
        Controller.StartPreview(c, r, button == Qt::LeftButton ? Blue : Red);
        return;
    }
    if (button != Qt::RightButton) Controller.BoardClick(c, r);
}

void TForm1::pbBoardMouseMove(Qt::MouseButtons buttons, bool shift, int x, int y) {
    if (CellSize <= 0) return;
    const int32_t c = HitTest(x, CellSize), r = HitTest(y, CellSize);
    if (!OnBoard(c, r) || Point{c, r} == HoverPoint) return;
    SetStatusText(0, QString::fromStdString(PointName(c, r)));
    HoverPoint = {c, r};
    if (!shift) return;
    if (buttons.testFlag(Qt::LeftButton))
        Controller.MovePreview(c, r, Blue);
    else if (buttons.testFlag(Qt::RightButton))
        Controller.MovePreview(c, r, Red);
}

void TForm1::pbBoardMouseUp(Qt::MouseButton, int, int) {
    Controller.EndPreview();
}

// ---- buttons ----

// The statistics text takes the colour's RGB as the suggestion starts.
void TForm1::Blue1Click() {
    Controller.Suggest(Blue);
}

void TForm1::Red1Click() {
    Controller.Suggest(Red);
}

void TForm1::sbBackClick() {
    Controller.TakeBack();
}

void TForm1::sbForwardClick() {
    Controller.Redo();
}

void TForm1::sbCancelClick() {
    Controller.Cancel();
}

// ---- menu ----

void TForm1::ClearBoard1Click() {
    if (Controller.Tuning()) return;
    // Halves of the sums, not the window's centre: the box has always opened there.
    const QRect frame = frameGeometry();
    const QPoint at((frame.left() + frame.width()) / 2, (frame.top() + frame.height()) / 2);
    if (!Dialogs().Confirm(this, QStringLiteral("Confirm"), QStringLiteral("Are you sure"), at))
        return;
    Controller.NewGame();
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
    if (Controller.Tuning()) return;
    odGameOpen->selectNameFilter(odGameOpen->nameFilters().front());
    const std::optional<QString> name = Dialogs().RunFileDialog(*odGameOpen);
    if (!name) return;
    CurrentFileName = *name;
    try {
        // The whole file is checked before the game is touched.
        const std::vector<Point> moves =
            LoadGameFile(QFile::encodeName(CurrentFileName).toStdString());
        Controller.LoadMoves(moves);
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
    Controller.SetSetupMode(SetupMode1->isChecked());
    RepaintMain();
}

// ---- diagnostics ----

void TForm1::ShowListing(const std::vector<std::string>& lines) {
    if (!TestForm) return;
    TestForm->show();
    TestForm->raise();
    TestForm->TestMemo->clear();
    for (const std::string& line : lines)
        TestForm->TestMemo->appendPlainText(QString::fromStdString(line));
}

void TForm1::GetPotentials1Click() {
    if (Controller.Tuning()) return;
    ShowListing(Controller.RankedListing(DecimalSeparator()));
}

void TForm1::GetBluePotentials1Click() {
    if (Controller.Tuning()) return;
    ShowListing(Controller.ColourListing(Blue, DecimalSeparator()));
}

void TForm1::GetRedPotentials1Click() {
    if (Controller.Tuning()) return;
    ShowListing(Controller.ColourListing(Red, DecimalSeparator()));
}

// ---- engine games and the evolution ----

void TForm1::PlayRound1Click() {
    Controller.PlayRound();
}

void TForm1::RunGeneticAlgorithm1Click() {
    Controller.RunEvolution();
}

// ---- playing against the computer ----

void TForm1::ComputerPlaysBlue1Click() {
    Controller.SetComputerPlays(Blue, ComputerPlaysBlue1->isChecked());
}

void TForm1::ComputerPlaysRed1Click() {
    Controller.SetComputerPlays(Red, ComputerPlaysRed1->isChecked());
}

void TForm1::PlaySuggestedMove1Click() {
    Controller.PlaySuggestedMove();
}

void TForm1::AnalyseGame1Click() {
    if (Controller.Work() != LongWork::None) return;
    ShowAnalysis1Click();
    Controller.AnalyseGame();
}

void TForm1::ShowAnalysis1Click() {
    if (AnalysisForm) ShowBeside(AnalysisForm);
}

void TForm1::ShowBeside(QWidget* window) {
    const QScreen* screen = this->screen();
    if (!window->property("placed").toBool() && screen) {
        window->setProperty("placed", true);
        // A window not shown yet has no frame to measure; it gets one like this one's.
        const QRect frame = frameGeometry(), client = geometry();
        const QSize border(frame.width() - client.width(), frame.height() - client.height());
        const auto global = [](const QWidget* w) {
            return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
        };
        const QRect outer =
            PlaceBeside(screen->availableGeometry(), frame, {global(menuBar()), global(sbCancel)},
                        window->size() + border,
                        window->minimumSizeHint().expandedTo(window->minimumSize()) + border);
        window->resize(outer.size() - border);
        window->move(outer.topLeft());
    }
    window->show();
    window->raise();
}

void TForm1::UpdateGameMenu() {
    AnalyseGame1->setEnabled(Controller.Work() == LongWork::None);
    ComputerPlaysBlue1->setChecked(Controller.ComputerPlays(Blue));
    ComputerPlaysRed1->setChecked(Controller.ComputerPlays(Red));
    PlaySuggestedMove1->setEnabled(Controller.CanPlaySuggestedMove());
}

}  // namespace qv::ui
