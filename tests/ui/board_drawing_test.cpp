#include <QTest>

#include "ui/BoardDrawing.h"

using namespace qv;
using namespace qv::ui;

namespace {
Board With(std::initializer_list<Point> points, int32_t colour, Board b = {}) {
    for (Point p : points) b(p.column, p.row) = colour;
    return b;
}
}  // namespace

class BoardDrawingTest : public QObject {
    Q_OBJECT
  private slots:
    void hitTest_data() {
        QTest::addColumn<int>("pixel");
        QTest::addColumn<int>("cellSize");
        QTest::addColumn<int>("expected");
        // Halves go to the even neighbour: 1.5 -> 2, 2.5 -> 2, 3.5 -> 4.
        const int rows[][3] = {{0, 22, 1},  {16, 22, 1}, {17, 22, 2},  {39, 22, 2},
                               {40, 22, 3}, {60, 22, 3}, {61, 22, 4},  {171, 22, 8},
                               {-5, 22, 0}, {-6, 22, 0}, {175, 22, 9}, {10, 0, 0}};
        for (const auto& r : rows) QTest::addRow("p%d_cell%d", r[0], r[1]) << r[0] << r[1] << r[2];
    }
    void hitTest() {
        QFETCH(int, pixel);
        QFETCH(int, cellSize);
        QFETCH(int, expected);
        const int got = HitTest(pixel, cellSize);
        if (expected >= 1 && expected <= 8)
            QCOMPARE(got, expected);
        else
            QVERIFY2(got < 1 || got > 8, qPrintable(QString::number(got)));
    }

    void geometryRules_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("cell");
        QTest::addColumn<int>("creationDiameter");
        QTest::addColumn<int>("resizeDiameter");
        QTest::newRow("designed") << 178 << 177 << 22 << 14 << 12;
        QTest::newRow("wide") << 400 << 300 << 37 << 23 << 21;
        QTest::newRow("tall") << 300 << 400 << 37 << 23 << 21;
        QTest::newRow("tiny") << 7 << 300 << 0 << 0 << 0;
    }
    void geometryRules() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, cell);
        QFETCH(int, creationDiameter);
        QFETCH(int, resizeDiameter);
        const BoardGeometry c = CreationGeometry(width, height);
        const BoardGeometry r = ResizeGeometry(width, height);
        QCOMPARE(c.CellSize, cell);
        QCOMPARE(r.CellSize, cell);
        QCOMPARE(c.PieceDiameter, creationDiameter);
        QCOMPARE(r.PieceDiameter, resizeDiameter);
    }

    void completedSquares() {
        const Board axisRed = With({{2, 2}, {3, 2}, {3, 3}, {2, 3}}, Red);
        const auto red = CompletedSquareOutlines(axisRed);
        QCOMPARE(red.size(), size_t{1});
        QCOMPARE(red[0].colour, Red);

        const Board tilted = With({{2, 1}, {4, 2}, {3, 4}, {1, 3}}, Blue);
        QCOMPARE(CompletedSquareOutlines(tilted).size(), size_t{1});

        // A big square with its centre square also complete: two, each once.
        Board nested = With({{1, 1}, {3, 1}, {1, 3}, {3, 3}, {2, 1}, {2, 2}, {1, 2}}, Blue);
        QCOMPARE(CompletedSquareOutlines(nested).size(), size_t{2});

        Board mixed = With({{2, 2}, {3, 2}, {3, 3}}, Red);
        mixed(2, 3) = Blue;
        QVERIFY(CompletedSquareOutlines(mixed).empty());
    }

    void possibleSquares() {
        const Board three = With({{2, 2}, {3, 2}, {3, 3}}, Blue);
        const auto got = PossibleSquareOutlines(three);
        QCOMPARE(got.size(), size_t{1});
        QCOMPARE(got[0].colour, Blue);
        bool hasFourth = false;
        for (Point p : got[0].corners) hasFourth |= p == Point{2, 3};
        QVERIFY(hasFourth);

        Board blocked = three;
        blocked(2, 3) = Red;
        QVERIFY(PossibleSquareOutlines(blocked).empty());

        // Complete squares are not possible ones.
        Board full = three;
        full(2, 3) = Blue;
        QVERIFY(PossibleSquareOutlines(full).empty());

        // Three corners of a tilted square, whichever three.
        const Point tilt[4] = {{2, 1}, {4, 2}, {3, 4}, {1, 3}};
        for (int missing = 0; missing < 4; ++missing) {
            Board b;
            for (int i = 0; i < 4; ++i)
                if (i != missing) b(tilt[i].column, tilt[i].row) = Red;
            QCOMPARE(PossibleSquareOutlines(b).size(), size_t{1});
        }
    }

    void outlineOffsets() {
        const BoardGeometry g{22, 12};
        const SquareOutline red{{Point{2, 2}, Point{3, 2}, Point{3, 3}, Point{2, 3}}, Red};
        const QPolygon r = OutlinePolygon(red, g);
        QCOMPARE(r.size(), 4);
        QCOMPARE(r[0], QPoint(22 + 6 - 1, 22 + 6 - 2));
        QCOMPARE(r[2], QPoint(44 + 6 - 1, 44 + 6 - 2));
        SquareOutline blue = red;
        blue.colour = Blue;
        const QPolygon b = OutlinePolygon(blue, g);
        QCOMPARE(b[0], QPoint(22 + 6 + 1, 22 + 6 + 2));
        QCOMPARE(b[3], QPoint(22 + 6 + 1, 44 + 6 + 2));
    }

    void captionsAndColours_data() {
        QTest::addColumn<int>("red");
        QTest::addColumn<int>("blue");
        QTest::addColumn<bool>("redYellow");
        QTest::addColumn<bool>("blueYellow");
        QTest::newRow("empty") << 0 << 0 << false << false;
        QTest::newRow("blue one ahead") << 1 << 2 << false << false;
        QTest::newRow("blue two ahead") << 1 << 3 << false << true;
        QTest::newRow("red ahead") << 2 << 1 << true << false;
        QTest::newRow("level") << 2 << 2 << false << false;
    }
    void captionsAndColours() {
        QFETCH(int, red);
        QFETCH(int, blue);
        QFETCH(bool, redYellow);
        QFETCH(bool, blueYellow);
        Board b;
        for (int i = 0; i < red; ++i) b[i] = Red;
        for (int i = 0; i < blue; ++i) b[32 + i] = Blue;
        const ButtonColours c = ButtonTextColours(b);
        QCOMPARE(c.red, redYellow ? kYellow : QColor(255, 0, 0));
        QCOMPARE(c.blue, blueYellow ? kYellow : QColor(0, 0, 255));
        QCOMPARE(ScoreCaption(12, 30), QStringLiteral("12 (30)"));
    }
};

QTEST_MAIN(BoardDrawingTest)
#include "board_drawing_test.moc"
