#include "ui/GlyphIcons.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygon>

namespace qv::ui {

namespace {

constexpr int kGlyph = 16;

QPixmap Blank() {
    QPixmap pm(kGlyph, kGlyph);
    pm.fill(Qt::transparent);
    return pm;
}

QIcon Triangle(bool pointsLeft) {
    QPixmap pm = Blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(64, 64, 64));
    p.setBrush(QColor(128, 128, 128));
    QPolygonF tri;
    if (pointsLeft)
        tri << QPointF(3.5, 8) << QPointF(12.5, 2.5) << QPointF(12.5, 13.5);
    else
        tri << QPointF(12.5, 8) << QPointF(3.5, 2.5) << QPointF(3.5, 13.5);
    p.drawPolygon(tri);
    p.end();
    return QIcon(pm);
}

}  // namespace

QIcon BackGlyph() {
    return Triangle(true);
}

QIcon ForwardGlyph() {
    return Triangle(false);
}

QIcon CancelGlyph() {
    QPixmap pm = Blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(QColor(255, 0, 0), 2.2);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const QRectF ring(2, 2, 12, 12);
    p.drawEllipse(ring);
    // The bar runs from top-left to bottom-right inside the ring.
    p.drawLine(QPointF(4.5, 4.5), QPointF(11.5, 11.5));
    p.end();
    return QIcon(pm);
}

}  // namespace qv::ui
