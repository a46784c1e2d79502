#include "ui/TurnPanel.h"

#include <QPainter>

namespace qv::ui {

TTurnPanel::TTurnPanel(const QString& text, QWidget* parent) : QWidget(parent), text_(text) {}

void TTurnPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (OnDrawPanel) OnDrawPanel(p, text_, rect());
}

}  // namespace qv::ui
