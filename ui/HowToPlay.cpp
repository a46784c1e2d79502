#include "ui/HowToPlay.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <initializer_list>

#include "model/scoring.h"
#include "model/settings.h"
#include "ui/AccessibleWindow.h"
#include "ui/BoardDrawing.h"
#include "ui/WindowGeometry.h"

namespace qv::ui {

namespace {

// The board's own look at the designed window size.
const BoardGeometry kPictureGeometry = ResizeGeometry(178, 177);
// Room for the outlines, which are drawn a pixel or two off the centres.
constexpr int kPictureMargin = 4;

Board WithPieces(std::initializer_list<Point> points, int32_t colour) {
    Board b;
    for (const Point& p : points) b(p.column, p.row) = colour;
    return b;
}

QLabel* Paragraph(const QString& text) {
    auto* l = new QLabel(text);
    l->setWordWrap(true);
    return l;
}

QLabel* Heading(const QString& text) {
    auto* l = new QLabel(text);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

// The scrolled page of rules. Shown for the first time, the scroll area
// resizes it once more as its scroll bar appears, and the toolkit can leave
// that size out of the page's layout: the texts would then run past the
// right edge. The page puts its layout to its own size whenever asked.
class TRulesPage : public QWidget {
  protected:
    bool event(QEvent* event) override {
        const bool handled = QWidget::event(event);
        if (event->type() == QEvent::LayoutRequest && layout() && layout()->geometry() != rect())
            layout()->setGeometry(rect());
        return handled;
    }
};

// A picture with its score centred under it.
QLabel* AddPicture(QHBoxLayout* row, TBoardPicture* picture, int32_t colour, const QString& side) {
    const int32_t score = TotalScore(colour, picture->PictureBoard());
    auto* caption =
        new QLabel(QStringLiteral("%1 square, side %2: %3 points")
                       .arg(colour == Blue ? QStringLiteral("Blue") : QStringLiteral("Red"), side)
                       .arg(score));
    auto* column = new QVBoxLayout;
    column->addWidget(picture, 0, Qt::AlignHCenter);
    column->addWidget(caption, 0, Qt::AlignHCenter);
    row->addLayout(column);
    return caption;
}

}  // namespace

TBoardPicture::TBoardPicture(const Board& board, int columns, int rows, QWidget* parent)
    : QWidget(parent), board_(board), columns_(columns), rows_(rows) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize TBoardPicture::sizeHint() const {
    const BoardGeometry& g = kPictureGeometry;
    return {2 * kPictureMargin + (columns_ - 1) * g.CellSize + g.PieceDiameter,
            2 * kPictureMargin + (rows_ - 1) * g.CellSize + g.PieceDiameter};
}

void TBoardPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setClipRect(rect());
    p.translate(kPictureMargin, kPictureMargin);
    TSettings settings;
    settings.ShowSquares = true;
    settings.ShowPossibleSquares = false;
    settings.ShowLastMove = false;
    // The board's points beyond the picture's columns and rows fall outside it.
    DrawBoard(p, board_, PredictedLine{}, settings, kPictureGeometry);
}

THowToPlayForm::THowToPlayForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    ReadAsWindow(staticMetaObject);
    setWindowTitle(QStringLiteral("How to Play Quadrivane"));
    setFont(WindowFont());
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(440, 480);

    auto* page = new TRulesPage;
    auto* rules = new QVBoxLayout(page);
    const auto add = [rules](std::initializer_list<QWidget*> widgets) {
        for (QWidget* w : widgets) rules->addWidget(w);
    };

    add({Heading(QStringLiteral("The game")),
         Paragraph(QStringLiteral(
             "Two colours, Blue and Red, take turns putting one piece on an empty point of the "
             "8 \u00d7 8 board. Blue moves first.")),
         Heading(QStringLiteral("Squares")),
         Paragraph(QStringLiteral(
             "Four pieces of one colour at the corners of a square score for that colour. The "
             "square may stand straight or be tilted at any angle the points allow. A square "
             "whose side goes a points across and b points up or down is worth (a + b + 1)\u00b2 "
             "points: 4 for the smallest, 64 for the largest. One piece may be a corner of many "
             "squares."))});

    // Side (1, 0) and side (1, 2), in the board's top-left corner.
    AxisPicture = new TBoardPicture(WithPieces({{2, 2}, {3, 2}, {3, 3}, {2, 3}}, Blue), 4, 4);
    AxisPicture->setAccessibleName(QStringLiteral("An axis-aligned square of Blue's"));
    TiltedPicture = new TBoardPicture(WithPieces({{3, 1}, {4, 3}, {2, 4}, {1, 2}}, Red), 4, 4);
    TiltedPicture->setAccessibleName(QStringLiteral("A tilted square of Red's"));
    auto* pictures = new QHBoxLayout;
    AxisCaption = AddPicture(pictures, AxisPicture, Blue, QStringLiteral("(1, 0)"));
    TiltedCaption = AddPicture(pictures, TiltedPicture, Red, QStringLiteral("(1, 2)"));
    rules->addLayout(pictures);

    add({Paragraph(QStringLiteral(
             "The Blue and Red buttons above the board show each colour's score and, in "
             "brackets, what its squares that lack only one piece would add.")),
         Heading(QStringLiteral("The end of a game")),
         Paragraph(QStringLiteral(
             "A colour with 150 points or more and 15 or more ahead wins at once. Otherwise "
             "the game goes on until the board is full, and the higher score wins.")),
         Heading(QStringLiteral("Playing")),
         Paragraph(QStringLiteral(
             "Click an empty point to place the next piece; click your last piece to take it "
             "back.")),
         Paragraph(QStringLiteral(
             "Hold Shift and press the left (Blue) or right (Red) mouse button on an empty "
             "point to try a piece there: the buttons show what it would score. Drag to try "
             "other points; let go and the piece is gone.")),
         Paragraph(QStringLiteral(
             "The arrows under the board undo and redo moves. The Blue and Red buttons ask the "
             "computer for a move for that colour; it is ringed in yellow, and \"Play Suggested "
             "Move\" (Game menu) plays it. The red Cancel button stops the computer while it "
             "thinks.")),
         Paragraph(QStringLiteral(
             "\"New Game\u2026\" (Game menu) chooses your colour and the computer's level. "
             "\"Setup Mode\" (Options menu) lets a click put a piece down or take one away, to "
             "set up a position.")),
         Heading(QStringLiteral("The keyboard")),
         Paragraph(QStringLiteral(
             "Tab takes you to the board. The arrow keys move the cursor over the points; "
             "Space or Return places a piece there (or takes back your last one), and "
             "Shift+Space tries a piece, as Shift and a click do.")),
         Heading(QStringLiteral("Shortcuts"))});

    auto* keys = new QGridLayout;
    keys->setHorizontalSpacing(16);
    const std::pair<const char*, const char*> shortcuts[] = {{"Ctrl+Shift+N", "New Game\u2026"},
                                                             {"Ctrl+N", "New"},
                                                             {"Ctrl+O", "Load"},
                                                             {"Ctrl+S", "Save"},
                                                             {"Ctrl+Z", "Undo"},
                                                             {"Ctrl+Shift+Z or Ctrl+Y", "Redo"},
                                                             {"Ctrl+Return", "Play Suggested Move"},
                                                             {"Ctrl+Comma", "Settings"},
                                                             {"F1", "How to Play"}};
    int row = 0;
    for (const auto& [key, command] : shortcuts) {
        keys->addWidget(new QLabel(QString::fromUtf8(key)), row, 0);
        keys->addWidget(new QLabel(QString::fromUtf8(command)), row, 1);
        ++row;
    }
    keys->setColumnStretch(1, 1);
    rules->addLayout(keys);
    rules->addStretch(1);

    RulesArea = new QScrollArea;
    RulesArea->setAccessibleName(QStringLiteral("The rules"));
    RulesArea->setWidgetResizable(true);
    RulesArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    RulesArea->setFrameShape(QFrame::NoFrame);
    RulesArea->setWidget(page);

    cbShowAtStartUp = new QCheckBox(QStringLiteral("Show at start-up"));
    cbShowAtStartUp->setChecked(true);
    CloseButton = new QPushButton(QStringLiteral("Close"));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(cbShowAtStartUp);
    bottom->addStretch(1);
    bottom->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RulesArea, 1);
    layout->addLayout(bottom);

    connect(cbShowAtStartUp, &QCheckBox::toggled, this, &THowToPlayForm::showAtStartUpChanged);
    connect(CloseButton, &QPushButton::clicked, this, &QWidget::close);
}

bool THowToPlayForm::ShowAtStartUp() const {
    return cbShowAtStartUp->isChecked();
}

void THowToPlayForm::SetShowAtStartUp(bool show) {
    cbShowAtStartUp->setChecked(show);
}

}  // namespace qv::ui
