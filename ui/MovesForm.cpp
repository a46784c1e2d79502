#include "ui/MovesForm.h"

#include <QLabel>
#include <QListWidget>
#include <QStyle>
#include <QVBoxLayout>
#include <vector>

#include "model/scoring.h"
#include "ui/AccessibleWindow.h"
#include "ui/WindowGeometry.h"

namespace qv::ui {

namespace {

struct MoveRow {
    int32_t moves;  // the count the board stands at after this move
    QString text;
    bool redo;  // taken back, not yet played again
};

QString ColourName(int32_t colour) {
    return colour == Red ? QStringLiteral("Red") : QStringLiteral("Blue");
}

// Scores come from the board as it stands, stepped back and forth along the
// history, so pieces put down in setup mode count as they do on the board.
std::vector<MoveRow> MoveRows(const Game& game) {
    int32_t last = game.MoveCount;
    while (last < kPoints && game.MoveHistory[last + 1].column != 0) ++last;
    std::vector<Board> after(last + 1);
    after[game.MoveCount] = game.board;
    for (int32_t n = game.MoveCount; n > 0; --n) {
        after[n - 1] = after[n];
        const Point p = game.MoveHistory[n];
        if (p.column != 0) after[n - 1](p.column, p.row) = Empty;
    }
    for (int32_t n = game.MoveCount + 1; n <= last; ++n) {
        after[n] = after[n - 1];
        const Point p = game.MoveHistory[n];
        after[n](p.column, p.row) = ColourOfMove(n);
    }
    std::vector<MoveRow> rows;
    for (int32_t n = 1; n <= last; ++n) {
        const Point p = game.MoveHistory[n];
        // Setup mode may count pieces that have no history slot.
        if (p.column == 0) continue;
        // Red's score first, then Blue's, whoever moved: the columns keep their colours.
        const QString text = QStringLiteral("%1. %2 %3 %4\u2013%5")
                                 .arg(n)
                                 .arg(QString::fromStdString(PointName(p.column, p.row)),
                                      ColourName(ColourOfMove(n)))
                                 .arg(TotalScore(Red, after[n]))
                                 .arg(TotalScore(Blue, after[n]));
        rows.push_back({n, text, n > game.MoveCount});
    }
    return rows;
}

}  // namespace

TMovesForm::TMovesForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    ReadAsWindow(staticMetaObject);
    setWindowTitle(QStringLiteral("Quadrivane Moves"));
    setFont(WindowFont());
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(200, 320);

    HintLabel = new QLabel(QStringLiteral("Click a move to see the board after it."));
    HintLabel->setWordWrap(true);
    MoveList = new QListWidget;
    MoveList->setAccessibleName(QStringLiteral("Moves"));
    MoveList->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(HintLabel);
    layout->addWidget(MoveList, 1);

    const auto choose = [this](QListWidgetItem* item) {
        emit moveChosen(item->data(Qt::UserRole).toInt());
        // The mark follows the board, not the click: when the board did not
        // move, the row it stands at stays marked.
        MarkCurrent();
    };
    connect(MoveList, &QListWidget::itemClicked, this, choose);
    // Return on a row; a single click that activates is already a click.
    connect(MoveList, &QListWidget::itemActivated, this, [this, choose](QListWidgetItem* item) {
        if (!MoveList->style()->styleHint(QStyle::SH_ItemView_ActivateItemOnSingleClick))
            choose(item);
    });
}

void TMovesForm::SetGame(const qv::Game& game) {
    const std::vector<MoveRow> rows = MoveRows(game);
    // Rows are reused, so the list keeps its scroll position as play goes on.
    while (MoveList->count() > static_cast<int>(rows.size()))
        delete MoveList->takeItem(MoveList->count() - 1);
    while (MoveList->count() < static_cast<int>(rows.size())) MoveList->addItem(QString());
    const QColor grey = MoveList->palette().color(QPalette::Disabled, QPalette::Text);
    const QColor plain = MoveList->palette().color(QPalette::Active, QPalette::Text);
    for (size_t i = 0; i < rows.size(); ++i) {
        QListWidgetItem* item = MoveList->item(static_cast<int>(i));
        const MoveRow& r = rows[i];
        item->setText(r.text);
        item->setData(Qt::UserRole, r.moves);
        item->setForeground(r.redo ? grey : plain);
        QFont f = MoveList->font();
        f.setBold(r.moves == game.MoveCount);
        item->setFont(f);
        item->setData(Qt::AccessibleDescriptionRole, r.moves == game.MoveCount
                                                         ? QStringLiteral("the board is here")
                                                     : r.redo ? QStringLiteral("taken back")
                                                              : QString());
        item->setToolTip(r.redo ? QStringLiteral("Taken back: click to play it again") : QString());
    }
    current_ = game.MoveCount;
    MarkCurrent();
}

void TMovesForm::MarkCurrent() {
    for (int i = 0; i < MoveList->count(); ++i) {
        QListWidgetItem* item = MoveList->item(i);
        if (item->data(Qt::UserRole).toInt() != current_) continue;
        MoveList->setCurrentItem(item);
        MoveList->scrollToItem(item);
        return;
    }
    MoveList->clearSelection();
}

}  // namespace qv::ui
