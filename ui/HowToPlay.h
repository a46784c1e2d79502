#pragma once

#include <QWidget>

#include "model/board.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QScrollArea;

namespace qv::ui {

// A corner of the board drawn as the board draws itself: the points of the
// first few columns and rows, with the pieces and outlines of `board`.
class TBoardPicture : public QWidget {
  public:
    TBoardPicture(const Board& board, int columns, int rows, QWidget* parent = nullptr);

    const Board& PictureBoard() const { return board_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Board board_;
    int columns_, rows_;
};

// "How to Play Quadrivane": the rules, with pictures of two squares and their
// scores, how a game ends, the controls and the shortcuts.
class THowToPlayForm : public QWidget {
    Q_OBJECT
  public:
    explicit THowToPlayForm(QWidget* parent = nullptr);

    // "Show at start-up": checked unless the user turned it off.
    bool ShowAtStartUp() const;
    void SetShowAtStartUp(bool show);

    QScrollArea* RulesArea;
    // An axis-aligned square of Blue's and a tilted one of Red's, each with
    // its score under it.
    TBoardPicture* AxisPicture;
    TBoardPicture* TiltedPicture;
    QLabel* AxisCaption;
    QLabel* TiltedCaption;
    QCheckBox* cbShowAtStartUp;
    QPushButton* CloseButton;

  signals:
    // The check box changed, by the user or through SetShowAtStartUp.
    void showAtStartUpChanged(bool show);
};

}  // namespace qv::ui
