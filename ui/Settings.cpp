#include "ui/Settings.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <algorithm>

#include "ui/WindowGeometry.h"

namespace qv::ui {

namespace {

QSlider* TrackBar(QWidget* parent, QRect geometry, int maximum, const QString& name) {
    auto* tb = new QSlider(Qt::Horizontal, parent);
    // Its caption is a separate label (or a radio button), which a screen reader does not link.
    tb->setAccessibleName(name);
    tb->setGeometry(geometry);
    tb->setRange(1, maximum);
    tb->setTickInterval(1);
    tb->setTickPosition(QSlider::TicksBelow);
    tb->setPageStep(1);
    return tb;
}

void SetValueLabel(QLabel* label, int value) {
    label->setText(QString::number(value));
    label->adjustSize();
}

// The time bar counts tenths of a second.
void SetTimeLabel(QLabel* label, int tenths) {
    label->setText(QStringLiteral("%1.%2 s").arg(tenths / 10).arg(tenths % 10));
    label->adjustSize();
}

QCheckBox* CheckBox(QWidget* parent, int y, const QString& text, int x = 9) {
    auto* cb = new QCheckBox(text, parent);
    cb->move(x, y);
    cb->adjustSize();
    return cb;
}

}  // namespace

void TForm2::BuildSearchPage(TSearchPage& s, QWidget* page, int depthX, int radioY) {
    s.page = page;
    PlacedLabel(page, {6, 1}, QStringLiteral("Search Depth:"));
    s.depthLabel = PlacedLabel(page, {77, 2}, QString());
    s.depth = TrackBar(page, QRect(depthX, 16, 216, 37), 15, QStringLiteral("Search Depth"));
    s.fullWidth = new QRadioButton(QStringLiteral("Full Width Search"), page);
    s.fullWidth->setGeometry(6, radioY, 113, 17);
    s.limitedWidth = new QRadioButton(QStringLiteral("Search Width:"), page);
    s.limitedWidth->setGeometry(6, radioY + 19, 89, 17);
    s.widthLabel = PlacedLabel(page, {95, 77}, QString());
    s.width = TrackBar(page, QRect(22, 94, 216, 34), 64, QStringLiteral("Search Width"));
    // Below the classic controls, which keep their places.
    s.strong = new QRadioButton(QStringLiteral("Strong, thinking time"), page);
    s.strong->setGeometry(6, 131, 132, 17);
    s.timeLabel = PlacedLabel(page, {140, 133}, QString());
    s.time = TrackBar(page, QRect(22, 148, 216, 34), 300, QStringLiteral("Thinking Time"));
    s.time->setTickInterval(50);
    s.time->setPageStep(10);
    connect(s.time, &QSlider::valueChanged, s.timeLabel,
            [label = s.timeLabel](int tenths) { SetTimeLabel(label, tenths); });
}

void TForm2::EnableSearchControls(const TSearchPage& s) {
    s.depth->setEnabled(!s.strong->isChecked());
    s.width->setEnabled(s.limitedWidth->isChecked());
    s.time->setEnabled(s.strong->isChecked());
}

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Quadrivane Settings"));
    setFont(WindowFont());
    setAttribute(Qt::WA_QuitOnClose, false);
    // Seven pixels wider than the designed 287: in a face with Arial's widths
    // the separate-settings check box's caption ends at 294. 56 pixels taller,
    // for the strong search's choice under each search page's classic ones.
    setFixedSize(294, 266);
    move(310, 170);

    cbRBAISettings = new QCheckBox(
        QStringLiteral("Seperate Artificial Intelligence Settings for Blue and Red"), this);
    cbRBAISettings->setGeometry(3, 2, 298, 17);

    pcSettings = new QTabWidget(this);
    pcSettings->setGeometry(2, 22, 285, 216);
    tsAI = new QWidget;
    tsInterface = new QWidget;
    tsBlueAI = new QWidget;
    tsRedAI = new QWidget;
    pcSettings->addTab(tsAI, QStringLiteral("Artificial Intelligence"));
    pcSettings->addTab(tsInterface, QStringLiteral("Interface"));
    pcSettings->addTab(tsBlueAI, QStringLiteral("Blue AI"));
    pcSettings->addTab(tsRedAI, QStringLiteral("Red AI"));
    // The three search pages hold controls of the same names; a screen reader
    // tells them apart by the page's name.
    for (int i = 0; i < pcSettings->count(); ++i)
        pcSettings->widget(i)->setAccessibleName(pcSettings->tabText(i));

    BuildSearchPage(yourAI_, tsAI, 22, 57);
    BuildSearchPage(blueAI_, tsBlueAI, 22, 56);
    BuildSearchPage(redAI_, tsRedAI, 21, 57);

    cbShowSquares = CheckBox(tsInterface, 7, QStringLiteral("Show Squares"));
    cbShowPossible = CheckBox(tsInterface, 31, QStringLiteral("Show Possible Squares"));
    cbYourMoveOrd = CheckBox(tsInterface, 68, QStringLiteral("Show Predicted Move Order"));
    cbSound = CheckBox(tsInterface, 104, QStringLiteral("Sound"));
    cbShowLastMove = CheckBox(tsInterface, 104, QStringLiteral("Show Last Move"), 140);
    QLabel* threads = PlacedLabel(tsInterface, {142, 9}, QStringLiteral("Search Threads:"));
    seSearchThreads = new QSpinBox(tsInterface);
    seSearchThreads->setRange(1, 64);
    seSearchThreads->setAccessibleName(QStringLiteral("Search Threads"));
    seSearchThreads->setGeometry(threads->x() + threads->width() + 4, 5, 46, 21);
    threads->setBuddy(seSearchThreads);

    OK = new QPushButton(QStringLiteral("OK"), this);
    OK->setGeometry(55, 241, 75, 25);
    OK->setDefault(true);
    Cancel = new QPushButton(QStringLiteral("Cancel"), this);
    Cancel->setGeometry(133, 241, 75, 25);
    bApply = new QPushButton(QStringLiteral("&Apply"), this);
    bApply->setGeometry(212, 241, 75, 25);
    // In the free corner left of OK, so the classic controls keep their places;
    // the short caption fits there, the name says the whole.
    bDefaults = new QPushButton(QStringLiteral("Defaults"), this);
    bDefaults->setGeometry(2, 241, 50, 25);
    bDefaults->setToolTip(QStringLiteral("Restore Defaults"));
    bDefaults->setAccessibleName(QStringLiteral("Restore Defaults"));

    connect(OK, &QPushButton::clicked, this, &TForm2::OKClick);
    connect(Cancel, &QPushButton::clicked, this, &TForm2::CancelClick);
    connect(bApply, &QPushButton::clicked, this, &TForm2::bApplyClick);
    connect(bDefaults, &QPushButton::clicked, this, &TForm2::bDefaultsClick);
    // The pages follow the box whatever changes it: a click, the keyboard or a
    // screen reader's Toggle, which changes the box without clicking it.
    connect(cbRBAISettings, &QCheckBox::toggled, this, &TForm2::cbRBAISettingsClick);
    connect(tbYourAI, &QSlider::valueChanged, this, &TForm2::tbYourAIChange);
    connect(tbSearchWidth, &QSlider::valueChanged, this, &TForm2::tbSearchWidthChange);
    connect(tbBlueAIDepth, &QSlider::valueChanged, this, &TForm2::tbBlueAIDepthChange);
    connect(tbBlueAIWidth, &QSlider::valueChanged, this, &TForm2::tbBlueAIWidthChange);
    connect(tbRedAIDepth, &QSlider::valueChanged, this, &TForm2::tbRedAIDepthChange);
    connect(tbRedAIWidth, &QSlider::valueChanged, this, &TForm2::tbRedAIWidthChange);
    for (QRadioButton* rb : {rbFullSearch, rbSearchWidth, rbStrong})
        connect(rb, &QRadioButton::toggled, this, &TForm2::SetSearchWidthEnabled);
    for (QRadioButton* rb : {rbBlueFullSearch, rbBlueAIWidth, rbBlueStrong})
        connect(rb, &QRadioButton::toggled, this, &TForm2::SetBlueAIWidthEnabled);
    for (QRadioButton* rb : {rbRedFullSearch, rbRedAIWidth, rbRedStrong})
        connect(rb, &QRadioButton::toggled, this, &TForm2::SetRedAIWidthEnabled);

    // FormCreate: the record lives exactly as long as the dialog.
    settings_ = std::make_unique<TSettings>();
    settings_->SetDefaults();
    CurrentSettings = settings_.get();
}

TForm2::~TForm2() {
    CurrentSettings = nullptr;
}

void TForm2::DisplaySettings(const TSettings& s) {
    cbRBAISettings->setChecked(s.SeparateAISettings);
    ShowSeparatePages(s.SeparateAISettings);

    auto load = [](const TSearchPage& p, int32_t d, int32_t w, bool f, bool strong, int32_t ms) {
        p.depth->setValue(d);
        SetValueLabel(p.depthLabel, d);
        p.width->setValue(w);
        SetValueLabel(p.widthLabel, w);
        // Checking one of the exclusive buttons clears the others.
        (strong ? p.strong : f ? p.fullWidth : p.limitedWidth)->setChecked(true);
        p.time->setValue(std::clamp((ms + 50) / 100, 1, 300));
        SetTimeLabel(p.timeLabel, p.time->value());
        EnableSearchControls(p);
    };
    load(blueAI_, s.BlueSearchDepth, s.BlueSearchWidth, s.BlueFullWidthSearch, s.BlueStrongSearch,
         s.BlueStrongThinkingMs);
    load(redAI_, s.RedSearchDepth, s.RedSearchWidth, s.RedFullWidthSearch, s.RedStrongSearch,
         s.RedStrongThinkingMs);
    load(yourAI_, s.SearchDepth, s.SearchWidth, s.FullWidthSearch, s.StrongSearch,
         s.StrongThinkingMs);

    cbYourMoveOrd->setChecked(s.ShowPredictedMoveOrder);
    cbShowSquares->setChecked(s.ShowSquares);
    cbShowPossible->setChecked(s.ShowPossibleSquares);
    cbSound->setChecked(s.Sound);
    cbShowLastMove->setChecked(s.ShowLastMove);
    seSearchThreads->setValue(s.SearchThreads);
}

void TForm2::StoreSettings(TSettings& s) const {
    s.SeparateAISettings = cbRBAISettings->isChecked();
    s.BlueSearchDepth = tbBlueAIDepth->value();
    s.BlueSearchWidth = tbBlueAIWidth->value();
    s.BlueFullWidthSearch = rbBlueFullSearch->isChecked();
    s.RedSearchDepth = tbRedAIDepth->value();
    s.RedSearchWidth = tbRedAIWidth->value();
    s.RedFullWidthSearch = rbRedFullSearch->isChecked();
    s.SearchDepth = tbYourAI->value();
    s.SearchWidth = tbSearchWidth->value();
    s.FullWidthSearch = rbFullSearch->isChecked();
    s.StrongSearch = rbStrong->isChecked();
    s.StrongThinkingMs = tbThinkingTime->value() * 100;
    s.BlueStrongSearch = rbBlueStrong->isChecked();
    s.BlueStrongThinkingMs = tbBlueThinkingTime->value() * 100;
    s.RedStrongSearch = rbRedStrong->isChecked();
    s.RedStrongThinkingMs = tbRedThinkingTime->value() * 100;
    s.ShowPredictedMoveOrder = cbYourMoveOrd->isChecked();
    s.ShowSquares = cbShowSquares->isChecked();
    s.ShowPossibleSquares = cbShowPossible->isChecked();
    s.Sound = cbSound->isChecked();
    s.ShowLastMove = cbShowLastMove->isChecked();
    s.SearchThreads = seSearchThreads->value();
}

void TForm2::ShowSeparatePages(bool separate) {
    pcSettings->setTabVisible(pcSettings->indexOf(tsAI), !separate);
    pcSettings->setTabVisible(pcSettings->indexOf(tsInterface), true);
    pcSettings->setTabVisible(pcSettings->indexOf(tsBlueAI), separate);
    pcSettings->setTabVisible(pcSettings->indexOf(tsRedAI), separate);
    pcSettings->setCurrentWidget(separate ? tsInterface : tsAI);
}

void TForm2::OKClick() {
    StoreSettings(*CurrentSettings);
    if (SettingsStored) SettingsStored();
    if (RepaintMainWindow) RepaintMainWindow();
    hide();
}

void TForm2::bApplyClick() {
    StoreSettings(*CurrentSettings);
    if (SettingsStored) SettingsStored();
    if (RepaintMainWindow) RepaintMainWindow();
}

void TForm2::bDefaultsClick() {
    // Like any edit: the record changes only with OK or Apply. The page in
    // view stays, unless the defaults hide it.
    QWidget* page = pcSettings->currentWidget();
    const TSettings defaults;
    DisplaySettings(defaults);
    if (pcSettings->isTabVisible(pcSettings->indexOf(page))) pcSettings->setCurrentWidget(page);
}

void TForm2::CancelClick() {
    hide();
}

void TForm2::cbRBAISettingsClick() {
    ShowSeparatePages(cbRBAISettings->isChecked());
}

void TForm2::tbYourAIChange() {
    SetValueLabel(lYourAI, tbYourAI->value());
}
void TForm2::tbSearchWidthChange() {
    SetValueLabel(lSearchWidth, tbSearchWidth->value());
}
void TForm2::tbBlueAIDepthChange() {
    SetValueLabel(lBlueAIDepth, tbBlueAIDepth->value());
}
void TForm2::tbBlueAIWidthChange() {
    SetValueLabel(lBlueAIWidth, tbBlueAIWidth->value());
}
void TForm2::tbRedAIDepthChange() {
    SetValueLabel(lRedAIDepth, tbRedAIDepth->value());
}
void TForm2::tbRedAIWidthChange() {
    SetValueLabel(lRedAIWidth, tbRedAIWidth->value());
}

void TForm2::SetSearchWidthEnabled() {
    EnableSearchControls(yourAI_);
}
void TForm2::SetBlueAIWidthEnabled() {
    EnableSearchControls(blueAI_);
}
void TForm2::SetRedAIWidthEnabled() {
    EnableSearchControls(redAI_);
}

void TForm2::showEvent(QShowEvent* event) {
    // Every time the dialog appears it shows the record, dropping cancelled edits.
    if (!event->spontaneous()) DisplaySettings(*CurrentSettings);
    QDialog::showEvent(event);
}

void TForm2::keyPressEvent(QKeyEvent* event) {
    // Escape keeps the edits, like OK; only Cancel and the close button drop them.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        OKClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace qv::ui
