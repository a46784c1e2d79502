#pragma once

#include <QFont>

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

}  // namespace qv::ui
