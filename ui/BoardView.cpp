#include "ui/BoardView.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "ui/GameSession.h"

namespace qv::ui {

namespace {

// To a screen reader the board is the point under its cursor; the widget's
// own accessible name ("Board") becomes the description.
class TBoardAccessible : public QAccessibleWidget {
  public:
    explicit TBoardAccessible(TBoardView* view) : QAccessibleWidget(view, QAccessible::Canvas) {}
    QString text(QAccessible::Text t) const override {
        const auto* view = static_cast<const TBoardView*>(widget());
        if (t == QAccessible::Name) return view->CursorText();
        if (t == QAccessible::Description) return view->accessibleName();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* BoardAccessible(const QString& key, QObject* object) {
    auto* view = qobject_cast<TBoardView*>(object);
    if (!view || key != QLatin1String(object->metaObject()->className())) return nullptr;
    return new TBoardAccessible(view);
}

QPoint SquareOrigin(int width, int height) {
    const int side = std::max(0, std::min(width, height));
    return {(width - side) / 2, (height - side) / 2};
}

}  // namespace

TBoardView::TBoardView(QWidget* parent, const QRect& designed) : QWidget(parent) {
    static const bool accessible = [] {
        QAccessible::installFactory(&BoardAccessible);
        return true;
    }();
    (void)accessible;
    setGeometry(designed);
    geometry_ = CreationGeometry(designed.width(), designed.height());
    origin_ = SquareOrigin(designed.width(), designed.height());
    // The status bar shows the point under the mouse even with no button held.
    setMouseTracking(true);
    // Tab reaches the board and a click gives it the focus.
    setFocusPolicy(Qt::StrongFocus);
}

void TBoardView::SetSession(const TGameSession* session) {
    if (session_) disconnect(session_, nullptr, this, nullptr);
    session_ = session;
    // A piece placed or taken back under the cursor is heard at once.
    if (session_) connect(session_, &TGameSession::boardChanged, this, &TBoardView::Announce);
}

std::optional<Point> TBoardView::PointAt(int x, int y) const {
    // With no board on screen the mouse does nothing.
    if (geometry_.CellSize <= 0) return std::nullopt;
    const Point p{HitTest(x - origin_.x(), geometry_.CellSize),
                  HitTest(y - origin_.y(), geometry_.CellSize)};
    if (!OnBoard(p.column, p.row)) return std::nullopt;
    return p;
}

void TBoardView::Press(Point p, Qt::MouseButton button, bool shift) {
    if (shift && (button == Qt::LeftButton || button == Qt::RightButton) && session_ &&
        session_->CanStartPreviewAt(p.column, p.row)) {
        emit previewStarted(p.column, p.row, button == Qt::LeftButton ? Blue : Red);
        return;
    }
    if (button != Qt::RightButton) emit pointClicked(p.column, p.row);
}

void TBoardView::MouseDown(Qt::MouseButton button, bool shift, int x, int y) {
    const std::optional<Point> p = PointAt(x, y);
    if (!p) return;
    // The cursor follows the mouse, so the keyboard goes on from there.
    SetCursor(*p);
    Press(*p, button, shift);
}

void TBoardView::MouseMove(Qt::MouseButtons buttons, bool shift, int x, int y) {
    const std::optional<Point> p = PointAt(x, y);
    if (!p || *p == hover_) return;
    hover_ = *p;
    emit pointHovered(p->column, p->row);
    if (!shift) return;
    if (buttons.testFlag(Qt::LeftButton))
        emit previewMoved(p->column, p->row, Blue);
    else if (buttons.testFlag(Qt::RightButton))
        emit previewMoved(p->column, p->row, Red);
}

void TBoardView::MouseUp() {
    emit previewEnded();
}

void TBoardView::SetCursor(Point p) {
    if (!OnBoard(p.column, p.row) || p == cursor_) return;
    cursor_ = p;
    if (hasFocus()) update();
    Announce();
}

QString TBoardView::CursorText() const {
    const int32_t v = session_ ? session_->Game().board(cursor_.column, cursor_.row) : Empty;
    const QString what = v == Red    ? QStringLiteral("Red")
                         : v == Blue ? QStringLiteral("Blue")
                                     : QStringLiteral("empty");
    return QString::fromStdString(PointName(cursor_.column, cursor_.row)) + QStringLiteral(", ") +
           what;
}

void TBoardView::Announce() {
    const QString text = CursorText();
    if (text == announced_) return;
    announced_ = text;
    emit announced(text);
    QAccessibleEvent named(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
    // A screen reader follows the focus; the same object with a new name is
    // read again only when the focus is said to have come to it.
    if (hasFocus()) {
        QAccessibleEvent focus(this, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

void TBoardView::EndKeyPreview() {
    if (!keyPreview_) return;
    keyPreview_ = false;
    MouseUp();
}

void TBoardView::keyPressEvent(QKeyEvent* e) {
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    const bool shift = mods == Qt::ShiftModifier;
    // Keys with Ctrl or Alt belong to the window's shortcuts and menus.
    if (mods != Qt::NoModifier && !shift) {
        QWidget::keyPressEvent(e);
        return;
    }
    Point next = cursor_;
    switch (e->key()) {
        case Qt::Key_Left:
            next.column = std::max(1, next.column - 1);
            break;
        case Qt::Key_Right:
            next.column = std::min(8, next.column + 1);
            break;
        case Qt::Key_Up:
            next.row = std::max(1, next.row - 1);
            break;
        case Qt::Key_Down:
            next.row = std::min(8, next.row + 1);
            break;
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            keyboardPlay_ = true;
            // Held down, the key places nothing more.
            if (!e->isAutoRepeat() && !keyPreview_) {
                if (shift && session_ && session_->CanStartPreviewAt(cursor_.column, cursor_.row))
                    keyPreview_ = true;
                Press(cursor_, Qt::LeftButton, shift);
            }
            return;
        default:
            QWidget::keyPressEvent(e);
            return;
    }
    keyboardPlay_ = true;
    SetCursor(next);
    hover_ = cursor_;
    emit pointHovered(cursor_.column, cursor_.row);
    // As with the mouse, the preview follows only while Shift is held.
    if (keyPreview_ && shift) emit previewMoved(cursor_.column, cursor_.row, Blue);
}

void TBoardView::keyReleaseEvent(QKeyEvent* e) {
    if (!e->isAutoRepeat() &&
        (e->key() == Qt::Key_Space || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter))
        EndKeyPreview();
    QWidget::keyReleaseEvent(e);
}

void TBoardView::focusInEvent(QFocusEvent* e) {
    keyboardPlay_ = e->reason() == Qt::TabFocusReason || e->reason() == Qt::BacktabFocusReason ||
                    e->reason() == Qt::ShortcutFocusReason ||
                    (keyboardPlay_ && e->reason() == Qt::ActiveWindowFocusReason);
    QWidget::focusInEvent(e);
    update();
}

void TBoardView::focusOutEvent(QFocusEvent* e) {
    EndKeyPreview();
    QWidget::focusOutEvent(e);
    update();
}

void TBoardView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.translate(origin_);
    emit painting(p);
    if (!hasFocus() || geometry_.CellSize <= 0) return;
    // A dashed frame round the cursor's point, in the text colour: apart from
    // the pieces' colours and the yellow of the predicted line.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    const int margin = std::max(1, (geometry_.CellSize - geometry_.PieceDiameter) / 4);
    p.drawRect(QRect((cursor_.column - 1) * geometry_.CellSize - margin,
                     (cursor_.row - 1) * geometry_.CellSize - margin,
                     geometry_.PieceDiameter + 2 * margin - 1,
                     geometry_.PieceDiameter + 2 * margin - 1));
}

void TBoardView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    geometry_ = ResizeGeometry(width(), height());
    origin_ = SquareOrigin(width(), height());
}

void TBoardView::mousePressEvent(QMouseEvent* e) {
    // The mouse is playing; the focus goes back to the suggestion buttons as it always has.
    keyboardPlay_ = false;
    const QPoint pos = e->position().toPoint();
    MouseDown(e->button(), e->modifiers().testFlag(Qt::ShiftModifier), pos.x(), pos.y());
}

void TBoardView::mouseMoveEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    MouseMove(e->buttons(), e->modifiers().testFlag(Qt::ShiftModifier), pos.x(), pos.y());
}

void TBoardView::mouseReleaseEvent(QMouseEvent*) {
    MouseUp();
}

}  // namespace qv::ui
