#pragma once

#include <QWidget>

class QPlainTextEdit;

namespace qv::ui {

// A scrollable, editable text area for the potential listings.
class TTestForm : public QWidget {
    Q_OBJECT
  public:
    explicit TTestForm(QWidget* parent = nullptr);

    QPlainTextEdit* TestMemo;
};

}  // namespace qv::ui
