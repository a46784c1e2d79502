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
class QTabWidget;

namespace qv::ui {

// One page of search values: depth, full width or limited width.
struct TSearchPage {
    QWidget* page = nullptr;
    QSlider* depth = nullptr;
    QLabel* depthLabel = nullptr;
    QRadioButton* fullWidth = nullptr;
    QRadioButton* limitedWidth = nullptr;
    QSlider* width = nullptr;
    QLabel* widthLabel = nullptr;
};

// The modeless settings dialog. It owns CurrentSettings, which the rest of the
// program reads; the record changes only on OK and Apply.
class TForm2 : public QDialog {
    Q_OBJECT
  public:
    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;

    TSettings* CurrentSettings = nullptr;
    // Repaints the main window after OK and Apply.
    std::function<void()> RepaintMainWindow;

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

    QSlider* tbYourAI;
    QLabel* lYourAI;
    QRadioButton* rbFullSearch;
    QRadioButton* rbSearchWidth;
    QSlider* tbSearchWidth;
    QLabel* lSearchWidth;

    QSlider* tbBlueAIDepth;
    QLabel* lBlueAIDepth;
    QRadioButton* rbBlueFullSearch;
    QRadioButton* rbBlueAIWidth;
    QSlider* tbBlueAIWidth;
    QLabel* lBlueAIWidth;

    QSlider* tbRedAIDepth;
    QLabel* lRedAIDepth;
    QRadioButton* rbRedFullSearch;
    QRadioButton* rbRedAIWidth;
    QSlider* tbRedAIWidth;
    QLabel* lRedAIWidth;

    QCheckBox* cbShowSquares;
    QCheckBox* cbShowPossible;
    QCheckBox* cbYourMoveOrd;
    QCheckBox* cbSound;

  public slots:
    void OKClick();
    void bApplyClick();
    void CancelClick();
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
    TSearchPage BuildSearchPage(QWidget* page, int depthX, int radioY);
    std::unique_ptr<TSettings> settings_;
};

}  // namespace qv::ui
