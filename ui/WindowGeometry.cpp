#include "ui/WindowGeometry.h"

#include <QLabel>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <array>
#include <optional>

namespace qv::ui {

namespace {

// Between the main window and one beside it.
constexpr int kGap = 8;

// The rectangle of the size nearest `at` that lies inside `room`.
QRect Inside(const QRect& room, QPoint at, QSize size) {
    const int x = std::max(room.left(), std::min(at.x(), room.right() + 1 - size.width()));
    const int y = std::max(room.top(), std::min(at.y(), room.bottom() + 1 - size.height()));
    return {QPoint(x, y), size};
}

int Area(const QRect& r) {
    return r.isEmpty() ? 0 : r.width() * r.height();
}

}  // namespace

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

QRect PlaceBeside(const QRect& room, const QRect& main, const std::vector<QRect>& keepClear,
                  QSize size, QSize minimum) {
    size = size.boundedTo(room.size());
    minimum = minimum.boundedTo(size);
    const auto clear = [&](const QRect& r) {
        return std::none_of(keepClear.begin(), keepClear.end(),
                            [&](const QRect& k) { return r.intersects(k); });
    };
    // Flush with each side of the main window first (right, left, below,
    // above), then next to what must stay clear and at the screen's edges;
    // the first of the least covering wins.
    const auto leastCovering = [&](QSize s) -> std::optional<QRect> {
        std::vector<QPoint> at = {{main.right() + 1 + kGap, main.top()},
                                  {main.left() - kGap - s.width(), main.top()},
                                  {main.left(), main.bottom() + 1 + kGap},
                                  {main.left(), main.top() - kGap - s.height()}};
        std::vector<int> xs = {main.left(), room.left(), room.right() + 1 - s.width()};
        std::vector<int> ys = {main.top(), room.top(), room.bottom() + 1 - s.height()};
        for (const QRect& k : keepClear) {
            xs.insert(xs.end(), {k.right() + 1 + kGap, k.left() - kGap - s.width()});
            ys.insert(ys.end(), {k.bottom() + 1 + kGap, k.top() - kGap - s.height()});
        }
        for (const int x : xs)
            for (const int y : ys) at.emplace_back(x, y);
        std::optional<QRect> best;
        for (const QPoint& p : at) {
            const QRect r = Inside(room, p, s);
            if (clear(r) && (!best || Area(r & main) < Area(*best & main))) best = r;
        }
        return best;
    };
    if (const auto r = leastCovering(size)) return *r;
    // Smaller, in the largest free strip beside it.
    const std::array<QRect, 4> strips = {
        QRect(QPoint(main.right() + 1 + kGap, room.top()), room.bottomRight()),
        QRect(room.topLeft(), QPoint(main.left() - 1 - kGap, room.bottom())),
        QRect(QPoint(room.left(), main.bottom() + 1 + kGap), room.bottomRight()),
        QRect(room.topLeft(), QPoint(room.right(), main.top() - 1 - kGap))};
    std::optional<QRect> best;
    for (const QRect& strip : strips) {
        const QSize s = size.boundedTo(strip.size());
        if (s.width() < minimum.width() || s.height() < minimum.height()) continue;
        const QRect r = Inside(strip, main.topLeft(), s);
        if (clear(r) && (!best || Area(r) > Area(*best))) best = r;
    }
    if (best) return *best;
    if (const auto r = leastCovering(minimum)) return *r;
    return Inside(room, QPoint(main.right() + 1 + kGap, main.top()), minimum);
}

void PlaceWindow(QWidget* window, int left, int top, int outerWidth, int outerHeight) {
    window->move(left, top);
    window->resize(outerWidth - kFrameWidth, outerHeight - kFrameHeight);
}

void ShowBeside(QWidget* window, const QWidget* main,
                const std::vector<const QWidget*>& keepClear) {
    const QScreen* screen = main->screen();
    if (!window->property("placed").toBool() && screen) {
        window->setProperty("placed", true);
        // A window not shown yet has no frame to measure; it gets one like the main one's.
        const QRect frame = main->frameGeometry(), client = main->geometry();
        const QSize border(frame.width() - client.width(), frame.height() - client.height());
        std::vector<QRect> clear;
        for (const QWidget* w : keepClear)
            clear.emplace_back(w->mapToGlobal(QPoint(0, 0)), w->size());
        const QRect outer =
            PlaceBeside(screen->availableGeometry(), frame, clear, window->size() + border,
                        window->minimumSizeHint().expandedTo(window->minimumSize()) + border);
        window->resize(outer.size() - border);
        window->move(outer.topLeft());
    }
    window->show();
    window->raise();
}

}  // namespace qv::ui
