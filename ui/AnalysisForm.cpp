#include "ui/AnalysisForm.h"

#include <QGraphicsLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <cmath>

#include "ui/BoardDrawing.h"
#include "ui/WindowGeometry.h"

namespace qv::ui {

namespace {

QLineSeries* Line(QChart* chart, const QString& name, const QColor& colour, int width) {
    auto* s = new QLineSeries;
    s->setName(name);
    s->setPen(QPen(colour, width));
    s->setPointsVisible(true);
    chart->addSeries(s);
    return s;
}

}  // namespace

TAnalysisForm::TAnalysisForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Quadrivane Analysis"));
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(640, 520);

    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("The game move by move"));
    ValueSeries = Line(chart, QStringLiteral("Value for Blue"), Qt::black, 2);
    BlueSeries = Line(chart, QStringLiteral("Blue's score"), ColourRgb(Blue), 1);
    RedSeries = Line(chart, QStringLiteral("Red's score"), ColourRgb(Red), 1);
    DecidedSeries = new QScatterSeries;
    DecidedSeries->setName(QStringLiteral("Decided (at the edge)"));
    DecidedSeries->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    DecidedSeries->setMarkerSize(9);
    DecidedSeries->setColor(Qt::black);
    chart->addSeries(DecidedSeries);
    MovesAxis = new QValueAxis;
    MovesAxis->setTitleText(QStringLiteral("Moves played"));
    MovesAxis->setLabelFormat(QStringLiteral("%d"));
    PointsAxis = new QValueAxis;
    PointsAxis->setTitleText(QStringLiteral("Points"));
    PointsAxis->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(MovesAxis, Qt::AlignBottom);
    chart->addAxis(PointsAxis, Qt::AlignLeft);
    for (QAbstractSeries* s : chart->series()) {
        s->attachAxis(MovesAxis);
        s->attachAxis(PointsAxis);
    }
    chart->legend()->setAlignment(Qt::AlignBottom);
    // The window may open narrower beside the main window: the legend takes
    // the windows' face and the chart's whole width, and a name it still has
    // to cut short shows whole under the mouse.
    chart->legend()->setFont(WindowFont());
    chart->legend()->setShowToolTips(true);
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    ChartView = new QChartView(chart);
    ChartView->setRenderHint(QPainter::Antialiasing);
    ChartView->setMinimumSize(320, 220);

    MistakeList = new QListWidget;
    MistakeList->setAccessibleName(QStringLiteral("Moves that gave away 10 or more"));
    Progress = new QProgressBar;
    Progress->setAccessibleName(QStringLiteral("Analysis progress"));
    CancelButton = new QPushButton(QStringLiteral("Cancel"));
    StatusLabel = new QLabel;

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Progress, 1);
    bottom->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ChartView, 3);
    layout->addWidget(new QLabel(QStringLiteral("Moves that gave away 10 or more:")));
    layout->addWidget(MistakeList, 1);
    layout->addWidget(StatusLabel);
    layout->addLayout(bottom);

    connect(CancelButton, &QPushButton::clicked, this, &TAnalysisForm::cancelClicked);
    const auto choose = [this](const QPointF& at) {
        emit moveChosen(static_cast<int>(std::lround(at.x())));
    };
    for (QXYSeries* s :
         {static_cast<QXYSeries*>(ValueSeries), static_cast<QXYSeries*>(RedSeries),
          static_cast<QXYSeries*>(BlueSeries), static_cast<QXYSeries*>(DecidedSeries)})
        connect(s, &QXYSeries::clicked, this, choose);
    connect(MistakeList, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { emit moveChosen(item->data(Qt::UserRole).toInt()); });
}

void TAnalysisForm::Begin(int moves) {
    positions_.clear();
    total_ = moves + 1;
    Progress->setRange(0, total_);
    Progress->setValue(0);
    CancelButton->setEnabled(true);
    StatusLabel->setText(QStringLiteral("Analysing %1 positions...").arg(total_));
    Redraw();
}

void TAnalysisForm::AddPosition(const PositionAnalysis& position) {
    positions_.push_back(position);
    Progress->setValue(static_cast<int>(positions_.size()));
    Redraw();
}

void TAnalysisForm::Finish(bool complete, double seconds) {
    CancelButton->setEnabled(false);
    StatusLabel->setText((complete ? QStringLiteral("%1 positions analysed in %2 s.")
                                   : QStringLiteral("Stopped after %1 positions (%2 s)."))
                             .arg(positions_.size())
                             .arg(seconds, 0, 'f', 1));
}

void TAnalysisForm::Redraw() {
    const AnalysisChart c = ChartOf(positions_);
    QList<QPointF> value, red, blue, decided;
    for (size_t i = 0; i < c.value.size(); ++i) {
        value << QPointF(c.value[i].x, c.value[i].y);
        if (c.value[i].decided) decided << QPointF(c.value[i].x, c.value[i].y);
        red << QPointF(c.red[i].x, c.red[i].y);
        blue << QPointF(c.blue[i].x, c.blue[i].y);
    }
    ValueSeries->replace(value);
    RedSeries->replace(red);
    BlueSeries->replace(blue);
    DecidedSeries->replace(decided);
    const int last = std::max(1, total_ - 1);
    MovesAxis->setRange(0, last);
    // Whole moves only, about ten labels whatever the game's length.
    MovesAxis->setTickType(QValueAxis::TicksDynamic);
    MovesAxis->setTickAnchor(0);
    MovesAxis->setTickInterval(std::max(1, (last + 9) / 10));
    PointsAxis->setRange(c.low, c.high);
    PointsAxis->setTickType(QValueAxis::TicksDynamic);
    PointsAxis->setTickAnchor(0);
    PointsAxis->setTickInterval(c.step);

    MistakeList->clear();
    for (const Mistake& m : Mistakes(positions_)) {
        auto* item = new QListWidgetItem(QString::fromStdString(m.text), MistakeList);
        item->setData(Qt::UserRole, m.moves);
    }
}

}  // namespace qv::ui
