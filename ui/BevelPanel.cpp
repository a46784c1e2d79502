#include "ui/BevelPanel.h"

#include <QPainter>

namespace qv::ui {

TBevelPanel::TBevelPanel(QWidget* parent) : QWidget(parent) {}

void TBevelPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    const QColor light = pal.color(QPalette::Light);
    const QColor dark = pal.color(QPalette::Dark);
    auto bevel = [&](QRect r, const QColor& topLeft, const QColor& bottomRight) {
        p.setPen(topLeft);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(bottomRight);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
    };
    const QRect outer = rect();
    bevel(outer, dark, light);                         // lowered
    bevel(outer.adjusted(1, 1, -1, -1), light, dark);  // raised
}

}  // namespace qv::ui
