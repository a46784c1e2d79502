#include "ui/Main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <exception>

#include "model/savedgame.h"
#include "model/scoring.h"
#include "ui/BevelPanel.h"
#include "ui/BoardView.h"
#include "ui/Dialogs.h"
#include "ui/ErrorReport.h"
#include "ui/GlyphIcons.h"
#include "ui/Settings.h"
#include "ui/Stats.h"
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
    pal.setColor(QPalette::ButtonText, colour);
    button->setPalette(pal);
}

QToolButton* GlyphButton(QWidget* parent, QRect geometry, const QIcon& icon) {
    auto* b = new QToolButton(parent);
    b->setAutoRaise(true);
    b->setIcon(icon);
    b->setIconSize(QSize(16, 16));
    b->setGeometry(geometry);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

const TSettings& DefaultSettings() {
    static const TSettings defaults;
    return defaults;
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
}

const TSettings& TForm1::Settings() const {
    if (Form2 && Form2->CurrentSettings) return *Form2->CurrentSettings;
    return DefaultSettings();
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
    thinkStrip_ = new QWidget(Panel2);
    pbrThink = new QProgressBar(thinkStrip_);
    pbrThink->setRange(0, 100);
    pbrThink->setValue(0);
    pbrThink->setTextVisible(false);

    pbBoard = new TBoardView(client_);
    pbBoard->setObjectName(QStringLiteral("pbBoard"));
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
    sbBack = GlyphButton(Panel1, QRect(8, 9, 25, 25), BackGlyph());
    sbBack->setToolTip(QStringLiteral("Undo 1 move"));
    sbForward = GlyphButton(Panel1, QRect(37, 9, 25, 25), ForwardGlyph());
    sbForward->setToolTip(QStringLiteral("Redo 1 Move"));
    sbCancel = GlyphButton(Panel1, QRect(69, 9, 25, 26), CancelGlyph());

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
    QMenu* temp = bar->addMenu(QStringLiteral("Temp"));
    GetPotentials1 = item(temp, QStringLiteral("Get Potentials"), &TForm1::GetPotentials1Click);
    GetBluePotentials1 =
        item(temp, QStringLiteral("Get Blue Potentials"), &TForm1::GetBluePotentials1Click);
    GetRedPotentials1 =
        item(temp, QStringLiteral("Get Red Potentials"), &TForm1::GetRedPotentials1Click);
    PlayRound1 = item(temp, QStringLiteral("Play Round"), &TForm1::PlayRound1Click);
    RunGeneticAlgorithm1 =
        item(temp, QStringLiteral("Run Genetic Algorithm"), &TForm1::RunGeneticAlgorithm1Click);
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
    Game = qv::Game{};
    Engine.Line[1].column = -1;
    Engine.Weights = DefaultWeights();
    DragPoint = Point{0, 0};
    Engine.OnRootMove = [this] {
        pbrThink->setValue(Engine.ProgressPosition);
        QCoreApplication::processEvents();
    };
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

void TForm1::closeEvent(QCloseEvent* event) {
    // A running search ends at its next root move instead of outliving the window.
    Engine.CancelRequested = true;
    QMainWindow::closeEvent(event);
}

// ---- painting ----

void TForm1::RepaintMain() {
    UpdateBoardDependents();
    pbBoard->repaint();
}

void TForm1::RepaintStatusBar() {
    TurnPanel->repaint();
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
    DrawBoard(canvas, Game.board, Engine.Line, Settings(), Geometry());
    UpdateBoardDependents();
}

void TForm1::UpdateBoardDependents() {
    const Board& b = Game.board;
    const auto [pr, pb] = ProjectedScores(b, Red);
    bbRed->setText(ScoreCaption(TotalScore(Red, b), pr));
    bbBlue->setText(ScoreCaption(TotalScore(Blue, b), pb));
    const ButtonColours colours = ButtonTextColours(b);
    SetTextColour(bbRed, colours.red);
    SetTextColour(bbBlue, colours.blue);
    Game.RecountMoves();
    SetStatusText(1, QString::number(Game.MoveCount));
}

void TForm1::sbStatusBarDrawPanel(QPainter& canvas, const QString& panelText, const QRect& rect) {
    if (panelText == kTurnPanelText) DrawTurnPanel(canvas, rect);
}

void TForm1::DrawTurnPanel(QPainter& canvas, const QRect& rect) {
    // The preview piece is counted by the board paint but is not a move: the
    // panel (and the focus) keep showing the side to move of the real position
    // even when the toolkit redraws the status bar during a preview.
    const int32_t pieces = Game.MoveCount - (DragPoint == Point{0, 0} ? 0 : 1);
    const bool redToMove = pieces % 2 != 0;
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

    if (shift && Game.board(c, r) == Empty && DragPoint == Point{0, 0}) {
        if (button == Qt::LeftButton || button == Qt::RightButton) {
            Game.board(c, r) = button == Qt::LeftButton ? Blue : Red;
            DragPoint = {c, r};
            RepaintMain();
            return;
        }
    }
    if (button == Qt::RightButton) return;

    if (SetupMode1->isChecked()) {
        Game.board(c, r) = (Game.board(c, r) + 1) % 3;
        RepaintMain();
        RepaintStatusBar();
        return;
    }
    if (Game.board(c, r) == Empty)
        Game.PlaceMove(c, r);
    else
        Game.RemoveLastMoveAt(c, r);
    RepaintMain();
    RepaintStatusBar();
}

void TForm1::pbBoardMouseMove(Qt::MouseButtons buttons, bool shift, int x, int y) {
    if (CellSize <= 0) return;
    const int32_t c = HitTest(x, CellSize), r = HitTest(y, CellSize);
    if (!OnBoard(c, r) || Point{c, r} == HoverPoint) return;
    SetStatusText(0, QString::fromStdString(PointName(c, r)));
    HoverPoint = {c, r};

    if (!shift || Game.board(c, r) != Empty || DragPoint == Point{0, 0}) return;
    int32_t piece;
    if (buttons.testFlag(Qt::LeftButton))
        piece = Blue;
    else if (buttons.testFlag(Qt::RightButton))
        piece = Red;
    else
        return;
    Game.board(c, r) = piece;
    Game.board(DragPoint.column, DragPoint.row) = Empty;
    DragPoint = {c, r};
    RepaintMain();
}

void TForm1::pbBoardMouseUp(Qt::MouseButton, int, int) {
    if (DragPoint == Point{0, 0}) return;
    Game.board(DragPoint.column, DragPoint.row) = Empty;
    DragPoint = {0, 0};
    RepaintMain();
}

// ---- buttons ----

void TForm1::Blue1Click() {
    if (StatsForm) StatsForm->SetScoreColour(ColourRgb(Blue));
    SuggestMove(Game.board, Blue, SearchParameters(Settings(), Blue));
}

void TForm1::Red1Click() {
    if (StatsForm) StatsForm->SetScoreColour(ColourRgb(Red));
    SuggestMove(Game.board, Red, SearchParameters(Settings(), Red));
}

void TForm1::SuggestMove(const Board&, int32_t, const SearchChoice&) {}

void TForm1::sbBackClick() {
    if (!Game.TakeBackMove()) return;
    RepaintMain();
    RepaintStatusBar();
}

void TForm1::sbForwardClick() {
    if (!Game.RedoMove()) return;
    RepaintMain();
    RepaintStatusBar();
}

void TForm1::sbCancelClick() {
    Engine.CancelRequested = true;
}

// ---- menu ----

void TForm1::ClearBoard1Click() {
    // Halves of the sums, not the window's centre: the box has always opened there.
    const QRect frame = frameGeometry();
    const QPoint at((frame.left() + frame.width()) / 2, (frame.top() + frame.height()) / 2);
    if (!Dialogs().Confirm(this, QStringLiteral("Confirm"), QStringLiteral("Are you sure"), at))
        return;
    Game.ClearGame();
    RepaintMain();
    RepaintStatusBar();
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
    odGameOpen->selectNameFilter(odGameOpen->nameFilters().front());
    const std::optional<QString> name = Dialogs().RunFileDialog(*odGameOpen);
    if (!name) return;
    CurrentFileName = *name;
    try {
        // The whole file is checked before the game is touched.
        const std::vector<Point> moves =
            LoadGameFile(QFile::encodeName(CurrentFileName).toStdString());
        ApplyGame(Game, moves);
    } catch (const std::exception& e) {
        ReportError(QString::fromStdString(e.what()));
        return;
    }
    RepaintMain();
    RepaintStatusBar();
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
    RepaintMain();
}

// The diagnostics, engine games and the evolution fill these in.
void TForm1::GetPotentials1Click() {}
void TForm1::GetBluePotentials1Click() {}
void TForm1::GetRedPotentials1Click() {}
void TForm1::PlayRound1Click() {}
void TForm1::RunGeneticAlgorithm1Click() {}

}  // namespace qv::ui
