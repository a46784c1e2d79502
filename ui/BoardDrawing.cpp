#include "ui/BoardDrawing.h"

#include <QPainter>
#include <algorithm>

namespace qv::ui {

namespace {

const QColor kRed{255, 0, 0};
const QColor kBlue{0, 0, 255};
const QColor kBlack{0, 0, 0};

// Font height of the 8 point window font; the move numbers are centred on it.
constexpr int32_t kCharHeight = 11;

QRect PieceRect(int32_t column, int32_t row, const BoardGeometry& g) {
    // QPainter draws an outlined shape one pixel wider than its rectangle.
    return QRect((column - 1) * g.CellSize, (row - 1) * g.CellSize, g.PieceDiameter - 1,
                 g.PieceDiameter - 1);
}

}  // namespace

BoardGeometry CreationGeometry(int areaWidth, int areaHeight) {
    BoardGeometry g;
    g.CellSize = std::max(0, std::min(areaWidth, areaHeight)) / 8;
    g.PieceDiameter = g.CellSize - 2 * (g.CellSize / 5);
    return g;
}

BoardGeometry ResizeGeometry(int areaWidth, int areaHeight) {
    BoardGeometry g;
    g.CellSize = std::max(0, std::min(areaWidth, areaHeight)) / 8;
    g.PieceDiameter = 3 * (g.CellSize / 5);
    return g;
}

int32_t HitTest(int p, int32_t cellSize) {
    const int shifted = p + 5;
    if (cellSize <= 0 || shifted < 0) return 0;
    const int q = shifted / cellSize;
    const int m = shifted % cellSize;
    return (m == 0 && q % 2 == 0) ? q : q + 1;
}

QColor ColourRgb(int32_t cellValue) {
    if (cellValue == Red) return kRed;
    if (cellValue == Blue) return kBlue;
    return kBlack;
}

std::vector<SquareOutline> CompletedSquareOutlines(const Board& b) {
    std::vector<SquareOutline> out;
    for (int32_t r1 = 1; r1 <= 8; ++r1)
        for (int32_t c1 = 1; c1 <= 8; ++c1) {
            const int32_t v = b(c1, r1);
            if (v == Empty) continue;
            for (int32_t r2 = r1; r2 <= 8; ++r2)
                for (int32_t c2 = c1 + 1; c2 <= 8; ++c2) {
                    if (b(c2, r2) != v) continue;
                    const int32_t dc = c2 - c1, dr = r2 - r1;
                    if (c1 - dr < 1 || r2 + dc > 8) continue;
                    const Point p3{c2 - dr, r2 + dc}, p4{c1 - dr, r1 + dc};
                    if (b(p3.column, p3.row) == v && b(p4.column, p4.row) == v)
                        out.push_back({{Point{c1, r1}, Point{c2, r2}, p3, p4}, v});
                }
        }
    return out;
}

std::vector<SquareOutline> PossibleSquareOutlines(const Board& b) {
    std::vector<SquareOutline> out;
    for (int32_t r1 = 1; r1 <= 8; ++r1)
        for (int32_t c1 = 1; c1 <= 8; ++c1) {
            const int32_t v = b(c1, r1);
            if (v == Empty) continue;
            const int32_t o = Opponent(v);
            auto consider = [&](Point p1, Point p2, Point p3, Point p4) {
                const int32_t a = b(p3.column, p3.row), d = b(p4.column, p4.row);
                if ((a == v) != (d == v) && a != o && d != o) out.push_back({{p1, p2, p3, p4}, v});
            };
            for (int32_t r2 = r1; r2 <= 8; ++r2)
                for (int32_t c2 = c1 + 1; c2 <= 8; ++c2) {
                    if (b(c2, r2) != v) continue;
                    const int32_t dc = c2 - c1, dr = r2 - r1;
                    const Point p1{c1, r1}, p2{c2, r2};
                    if (r2 + dc <= 8 && c1 - dr >= 1)
                        consider(p1, p2, {c2 - dr, r2 + dc}, {c1 - dr, r1 + dc});
                    if (c2 + dr <= 8 && r1 - dc >= 1)
                        consider(p1, p2, {c2 + dr, r2 - dc}, {c1 + dr, r1 - dc});
                }
        }
    return out;
}

QPoint PointCentre(int32_t column, int32_t row, const BoardGeometry& g) {
    return QPoint((column - 1) * g.CellSize + g.PieceDiameter / 2,
                  (row - 1) * g.CellSize + g.PieceDiameter / 2);
}

QPolygon OutlinePolygon(const SquareOutline& s, const BoardGeometry& g) {
    const int o = s.colour == Red ? -1 : 1;
    QPolygon poly;
    for (const Point& p : s.corners) poly << PointCentre(p.column, p.row, g) + QPoint(o, 2 * o);
    return poly;
}

QString ScoreCaption(int32_t score, int32_t projected) {
    return QStringLiteral("%1 (%2)").arg(score).arg(projected);
}

ButtonColours ButtonTextColours(const Board& board) {
    const int32_t nr = board.CountOf(Red), nb = board.CountOf(Blue);
    ButtonColours c{kRed, kBlue};
    if (nb - nr >= 2) c.blue = kYellow;
    if (nr - nb >= 1) c.red = kYellow;
    return c;
}

void DrawSquareOutline(QPainter& p, const SquareOutline& s, const BoardGeometry& g,
                       Qt::PenStyle style) {
    p.setPen(QPen(ColourRgb(s.colour), 1, style));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(OutlinePolygon(s, g));
}

void DrawCompletedSquares(QPainter& p, const Board& board, const BoardGeometry& g) {
    for (const SquareOutline& s : CompletedSquareOutlines(board))
        DrawSquareOutline(p, s, g, Qt::SolidLine);
}

void DrawPossibleSquares(QPainter& p, const Board& board, const BoardGeometry& g) {
    for (const SquareOutline& s : PossibleSquareOutlines(board))
        DrawSquareOutline(p, s, g, Qt::DotLine);
}

QRect LastMoveMark(int32_t column, int32_t row, const BoardGeometry& g) {
    const QRect piece = PieceRect(column, row, g);
    const int size = std::max(4, g.PieceDiameter / 3);
    return QRect(piece.center() - QPoint(size / 2, size / 2), QSize(size, size));
}

void DrawBoard(QPainter& p, const Board& board, const PredictedLine& line,
               const TSettings& settings, const BoardGeometry& g, Point lastMove) {
    if (g.CellSize <= 0) return;
    p.setRenderHint(QPainter::Antialiasing, false);
    // Outlines of completed squares go first, so the points cover their corners.
    if (settings.ShowSquares) DrawCompletedSquares(p, board, g);

    p.setPen(QPen(kBlack, 1, Qt::SolidLine));
    for (int32_t r = 1; r <= 8; ++r)
        for (int32_t c = 1; c <= 8; ++c) {
            p.setBrush(ColourRgb(board(c, r)));
            p.drawEllipse(PieceRect(c, r, g));
        }

    if (settings.ShowLastMove && OnBoard(lastMove.column, lastMove.row) &&
        board(lastMove.column, lastMove.row) != Empty) {
        p.setPen(QPen(kBlack, 1, Qt::SolidLine));
        p.setBrush(QColor(255, 255, 255));
        p.drawEllipse(LastMoveMark(lastMove.column, lastMove.row, g));
    }

    if (line[1].column != -1) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kYellow, 1, Qt::SolidLine));
        const int k = (g.PieceDiameter - kCharHeight) / 2;
        for (int i = 1; i <= 15; ++i) {
            const ScoredMove& m = line[i];
            if (m.column == -1 || !OnBoard(m.column, m.row)) break;
            p.drawEllipse(PieceRect(m.column, m.row, g));
            if (!settings.ShowPredictedMoveOrder) break;
            const QPoint at((m.column - 1) * g.CellSize + k, (m.row - 1) * g.CellSize + k);
            p.drawText(QRect(at, QSize(4 * g.CellSize + 40, 40)), Qt::AlignLeft | Qt::AlignTop,
                       QString::number(i));
        }
    }

    // Possible squares go over pieces and marks alike.
    if (settings.ShowPossibleSquares) DrawPossibleSquares(p, board, g);
}

}  // namespace qv::ui
