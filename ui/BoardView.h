#pragma once

#include <QWidget>
#include <cstdint>
#include <optional>

#include "model/board.h"
#include "ui/BoardDrawing.h"

class QPainter;

namespace qv::ui {

class TGameSession;

// The board area: it keeps the board's geometry (the creation rule at its
// designed size, the resize rule after every resize) and turns the mouse
// into points. A click is a point clicked; a Shift-click on an empty point
// (left Blue, right Red) starts the preview, which follows the mouse while
// Shift and the button are held and ends with the button. The right button
// clicks nothing.
class TBoardView : public QWidget {
    Q_OBJECT
  public:
    TBoardView(QWidget* parent, const QRect& designed);

    // Where the view looks up what a Shift-click starts.
    void SetSession(const TGameSession* session) { session_ = session; }

    int32_t CellSize() const { return geometry_.CellSize; }
    int32_t PieceDiameter() const { return geometry_.PieceDiameter; }
    const BoardGeometry& Geometry() const { return geometry_; }
    // The point under a pixel, if any is on the board.
    std::optional<Point> PointAt(int x, int y) const;

    // The mouse handling, also for the window's handlers of the same events.
    void MouseDown(Qt::MouseButton button, bool shift, int x, int y);
    void MouseMove(Qt::MouseButtons buttons, bool shift, int x, int y);
    void MouseUp();

  signals:
    void painting(QPainter& canvas);
    void pointClicked(int column, int row);
    // The mouse is over another point than before.
    void pointHovered(int column, int row);
    void previewStarted(int column, int row, int colour);
    void previewMoved(int column, int row, int colour);
    void previewEnded();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    const TGameSession* session_ = nullptr;
    BoardGeometry geometry_;
    Point hover_;  // the point last announced
};

}  // namespace qv::ui
