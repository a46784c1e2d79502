#pragma once

#include <QString>
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
//
// The keyboard plays too: the arrow keys move a cursor over the points,
// drawn only while the board has the focus; Space or Return is a left click
// on the cursor's point and Shift+Space a Shift-click, whose preview follows
// the arrows pressed with Shift until Space is let go.
class TBoardView : public QWidget {
    Q_OBJECT
  public:
    TBoardView(QWidget* parent, const QRect& designed);

    // Where the view looks up what a Shift-click starts and what is under the cursor.
    void SetSession(const TGameSession* session);

    int32_t CellSize() const { return geometry_.CellSize; }
    int32_t PieceDiameter() const { return geometry_.PieceDiameter; }
    const BoardGeometry& Geometry() const { return geometry_; }
    // The board's top-left corner in the view: the largest square that fits
    // is centred, so at the designed size (wider by a pixel) it is (0, 0).
    QPoint Origin() const { return origin_; }
    // The point under a pixel, if any is on the board.
    std::optional<Point> PointAt(int x, int y) const;

    // The mouse handling, also for the window's handlers of the same events.
    void MouseDown(Qt::MouseButton button, bool shift, int x, int y);
    void MouseMove(Qt::MouseButtons buttons, bool shift, int x, int y);
    void MouseUp();

    // The keyboard's point, and what a screen reader hears of it: "C,5, empty".
    Point Cursor() const { return cursor_; }
    void SetCursor(Point p);
    QString CursorText() const;
    // The focus came by the keyboard, or the keyboard has played since it
    // came: the window then leaves it here instead of on the suggestion button.
    bool KeyboardPlay() const { return keyboardPlay_; }

  signals:
    void painting(QPainter& canvas);
    void pointClicked(int column, int row);
    // The mouse (or the cursor) is over another point than before.
    void pointHovered(int column, int row);
    void previewStarted(int column, int row, int colour);
    void previewMoved(int column, int row, int colour);
    void previewEnded();
    // What a screen reader has just been told of the cursor's point (with
    // the accessibility events that tell it).
    void announced(const QString& text);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void Press(Point p, Qt::MouseButton button, bool shift);
    // Tells a screen reader when what it would read has changed.
    void Announce();
    void EndKeyPreview();

    const TGameSession* session_ = nullptr;
    BoardGeometry geometry_;
    QPoint origin_;
    Point hover_;  // the point last announced
    Point cursor_{1, 1};
    QString announced_;
    bool keyboardPlay_ = false;
    bool keyPreview_ = false;
};

}  // namespace qv::ui
