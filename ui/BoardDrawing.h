#pragma once

#include <QColor>
#include <QPoint>
#include <QPolygon>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

#include "engine/engine.h"
#include "model/board.h"
#include "model/settings.h"

class QPainter;

namespace qv::ui {

// Pixel sizes shared by the drawing and the mouse handling.
struct BoardGeometry {
    int32_t CellSize = 0;
    int32_t PieceDiameter = 0;
};

// The geometry when the main window is created, and after every resize. The
// two diameter rules differ on purpose: the resize rule is the one the user sees.
BoardGeometry CreationGeometry(int areaWidth, int areaHeight);
BoardGeometry ResizeGeometry(int areaWidth, int areaHeight);

// Column (from x) or row (from y) under a pixel; halves go to the even side.
// Anything outside 1..8 is off the board.
int32_t HitTest(int p, int32_t cellSize);

QColor ColourRgb(int32_t cellValue);  // red, blue, or black for empty
inline const QColor kYellow{255, 255, 0};

// Four corners of one square and the colour that owns (or nearly owns) it.
struct SquareOutline {
    std::array<Point, 4> corners;
    int32_t colour;
    bool operator==(const SquareOutline&) const = default;
};

// Every completed square, each once.
std::vector<SquareOutline> CompletedSquareOutlines(const Board& board);
// Every square with three corners of one colour and the fourth empty, each once.
std::vector<SquareOutline> PossibleSquareOutlines(const Board& board);

QPoint PointCentre(int32_t column, int32_t row, const BoardGeometry& g);
// The polygon through the corners' centres, moved (-1, -2) for Red and
// (+1, +2) for Blue so outlines of both colours over the same points stay apart.
QPolygon OutlinePolygon(const SquareOutline& s, const BoardGeometry& g);

// "12 (30)": the score and the value of the possible squares.
QString ScoreCaption(int32_t score, int32_t projected);

struct ButtonColours {
    QColor red;
    QColor blue;
};
// Blue may be one piece ahead of Red; a colour with more than that shows yellow.
ButtonColours ButtonTextColours(const Board& board);

void DrawSquareOutline(QPainter& p, const SquareOutline& s, const BoardGeometry& g,
                       Qt::PenStyle style);
void DrawCompletedSquares(QPainter& p, const Board& board, const BoardGeometry& g);
void DrawPossibleSquares(QPainter& p, const Board& board, const BoardGeometry& g);
// Points, pieces, square outlines, the last move's mark (at lastMove, when
// shown and on a piece) and the predicted line, in that order.
void DrawBoard(QPainter& p, const Board& board, const PredictedLine& line,
               const TSettings& settings, const BoardGeometry& g, Point lastMove = {});

// The mark on the last move's piece: a white dot with a black rim in the
// piece's middle, plain on red and on blue and apart from the yellow ring.
QRect LastMoveMark(int32_t column, int32_t row, const BoardGeometry& g);

}  // namespace qv::ui
