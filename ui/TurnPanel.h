#pragma once

#include <QString>
#include <QWidget>
#include <functional>

class QPainter;

namespace qv::ui {

// The status bar panel the program draws itself. Its text names it for the
// drawing handler and is never shown.
class TTurnPanel : public QWidget {
    Q_OBJECT
  public:
    explicit TTurnPanel(const QString& text, QWidget* parent = nullptr);

    QString Text() const { return text_; }
    // The owner's drawing handler: (painter, panel text, panel rectangle).
    std::function<void(QPainter&, const QString&, const QRect&)> OnDrawPanel;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
};

}  // namespace qv::ui
