#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <vector>

class QLabel;
class QPoint;
class QString;
class QWidget;

namespace qv::ui {

// The font every window uses; where it is not installed a similar one stands in.
QFont WindowFont();

// The windows' sizes are given as outer sizes with a 4 pixel border and a
// 19 pixel caption; the toolkit sizes the client area, so take those off.
constexpr int kFrameWidth = 8;
constexpr int kFrameHeight = 27;
void PlaceWindow(QWidget* window, int left, int top, int outerWidth, int outerHeight);

// A label at its designed top-left corner, as wide as its text.
QLabel* PlacedLabel(QWidget* parent, QPoint at, const QString& text);

// Where a window of the outer size `size` opens beside the main window's
// frame `main` within the screen's free area `room`: right of it, left,
// below or above where it fits; else where it covers the least of it. It
// never covers any of `keepClear` (the main window's menu bar and Cancel
// button); when no position of its size does, it opens smaller, down to
// `minimum`, beside the main window.
QRect PlaceBeside(const QRect& room, const QRect& main, const std::vector<QRect>& keepClear,
                  QSize size, QSize minimum);

// Shows and raises the window, placed by PlaceBeside the main window (clear
// of its widgets `keepClear`) the first time.
void ShowBeside(QWidget* window, const QWidget* main, const std::vector<const QWidget*>& keepClear);

}  // namespace qv::ui
