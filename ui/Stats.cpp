#include "ui/Stats.h"

#include <QLabel>
#include <QLocale>

#include "engine/report.h"
#include "ui/WindowGeometry.h"

namespace qv::ui {

TStatsForm::TStatsForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Quadrivane Stats"));
    setFont(WindowFont());
    // Closing the main window ends the program even while this one is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    PlaceWindow(this, 237, 211, 260, 89);
    // Two pixels right of the designed 85: in a face with Arial's widths the
    // colon of "Projected Score:" reaches x = 86, where the outcome's first
    // character would lie under it.
    lblScore = PlacedLabel(this, {87, 3}, QString());
    Label3 = PlacedLabel(this, {5, 3}, QStringLiteral("Projected Score:"));
    Label4 = PlacedLabel(this, {5, 20}, QStringLiteral("AI Stats:"));
    lblAIStats = PlacedLabel(this, {53, 20}, QString());
    // FormCreate: visible from the start, next to the main window.
    show();
}

void TStatsForm::SetScore(const QString& text) {
    lblScore->setText(text);
    lblScore->adjustSize();
}

void TStatsForm::SetScoreColour(const QColor& colour) {
    QPalette pal = lblScore->palette();
    pal.setColor(QPalette::WindowText, colour);
    lblScore->setPalette(pal);
}

void TStatsForm::SetAIStats(const QString& text) {
    lblAIStats->setText(text);
    lblAIStats->adjustSize();
    // The classic captions fit the designed width; the strong search's longer
    // one widens the window just enough.
    const int needed = lblAIStats->x() + lblAIStats->width() + 5;
    if (needed > width()) resize(needed, height());
}

void TStatsForm::ShowSearch(const SearchResult& s) {
    SetScore(QString::fromStdString(s.caption));
    const QLocale locale = QLocale::system();
    QString stats = QString::fromStdString(
        StatsCaption(static_cast<int64_t>(s.elapsedMs), s.positions,
                     locale.groupSeparator().toStdString(), locale.decimalPoint().toStdString()));
    // Only the strong search deepens; its depth leads the same caption.
    if (s.depthReached > 0) stats = QStringLiteral("Depth %1, ").arg(s.depthReached) + stats;
    SetAIStats(stats);
}

}  // namespace qv::ui
