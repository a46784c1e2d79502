#pragma once

#include <QWidget>

namespace qv::ui {

// A plain panel with a lowered outer and a raised inner bevel, one pixel each.
// Children are placed by hand, so the panel never limits how small the window
// may get.
class TBevelPanel : public QWidget {
    Q_OBJECT
  public:
    explicit TBevelPanel(QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace qv::ui
