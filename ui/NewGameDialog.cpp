#include "ui/NewGameDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "model/board.h"
#include "ui/Dialogs.h"
#include "ui/WindowGeometry.h"

namespace qv::ui {

bool NewGameChoice::ComputerPlays(int32_t colour) const {
    switch (human) {
        case HumanPlays::Blue:
            return colour == Red;
        case HumanPlays::Red:
            return colour == Blue;
        case HumanPlays::Both:
            return false;
        case HumanPlays::Neither:
            return true;
    }
    return false;
}

TNewGameDialog::TNewGameDialog(const QStringList& levels, const NewGameChoice& initial,
                               QWidget* parent)
    : QDialog(parent), initialLevel_(initial.level) {
    setWindowTitle(QStringLiteral("New Game"));
    setFont(WindowFont());

    rbPlayBlue = new QRadioButton(QStringLiteral("&Blue (the computer plays Red)"));
    rbPlayRed = new QRadioButton(QStringLiteral("&Red (the computer plays Blue)"));
    rbPlayBoth = new QRadioButton(QStringLiteral("B&oth colours (two people at one screen)"));
    rbWatch = new QRadioButton(QStringLiteral("&Neither (watch the computer play itself)"));
    auto* who = new QGroupBox(QStringLiteral("You play"));
    auto* whoLayout = new QVBoxLayout(who);
    for (QRadioButton* b : {rbPlayBlue, rbPlayRed, rbPlayBoth, rbWatch}) whoLayout->addWidget(b);
    switch (initial.human) {
        case HumanPlays::Blue:
            rbPlayBlue->setChecked(true);
            break;
        case HumanPlays::Red:
            rbPlayRed->setChecked(true);
            break;
        case HumanPlays::Both:
            rbPlayBoth->setChecked(true);
            break;
        case HumanPlays::Neither:
            rbWatch->setChecked(true);
            break;
    }

    cbLevel = new QComboBox;
    cbLevel->addItems(levels);
    if (!levels.isEmpty())
        cbLevel->setCurrentIndex(std::clamp(initial.level - 1, 0, int(levels.size()) - 1));
    lblLevel = new QLabel(QStringLiteral("Computer's &level:"));
    lblLevel->setBuddy(cbLevel);
    auto* level = new QHBoxLayout;
    level->addWidget(lblLevel);
    level->addWidget(cbLevel, 1);

    cbShowSquares = new QCheckBox(QStringLiteral("&Show completed squares"));
    cbShowSquares->setChecked(initial.showSquares);

    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    Buttons->button(QDialogButtonBox::Ok)->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(who);
    layout->addLayout(level);
    layout->addWidget(cbShowSquares);
    layout->addWidget(Buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(rbPlayBoth, &QRadioButton::toggled, this, &TNewGameDialog::UpdateLevelEnabled);
    UpdateLevelEnabled();
}

NewGameChoice TNewGameDialog::Choice() const {
    NewGameChoice c;
    c.human = rbPlayRed->isChecked()    ? HumanPlays::Red
              : rbPlayBoth->isChecked() ? HumanPlays::Both
              : rbWatch->isChecked()    ? HumanPlays::Neither
                                        : HumanPlays::Blue;
    // Without names to choose from, the level stays the one the dialog began with.
    c.level = cbLevel->count() > 0 ? cbLevel->currentIndex() + 1 : initialLevel_;
    c.showSquares = cbShowSquares->isChecked();
    return c;
}

std::optional<NewGameChoice> TNewGameDialog::Ask() {
    if (!Dialogs().RunDialog(*this)) return std::nullopt;
    return Choice();
}

void TNewGameDialog::UpdateLevelEnabled() {
    // Two people at one screen leave the computer nothing to play.
    const bool computerPlays = !rbPlayBoth->isChecked();
    lblLevel->setEnabled(computerPlays);
    cbLevel->setEnabled(computerPlays);
}

}  // namespace qv::ui
