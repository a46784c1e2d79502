#include "ui/BoardView.h"

#include <QMouseEvent>
#include <QPainter>

namespace qv::ui {

TBoardView::TBoardView(QWidget* parent) : QWidget(parent) {
    // The status bar shows the point under the mouse even with no button held.
    setMouseTracking(true);
}

void TBoardView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (OnPaint) OnPaint(p);
}

void TBoardView::mousePressEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    if (OnMouseDown)
        OnMouseDown(e->button(), e->modifiers().testFlag(Qt::ShiftModifier), pos.x(), pos.y());
}

void TBoardView::mouseMoveEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    if (OnMouseMove)
        OnMouseMove(e->buttons(), e->modifiers().testFlag(Qt::ShiftModifier), pos.x(), pos.y());
}

void TBoardView::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    if (OnMouseUp) OnMouseUp(e->button(), pos.x(), pos.y());
}

}  // namespace qv::ui
