#include "ui/EvolutionForm.h"

#include <QGraphicsLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QtCharts/QAreaSeries>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include "ui/WindowGeometry.h"

namespace qv::ui {

namespace {

// Nine colours that stay apart on white.
const QColor kGeneColours[9] = {{31, 119, 180},  {255, 127, 14},  {44, 160, 44},
                                {214, 39, 40},   {148, 103, 189}, {140, 86, 75},
                                {227, 119, 194}, {127, 127, 127}, {188, 189, 34}};

}  // namespace

TEvolutionForm::TEvolutionForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Quadrivane Evolution"));
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(680, 480);

    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("Population genes: mean and range"));
    RoundAxis = new QValueAxis;
    RoundAxis->setTitleText(QStringLiteral("Round"));
    RoundAxis->setLabelFormat(QStringLiteral("%d"));
    GeneAxis = new QValueAxis;
    GeneAxis->setTitleText(QStringLiteral("Gene value"));
    GeneAxis->setRange(0, 10);
    chart->addAxis(RoundAxis, Qt::AlignBottom);
    chart->addAxis(GeneAxis, Qt::AlignLeft);
    for (size_t i = 0; i < kPlayingWeights.size(); ++i) {
        const QString name = QStringLiteral("W%1").arg(kPlayingWeights[i]);
        auto* low = new QLineSeries(this);
        auto* high = new QLineSeries(this);
        Ranges[i] = new QAreaSeries(high, low);
        QColor fill = kGeneColours[i];
        fill.setAlpha(22);
        Ranges[i]->setBrush(fill);
        Ranges[i]->setPen(Qt::NoPen);
        Ranges[i]->setName(name + QStringLiteral(" range"));
        chart->addSeries(Ranges[i]);
        Means[i] = new QLineSeries;
        Means[i]->setName(name);
        Means[i]->setPen(QPen(kGeneColours[i], 2));
        chart->addSeries(Means[i]);
    }
    for (QAbstractSeries* s : chart->series()) {
        s->attachAxis(RoundAxis);
        s->attachAxis(GeneAxis);
    }
    // In the windows' face, along the chart's width or down its side as the
    // window's width allows (FitToWidth): it may open low or narrow beside
    // the main window.
    chart->legend()->setFont(WindowFont());
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    // The ranges share their gene's colour; the legend names the means only.
    for (QAreaSeries* r : Ranges)
        for (QLegendMarker* m : chart->legend()->markers(r)) m->setVisible(false);
    ChartView = new QChartView(chart);
    ChartView->setRenderHint(QPainter::Antialiasing);
    ChartView->setMinimumSize(320, 220);

    ProgressLabel = new QLabel(QStringLiteral("No evolution has run yet."));
    TopLabel = new QLabel;
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ProgressLabel);
    layout->addWidget(ChartView, 1);
    layout->addWidget(TopLabel);
}

void TEvolutionForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FitToWidth();
}

void TEvolutionForm::FitToWidth() {
    const bool wide = width() >= 560;
    ChartView->chart()->legend()->setAlignment(wide ? Qt::AlignBottom : Qt::AlignRight);
    // About ten round labels, or five when narrow.
    const int labels = wide ? 10 : 5;
    RoundAxis->setTickInterval(std::max(1, (rounds_ + labels - 1) / labels));
}

void TEvolutionForm::Begin(int rounds) {
    rounds_ = rounds;
    lastRound_ = 0;
    for (size_t i = 0; i < Means.size(); ++i) {
        Means[i]->clear();
        Ranges[i]->upperSeries()->clear();
        Ranges[i]->lowerSeries()->clear();
    }
    RoundAxis->setRange(1, std::max(2, rounds));
    RoundAxis->setTickType(QValueAxis::TicksDynamic);
    RoundAxis->setTickAnchor(0);
    FitToWidth();
    ProgressLabel->setText(QStringLiteral("Round 1 of %1").arg(rounds));
    TopLabel->clear();
}

void TEvolutionForm::GameStarting(int round, int game) {
    ProgressLabel->setText(QStringLiteral("Round %1 of %2, game %3 of %4")
                               .arg(round)
                               .arg(rounds_)
                               .arg(game)
                               .arg(kGamesPerRound));
}

void TEvolutionForm::RoundFinished(const RoundSummary& s) {
    lastRound_ = s.round;
    double top = 10;
    for (size_t i = 0; i < s.genes.size(); ++i) {
        const GeneRange& g = s.genes[i];
        Means[i]->append(s.round, g.mean);
        Ranges[i]->upperSeries()->append(s.round, g.max);
        Ranges[i]->lowerSeries()->append(s.round, g.min);
        top = std::max(top, static_cast<double>(g.max));
    }
    GeneAxis->setRange(0, top);
    const ProfileView best(s.top);
    TopLabel->setText(QStringLiteral("Top of the ladder after round %1: #%2 (%3-%4)")
                          .arg(s.round)
                          .arg(best.Identity())
                          .arg(best.Wins())
                          .arg(best.Losses()));
}

void TEvolutionForm::Halted() {
    ProgressLabel->setText(
        QStringLiteral("Evolution halted after round %1 of %2").arg(lastRound_).arg(rounds_));
}

void TEvolutionForm::Finished() {
    ProgressLabel->setText(QStringLiteral("Evolution finished: %1 rounds").arg(rounds_));
}

void TEvolutionForm::NotStarted(const QString& reason) {
    ProgressLabel->setText(QStringLiteral("Evolution not started: %1").arg(reason));
}

void TEvolutionForm::Failed(const QString& reason) {
    ProgressLabel->setText(QStringLiteral("Evolution failed after round %1 of %2: %3")
                               .arg(lastRound_)
                               .arg(rounds_)
                               .arg(reason));
}

}  // namespace qv::ui
