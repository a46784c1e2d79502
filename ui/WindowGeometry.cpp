#include "ui/WindowGeometry.h"

#include <QWidget>

namespace qv::ui {

QFont WindowFont() {
    QFont f(QStringLiteral("MS Sans Serif"), 8);
    f.setStyleHint(QFont::SansSerif);
    return f;
}

void PlaceWindow(QWidget* window, int left, int top, int outerWidth, int outerHeight) {
    window->move(left, top);
    window->resize(outerWidth - kFrameWidth, outerHeight - kFrameHeight);
}

}  // namespace qv::ui
