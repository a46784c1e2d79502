#include "ui/WindowGeometry.h"

#include <QWidget>

namespace qv::ui {

QFont WindowFont() {
    // The layout's pixel positions assume the narrow 8 point face. Liberation
    // Sans has Arial's widths and ships with Debian (fonts-liberation2), so it
    // comes first: left to fontconfig, "MS Sans Serif" becomes the much wider
    // DejaVu Sans and labels run into each other.
    static const bool substituted = [] {
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                                   {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                    QStringLiteral("Microsoft Sans Serif"),
                                    QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica")});
        return true;
    }();
    (void)substituted;
    QFont f(QStringLiteral("MS Sans Serif"), 8);
    f.setStyleHint(QFont::SansSerif);
    return f;
}

void PlaceWindow(QWidget* window, int left, int top, int outerWidth, int outerHeight) {
    window->move(left, top);
    window->resize(outerWidth - kFrameWidth, outerHeight - kFrameHeight);
}

}  // namespace qv::ui
