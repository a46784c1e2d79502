#include <QAccessible>
#include <QCryptographicHash>
#include <QFontDatabase>
#include <QImage>
#include <QKeyEvent>
#include <QTest>
#include <QToolButton>
#include <algorithm>

#include "ui/BevelPanel.h"
#include "ui/GameSession.h"
#include "ui_test_support.h"

using namespace qv;
using namespace qv::ui;
using namespace qv::ui::testing;

namespace {

// The main window's client area (all but the menu bar, which gained a menu)
// at its designed size with a game on it: pieces of both
// colours, a completed square, the last move's mark and a suggestion's line.
QByteArray DesignedPicture(Program& p) {
    TForm1& f = p.main;
    for (const auto& [c, r] : {std::pair{3, 3}, {5, 2}, {4, 3}, {6, 6}, {4, 4}, {2, 7}, {3, 4}})
        Click(f, c, r);
    f.RepaintMain();
    QCoreApplication::sendPostedEvents();
    const QImage image = f.centralWidget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    return QCryptographicHash::hash(QByteArray::number(image.width()) + 'x' +
                                        QByteArray::number(image.height()) +
                                        QByteArray(reinterpret_cast<const char*>(image.constBits()),
                                                   static_cast<int>(image.sizeInBytes())),
                                    QCryptographicHash::Sha256)
        .toHex();
}

// The board view with the keyboard's focus, as Tab from the start gives it.
void TabToBoard(TForm1& f) {
    for (int i = 0; i < 4 && f.focusWidget() != f.pbBoard; ++i)
        QTest::keyClick(f.focusWidget(), Qt::Key_Tab);
    QCOMPARE(f.focusWidget(), f.pbBoard);
}

// One key's press or release with Shift held throughout, as a person does it.
void Send(TForm1& f, QEvent::Type type, Qt::Key key, Qt::KeyboardModifiers mods) {
    QKeyEvent e(type, key, mods);
    QApplication::sendEvent(f.pbBoard, &e);
}
void Key(TForm1& f, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    Send(f, QEvent::KeyPress, key, mods);
    Send(f, QEvent::KeyRelease, key, mods);
}

}  // namespace

class BoardViewTest : public QObject {
    Q_OBJECT
  private slots:
    // At its designed size the window looks exactly as it always has: the
    // picture was taken before the board learnt to centre itself and to draw
    // a keyboard cursor.
    void designedSizeUnchanged() {
        if (!QFontDatabase::families().contains(QStringLiteral("Liberation Sans")))
            QSKIP("the pinned picture was taken in Liberation Sans (fonts-liberation2)");
        Program p;
        QCOMPARE(p.main.pbBoard->size(), QSize(178, 177));
        QCOMPARE(DesignedPicture(p),
                 QByteArray("b81723673b4e1b46223012bc629df1b9925302103490e81383506d3152a61226"));
    }

    // Keys from the start against clicks on the same points: the same
    // game, and the focus stays on the board for the next move.
    void keysPlayAsClicksDo_data() {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QList<QPoint>>("clicked");
        const int R = Qt::Key_Right, D = Qt::Key_Down, L = Qt::Key_Left, U = Qt::Key_Up;
        const int S = Qt::Key_Space, E = Qt::Key_Return;
        QTest::newRow("Space at the start point") << QList<int>{S} << QList<QPoint>{{1, 1}};
        QTest::newRow("Return after the arrows")
            << QList<int>{R, R, D, D, D, D, E} << QList<QPoint>{{3, 5}};
        QTest::newRow("two moves, the edges hold")
            << QList<int>{L, U, S, R, R, R, R, R, R, R, R, R, D, S}
            << QList<QPoint>{{1, 1}, {8, 2}};
        QTest::newRow("an occupied point clicks as the mouse would")
            << QList<int>{S, S, R, S} << QList<QPoint>{{1, 1}, {1, 1}, {2, 1}};
    }
    void keysPlayAsClicksDo() {
        QFETCH(QList<int>, keys);
        QFETCH(QList<QPoint>, clicked);
        Program byMouse;
        for (const QPoint& at : clicked) Click(byMouse.main, at.x(), at.y());
        Program p;
        TForm1& f = p.main;
        TabToBoard(f);
        for (int k : keys) Key(f, Qt::Key(k));
        QCOMPARE(f.Game.board, byMouse.main.Game.board);
        QCOMPARE(f.Game.MoveCount, byMouse.main.Game.MoveCount);
        QCOMPARE(f.focusWidget(), f.pbBoard);
        // The status bar's position panel follows the cursor as it does the mouse.
        const Point c = f.pbBoard->Cursor();
        if (keys.size() > 1 || keys.front() != Qt::Key_Space)
            QCOMPARE(f.StatusText(0), QString::fromStdString(PointName(c.column, c.row)));
    }

    // The mouse keeps the classic focus: a click hands it to the side to move's button.
    void clickLeavesFocusToTheButtons() {
        Program p;
        TForm1& f = p.main;
        TabToBoard(f);
        Press(f, PixelOf(f, 2, 2));
        Release(f, PixelOf(f, 2, 2));
        QCOMPARE(f.focusWidget(), f.bbRed);
        // The window's shortcuts pass the board by: Ctrl+Z takes the move back.
        f.pbBoard->setFocus(Qt::TabFocusReason);
        QTest::keyClick(f.pbBoard, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.Game.MoveCount, 0);
    }

    // Shift+Space shows the preview as a Shift-click does; it follows Shift
    // and the arrows and goes when Space is let go, leaving no move.
    void shiftSpacePreviews() {
        Program p;
        TForm1& f = p.main;
        TabToBoard(f);
        const TGameSession& session = f.Controller.Session;
        Send(f, QEvent::KeyPress, Qt::Key_Space, Qt::ShiftModifier);
        QVERIFY(session.PreviewShown());
        QCOMPARE(f.Game.board(1, 1), Blue);
        Key(f, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(session.PreviewPoint(), (Point{2, 1}));
        Key(f, Qt::Key_Down);  // without Shift the preview stays
        QCOMPARE(session.PreviewPoint(), (Point{2, 1}));
        Send(f, QEvent::KeyRelease, Qt::Key_Space, Qt::ShiftModifier);
        QVERIFY(!session.PreviewShown());
        QCOMPARE(f.Game.board, Board{});
        QCOMPARE(f.Game.MoveCount, 0);
    }

    // A screen reader hears the point and what is on it as the cursor
    // moves and as a piece lands under it.
    void screenReaderFollowsTheCursor() {
        Program p;
        TForm1& f = p.main;
        TabToBoard(f);
        QStringList heard;
        connect(f.pbBoard, &TBoardView::announced, this, [&](const QString& t) { heard << t; });
        Key(f, Qt::Key_Right);
        Key(f, Qt::Key_Down);
        Key(f, Qt::Key_Space);
        Key(f, Qt::Key_Right);
        QCOMPARE(heard, (QStringList{"B,8, empty", "B,7, empty", "B,7, Blue", "C,7, empty"}));
        Key(f, Qt::Key_Left);
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(f.pbBoard);
        QCOMPARE(a->text(QAccessible::Name), QStringLiteral("B,7, Blue"));
        QCOMPARE(a->text(QAccessible::Description), QStringLiteral("Board"));
        QVERIFY(a->state().focusable);
    }

    // A larger window: the board fills the largest square of its area,
    // centred; the panels and their controls stay as designed.
    void boardGrowsCentred_data() {
        QTest::addColumn<QSize>("grow");
        QTest::newRow("wider") << QSize(400, 0);
        QTest::newRow("taller") << QSize(0, 300);
        QTest::newRow("both") << QSize(500, 420);
    }
    void boardGrowsCentred() {
        QFETCH(QSize, grow);
        Program p;
        TForm1& f = p.main;
        const QRect blue = f.bbBlue->geometry(), back = f.sbBack->geometry();
        f.resize(f.size() + grow);
        const QSize area = f.pbBoard->size();
        QCOMPARE(area, QSize(178, 177) + grow);
        const int side = std::min(area.width(), area.height());
        QCOMPARE(f.CellSize(), side / 8);
        QCOMPARE(f.pbBoard->Origin(),
                 QPoint((area.width() - side) / 2, (area.height() - side) / 2));
        QCOMPARE(f.Panel2->height(), 50);
        QCOMPARE(f.Panel1->height(), 43);
        QCOMPARE(f.bbBlue->geometry(), blue);
        QCOMPARE(f.sbBack->geometry(), back);
        // A click on a piece's centre as drawn finds its point, and the piece is there.
        const QPoint at = PixelOf(f, 6, 3);
        Press(f, at);
        Release(f, at);
        QCOMPARE(f.Game.board(6, 3), Blue);
        // Beside the last move's dot, inside the piece.
        const QPoint inside(2 - f.PieceDiameter() / 2, 0);
        QCOMPARE(PixelAt(f.pbBoard, at + inside), QColor(0, 0, 255));
    }
};

QTEST_MAIN(BoardViewTest)
#include "board_view_test.moc"
