#include "ui/WindowGeometry.h"

#include <QWidget>

namespace qv::ui {

QFont WindowFont() {
    // The layout's pixel positions assume the narrow 8 point face; where it is
    // missing, a face of similar width keeps labels from running into each other.
    static const bool substituted = [] {
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                                   {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                                    QStringLiteral("Liberation Sans"),
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
