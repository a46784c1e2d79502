#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "model/settings.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QTabWidget;

namespace qv::ui {

// One page of search values: depth, full width or limited width, or the
// strong search with its thinking time.
struct TSearchPage {
    QWidget* page = nullptr;
    QSlider* depth = nullptr;
    QLabel* depthLabel = nullptr;
    QRadioButton* fullWidth = nullptr;
    QRadioButton* limitedWidth = nullptr;
    QSlider* width = nullptr;
    QLabel* widthLabel = nullptr;
    QRadioButton* strong = nullptr;
    QSlider* time = nullptr;  // tenths of a second
    QLabel* timeLabel = nullptr;
};

// The modeless settings dialog. It owns CurrentSettings, which the rest of the
// program reads; the record changes only on OK and Apply.
class TForm2 : public QDialog {
    Q_OBJECT
    // The three pages of search values; the named controls below are these.
    TSearchPage yourAI_, blueAI_, redAI_;

  public:
    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;

    TSettings* CurrentSettings = nullptr;
    // Repaints the main window after OK and Apply.
    std::function<void()> RepaintMainWindow;
    // The record has been stored by OK or Apply, to be kept for the next run.
    std::function<void()> SettingsStored;

    void DisplaySettings(const TSettings& settings);
    void StoreSettings(TSettings& settings) const;
    void ShowSeparatePages(bool separate);

    QCheckBox* cbRBAISettings;
    QTabWidget* pcSettings;
    QWidget* tsAI;
    QWidget* tsInterface;
    QWidget* tsBlueAI;
    QWidget* tsRedAI;
    QPushButton* OK;
    QPushButton* Cancel;
    QPushButton* bApply;
    // Beyond the classic buttons: the defaults back in the controls, not yet stored.
    QPushButton* bDefaults;

    QSlider*& tbYourAI = yourAI_.depth;
    QLabel*& lYourAI = yourAI_.depthLabel;
    QRadioButton*& rbFullSearch = yourAI_.fullWidth;
    QRadioButton*& rbSearchWidth = yourAI_.limitedWidth;
    QSlider*& tbSearchWidth = yourAI_.width;
    QLabel*& lSearchWidth = yourAI_.widthLabel;
    QRadioButton*& rbStrong = yourAI_.strong;
    QSlider*& tbThinkingTime = yourAI_.time;
    QLabel*& lThinkingTime = yourAI_.timeLabel;

    QSlider*& tbBlueAIDepth = blueAI_.depth;
    QLabel*& lBlueAIDepth = blueAI_.depthLabel;
    QRadioButton*& rbBlueFullSearch = blueAI_.fullWidth;
    QRadioButton*& rbBlueAIWidth = blueAI_.limitedWidth;
    QSlider*& tbBlueAIWidth = blueAI_.width;
    QLabel*& lBlueAIWidth = blueAI_.widthLabel;
    QRadioButton*& rbBlueStrong = blueAI_.strong;
    QSlider*& tbBlueThinkingTime = blueAI_.time;
    QLabel*& lBlueThinkingTime = blueAI_.timeLabel;

    QSlider*& tbRedAIDepth = redAI_.depth;
    QLabel*& lRedAIDepth = redAI_.depthLabel;
    QRadioButton*& rbRedFullSearch = redAI_.fullWidth;
    QRadioButton*& rbRedAIWidth = redAI_.limitedWidth;
    QSlider*& tbRedAIWidth = redAI_.width;
    QLabel*& lRedAIWidth = redAI_.widthLabel;
    QRadioButton*& rbRedStrong = redAI_.strong;
    QSlider*& tbRedThinkingTime = redAI_.time;
    QLabel*& lRedThinkingTime = redAI_.timeLabel;

    QCheckBox* cbShowSquares;
    QCheckBox* cbShowPossible;
    QCheckBox* cbYourMoveOrd;
    QCheckBox* cbSound;
    QCheckBox* cbShowLastMove;
    QSpinBox* seSearchThreads;

  public slots:
    void OKClick();
    void bApplyClick();
    void CancelClick();
    void bDefaultsClick();
    void cbRBAISettingsClick();
    void tbYourAIChange();
    void tbSearchWidthChange();
    void tbBlueAIDepthChange();
    void tbBlueAIWidthChange();
    void tbRedAIDepthChange();
    void tbRedAIWidthChange();
    void SetSearchWidthEnabled();
    void SetBlueAIWidthEnabled();
    void SetRedAIWidthEnabled();

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // Which of a page's controls mean something for its chosen search.
    static void EnableSearchControls(const TSearchPage& s);
    void BuildSearchPage(TSearchPage& s, QWidget* page, int depthX, int radioY);
    std::unique_ptr<TSettings> settings_;
};

}  // namespace qv::ui
