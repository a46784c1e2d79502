#pragma once

#include <QWidget>
#include <functional>

class QPainter;

namespace qv::ui {

// The board area: it paints nothing of its own and passes paint and mouse
// events to the main window's handlers.
class TBoardView : public QWidget {
    Q_OBJECT
  public:
    explicit TBoardView(QWidget* parent = nullptr);

    std::function<void(QPainter&)> OnPaint;
    // (button, shift held, x, y)
    std::function<void(Qt::MouseButton, bool, int, int)> OnMouseDown;
    // (buttons held, shift held, x, y)
    std::function<void(Qt::MouseButtons, bool, int, int)> OnMouseMove;
    // (button, x, y)
    std::function<void(Qt::MouseButton, int, int)> OnMouseUp;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace qv::ui
