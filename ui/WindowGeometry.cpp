#include "ui/WindowGeometry.h"

#include <QLabel>
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

QLabel* PlacedLabel(QWidget* parent, QPoint at, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->move(at);
    l->adjustSize();
    return l;
}

void PlaceWindow(QWidget* window, int left, int top, int outerWidth, int outerHeight) {
    window->move(left, top);
    window->resize(outerWidth - kFrameWidth, outerHeight - kFrameHeight);
}

}  // namespace qv::ui
