#pragma once

#include <QWidget>
#include <string>
#include <vector>

class QPlainTextEdit;

namespace qv::ui {

// A scrollable, editable text area for the potential listings.
class TTestForm : public QWidget {
    Q_OBJECT
  public:
    explicit TTestForm(QWidget* parent = nullptr);

    // Shown and raised, with these lines in place of what it held.
    void ShowListing(const std::vector<std::string>& lines);

    QPlainTextEdit* TestMemo;
};

}  // namespace qv::ui
