#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QThread>

#include "ui/Settings.h"
#include "ui_test_support.h"

using namespace qv;
using namespace qv::ui;
using namespace qv::ui::testing;

namespace {

QStringList VisiblePages(const TForm2& d) {
    QStringList out;
    for (int i = 0; i < d.pcSettings->count(); ++i)
        if (d.pcSettings->isTabVisible(i)) out << d.pcSettings->tabText(i);
    return out;
}

struct Program2 : Program {
    TForm2& dlg = *w.Form2;
    TSettings& rec = *w.Form2->CurrentSettings;
    Program2() {
        main.Settings1->trigger();
        (void)QTest::qWaitForWindowExposed(&dlg);
    }
};

}  // namespace

class SettingsDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void firstOpening() {
        Program2 p;
        TForm2& d = p.dlg;
        QVERIFY(d.isVisible());
        QVERIFY(p.main.isVisible());  // modeless
        QCOMPARE(d.windowTitle(), QStringLiteral("Quadrivane Settings"));
        QCOMPARE(VisiblePages(d), (QStringList{"Artificial Intelligence", "Interface"}));
        QCOMPARE(d.pcSettings->currentWidget(), d.tsAI);
        QCOMPARE(d.tbYourAI->value(), 11);
        QCOMPARE(d.lYourAI->text(), QStringLiteral("11"));
        QCOMPARE(d.tbSearchWidth->value(), 3);
        QCOMPARE(d.lSearchWidth->text(), QStringLiteral("3"));
        QVERIFY(d.rbSearchWidth->isChecked());
        QVERIFY(!d.rbFullSearch->isChecked());
        QVERIFY(d.tbSearchWidth->isEnabled());
        QVERIFY(d.cbShowPossible->isChecked());
        QVERIFY(d.cbSound->isChecked());
        QVERIFY(!d.cbShowSquares->isChecked());
        QVERIFY(!d.cbYourMoveOrd->isChecked());
        QVERIFY(d.cbShowLastMove->isChecked());
        QCOMPARE(d.seSearchThreads->value(), std::max(1, QThread::idealThreadCount()));
        QVERIFY(!d.cbRBAISettings->isChecked());
        QCOMPARE(d.cbRBAISettings->text(),
                 QStringLiteral("Seperate Artificial Intelligence Settings for Blue and Red"));
        QCOMPARE(d.tbYourAI->minimum(), 1);
        QCOMPARE(d.tbYourAI->maximum(), 15);
        QCOMPARE(d.tbSearchWidth->maximum(), 64);
        QVERIFY(d.OK->isDefault());
        QCOMPARE(d.bApply->text(), QStringLiteral("&Apply"));
    }

    void radioPairsEnableTheWidth_data() {
        QTest::addColumn<QString>("page");
        QTest::newRow("common") << "common";
        QTest::newRow("blue") << "blue";
        QTest::newRow("red") << "red";
    }
    void radioPairsEnableTheWidth() {
        QFETCH(QString, page);
        Program2 p;
        TForm2& d = p.dlg;
        if (page != "common") QTest::mouseClick(d.cbRBAISettings, Qt::LeftButton);
        QRadioButton* full = page == "common" ? d.rbFullSearch
                             : page == "blue" ? d.rbBlueFullSearch
                                              : d.rbRedFullSearch;
        QRadioButton* limited = page == "common" ? d.rbSearchWidth
                                : page == "blue" ? d.rbBlueAIWidth
                                                 : d.rbRedAIWidth;
        QSlider* width = page == "common" ? d.tbSearchWidth
                         : page == "blue" ? d.tbBlueAIWidth
                                          : d.tbRedAIWidth;
        d.pcSettings->setCurrentWidget(full->parentWidget());
        full->click();
        QVERIFY(!width->isEnabled());
        limited->click();
        QVERIFY(width->isEnabled());
    }

    // The pages follow the box however it changes: a click, the space bar or
    // a screen reader's Toggle.
    void separateCheckBoxSwapsPages_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("click") << 0;
        QTest::newRow("space bar") << 1;
        QTest::newRow("accessible Toggle") << 2;
    }

    void separateCheckBoxSwapsPages() {
        QFETCH(int, how);
        Program2 p;
        TForm2& d = p.dlg;
        const auto toggle = [&] {
            if (how == 0) QTest::mouseClick(d.cbRBAISettings, Qt::LeftButton);
            if (how == 1) QTest::keyClick(d.cbRBAISettings, Qt::Key_Space);
            if (how == 2)
                QAccessible::queryAccessibleInterface(d.cbRBAISettings)
                    ->actionInterface()
                    ->doAction(QAccessibleActionInterface::toggleAction());
        };
        toggle();
        QVERIFY(d.cbRBAISettings->isChecked());
        QCOMPARE(VisiblePages(d), (QStringList{"Interface", "Blue AI", "Red AI"}));
        QCOMPARE(d.pcSettings->currentWidget(), d.tsInterface);
        QVERIFY(!p.rec.SeparateAISettings);  // only OK and Apply store
        toggle();
        QCOMPARE(VisiblePages(d), (QStringList{"Artificial Intelligence", "Interface"}));
        QCOMPARE(d.pcSettings->currentWidget(), d.tsAI);
    }

    void trackBarsUpdateTheirLabels() {
        Program2 p;
        TForm2& d = p.dlg;
        const std::pair<QSlider*, QLabel*> pairs[] = {
            {d.tbYourAI, d.lYourAI},           {d.tbSearchWidth, d.lSearchWidth},
            {d.tbBlueAIDepth, d.lBlueAIDepth}, {d.tbBlueAIWidth, d.lBlueAIWidth},
            {d.tbRedAIDepth, d.lRedAIDepth},   {d.tbRedAIWidth, d.lRedAIWidth}};
        for (auto [tb, label] : pairs) {
            tb->setValue(7);
            QCOMPARE(label->text(), QStringLiteral("7"));
        }
        QCOMPARE(p.rec.SearchDepth, 11);
        QCOMPARE(p.rec.RedSearchWidth, 3);
    }

    void cancelDropsTheEdits() {
        Program2 p;
        TForm2& d = p.dlg;
        d.tbYourAI->setValue(4);
        d.cbShowSquares->setChecked(true);
        QTest::mouseClick(d.cbRBAISettings, Qt::LeftButton);
        QTest::mouseClick(d.Cancel, Qt::LeftButton);
        QVERIFY(!d.isVisible());
        QCOMPARE(p.rec.SearchDepth, 11);
        QVERIFY(!p.rec.ShowSquares);
        QVERIFY(!p.rec.SeparateAISettings);
        p.main.Settings1->trigger();
        QCOMPARE(d.tbYourAI->value(), 11);
        QVERIFY(!d.cbShowSquares->isChecked());
        QVERIFY(!d.cbRBAISettings->isChecked());
        QCOMPARE(VisiblePages(d), (QStringList{"Artificial Intelligence", "Interface"}));
    }

    void closeButtonStoresNothing() {
        Program2 p;
        p.dlg.tbYourAI->setValue(4);
        QVERIFY(p.dlg.close());
        QVERIFY(!p.dlg.isVisible());
        QCOMPARE(p.rec.SearchDepth, 11);
    }

    void applyStoresAndRepaints() {
        Program2 p;
        TForm2& d = p.dlg;
        TForm1& f = p.main;
        // A completed Blue square, not outlined until "Show Squares" is applied.
        f.SetupMode1->trigger();
        for (Point c : {Point{2, 2}, Point{5, 2}, Point{5, 5}, Point{2, 5}}) {
            QTest::mouseClick(f.pbBoard, Qt::LeftButton, {}, PixelOf(f, c.column, c.row));
            QTest::mouseClick(f.pbBoard, Qt::LeftButton, {}, PixelOf(f, c.column, c.row));
        }
        const QPoint onTopSide(60, 28 + 2);
        QCOMPARE(PixelAt(f.pbBoard, onTopSide), f.palette().color(QPalette::Window));
        d.pcSettings->setCurrentWidget(d.tsInterface);
        d.cbShowSquares->setChecked(true);
        d.tbSearchWidth->setValue(9);
        QTest::mouseClick(d.bApply, Qt::LeftButton);
        QVERIFY(d.isVisible());
        QVERIFY(p.rec.ShowSquares);
        QCOMPARE(p.rec.SearchWidth, 9);
        QCOMPARE(PixelAt(f.pbBoard, onTopSide), QColor(0, 0, 255));
    }

    void escapeStoresLikeOK() {
        Program2 p;
        TForm2& d = p.dlg;
        QTest::mouseClick(d.cbRBAISettings, Qt::LeftButton);
        d.tbRedAIDepth->setValue(8);
        d.rbBlueFullSearch->click();
        QTest::keyClick(&d, Qt::Key_Escape);
        QVERIFY(!d.isVisible());
        QVERIFY(p.rec.SeparateAISettings);
        QCOMPARE(p.rec.RedSearchDepth, 8);
        QVERIFY(p.rec.BlueFullWidthSearch);
        QCOMPARE(SearchParameters(p.rec, Red), (SearchChoice{false, 3, 8}));
    }

    void okStoresEveryFieldAndHides() {
        Program2 p;
        TForm2& d = p.dlg;
        d.tbYourAI->setValue(5);
        d.rbFullSearch->click();
        d.tbBlueAIWidth->setValue(12);
        d.rbRedFullSearch->click();
        d.cbSound->setChecked(false);
        d.cbYourMoveOrd->setChecked(true);
        d.cbShowPossible->setChecked(false);
        d.cbShowLastMove->setChecked(false);
        d.seSearchThreads->setValue(3);
        QTest::mouseClick(d.OK, Qt::LeftButton);
        QVERIFY(!d.isVisible());
        // Values on hidden pages are stored as they stand.
        QCOMPARE(p.rec.SearchDepth, 5);
        QVERIFY(p.rec.FullWidthSearch);
        QCOMPARE(p.rec.BlueSearchWidth, 12);
        QVERIFY(p.rec.RedFullWidthSearch);
        QVERIFY(!p.rec.Sound);
        QVERIFY(p.rec.ShowPredictedMoveOrder);
        QVERIFY(!p.rec.ShowPossibleSquares);
        QVERIFY(!p.rec.ShowLastMove);
        QCOMPARE(p.rec.SearchThreads, 3);
        QVERIFY(!p.rec.SeparateAISettings);
    }

    void strongChoiceStoresItsTimeAndLeavesTheClassicControls() {
        Program2 p;
        TForm2& d = p.dlg;
        QVERIFY(!d.tbThinkingTime->isEnabled());
        QCOMPARE(d.lThinkingTime->text(), QStringLiteral("1.0 s"));
        d.rbStrong->click();
        QVERIFY(!d.tbYourAI->isEnabled());
        QVERIFY(!d.tbSearchWidth->isEnabled());
        d.tbThinkingTime->setValue(25);
        QCOMPARE(d.lThinkingTime->text(), QStringLiteral("2.5 s"));
        QTest::mouseClick(d.OK, Qt::LeftButton);
        QCOMPARE(SearchParameters(p.rec, Red), (SearchChoice{false, 3, 11, true, 2500}));
        // Shown again, the classic choice comes back with its depth and width.
        p.rec.StrongSearch = false;
        d.show();
        QVERIFY(d.rbSearchWidth->isChecked());
        QVERIFY(d.tbYourAI->isEnabled() && d.tbSearchWidth->isEnabled());
    }

    void displaySettingsShowsOutsideChanges() {
        Program2 p;
        p.rec.FullWidthSearch = true;
        p.rec.SearchDepth = 5;
        p.dlg.DisplaySettings(p.rec);
        QCOMPARE(p.dlg.tbYourAI->value(), 5);
        QCOMPARE(p.dlg.lYourAI->text(), QStringLiteral("5"));
        QVERIFY(p.dlg.rbFullSearch->isChecked());
        QVERIFY(!p.dlg.tbSearchWidth->isEnabled());
    }
};

QTEST_MAIN(SettingsDialogTest)
#include "settings_dialog_test.moc"
