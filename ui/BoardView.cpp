#include "ui/BoardView.h"

#include <QMouseEvent>
#include <QPainter>

#include "ui/GameSession.h"

namespace qv::ui {

TBoardView::TBoardView(QWidget* parent, const QRect& designed) : QWidget(parent) {
    setGeometry(designed);
    geometry_ = CreationGeometry(designed.width(), designed.height());
    // The status bar shows the point under the mouse even with no button held.
    setMouseTracking(true);
}

std::optional<Point> TBoardView::PointAt(int x, int y) const {
    // With no board on screen the mouse does nothing.
    if (geometry_.CellSize <= 0) return std::nullopt;
    const Point p{HitTest(x, geometry_.CellSize), HitTest(y, geometry_.CellSize)};
    if (!OnBoard(p.column, p.row)) return std::nullopt;
    return p;
}

void TBoardView::MouseDown(Qt::MouseButton button, bool shift, int x, int y) {
    const std::optional<Point> p = PointAt(x, y);
    if (!p) return;
    if (shift && (button == Qt::LeftButton || button == Qt::RightButton) && session_ &&
        session_->CanStartPreviewAt(p->column, p->row)) {
        emit previewStarted(p->column, p->row, button == Qt::LeftButton ? Blue : Red);
        return;
    }
    if (button != Qt::RightButton) emit pointClicked(p->column, p->row);
}

void TBoardView::MouseMove(Qt::MouseButtons buttons, bool shift, int x, int y) {
    const std::optional<Point> p = PointAt(x, y);
    if (!p || *p == hover_) return;
    hover_ = *p;
    emit pointHovered(p->column, p->row);
    if (!shift) return;
    if (buttons.testFlag(Qt::LeftButton))
        emit previewMoved(p->column, p->row, Blue);
    else if (buttons.testFlag(Qt::RightButton))
        emit previewMoved(p->column, p->row, Red);
}

void TBoardView::MouseUp() {
    emit previewEnded();
}

void TBoardView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    emit painting(p);
}

void TBoardView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    geometry_ = ResizeGeometry(width(), height());
}

void TBoardView::mousePressEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    MouseDown(e->button(), e->modifiers().testFlag(Qt::ShiftModifier), pos.x(), pos.y());
}

void TBoardView::mouseMoveEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    MouseMove(e->buttons(), e->modifiers().testFlag(Qt::ShiftModifier), pos.x(), pos.y());
}

void TBoardView::mouseReleaseEvent(QMouseEvent*) {
    MouseUp();
}

}  // namespace qv::ui
