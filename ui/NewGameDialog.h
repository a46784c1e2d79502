#pragma once

#include <QDialog>
#include <QStringList>
#include <cstdint>
#include <optional>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QRadioButton;

namespace qv::ui {

// Who sits at the screen; the computer plays the other colours.
enum class HumanPlays { Blue, Red, Both, Neither };

// What "New Game…" asks for.
struct NewGameChoice {
    HumanPlays human = HumanPlays::Blue;
    int level = 3;  // 1..10, for every colour the computer plays
    bool showSquares = true;

    bool ComputerPlays(int32_t colour) const;
    bool operator==(const NewGameChoice&) const = default;
};

// "New Game": your colour, the computer's level and "Show completed squares".
class TNewGameDialog : public QDialog {
    Q_OBJECT
  public:
    // `levels` names the levels 1, 2, ... in order; the dialog starts from `initial`
    // (a level beyond the list shows the last one).
    TNewGameDialog(const QStringList& levels, const NewGameChoice& initial = {},
                   QWidget* parent = nullptr);

    // What the controls say now.
    NewGameChoice Choice() const;
    // Runs the dialog through the program's dialogs; nothing when cancelled.
    std::optional<NewGameChoice> Ask();

    QRadioButton* rbPlayBlue;
    QRadioButton* rbPlayRed;
    QRadioButton* rbPlayBoth;
    QRadioButton* rbWatch;
    QLabel* lblLevel;
    QComboBox* cbLevel;
    QCheckBox* cbShowSquares;
    QDialogButtonBox* Buttons;

  private:
    void UpdateLevelEnabled();

    int initialLevel_;
};

}  // namespace qv::ui
