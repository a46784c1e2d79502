#include <QAbstractButton>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "ui/About.h"
#include "ui/HowToPlay.h"
#include "ui/MovesForm.h"
#include "ui/NewGameDialog.h"
#include "ui/Settings.h"
#include "ui/Stats.h"
#include "ui/WindowGeometry.h"
#include "ui_test_support.h"

using namespace qv;
using namespace qv::ui;
using namespace qv::ui::testing;

namespace {

const QString kFace = QStringLiteral("Liberation Sans");

QString TextOf(QWidget* w) {
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    return {};
}

// Where a text widget draws its text, in its own coordinates: a null
// rectangle when it shows none, an invalid one when the text is wider or
// taller than the room the style leaves it.
QRect TextRect(QWidget* w) {
    const QFontMetrics fm(w->font());
    auto placed = [&](const QString& text, Qt::Alignment align, const QRect& area) {
        const QSize size(fm.horizontalAdvance(text), fm.height());
        return QStyle::alignedRect(w->layoutDirection(), align, size, area);
    };
    if (TextOf(w).isEmpty()) return {};
    if (auto* l = qobject_cast<QLabel*>(w)) {
        // A label with a buddy shows its text without the accelerator's '&'.
        QString shown = l->text();
        if (l->buddy()) shown.remove(QLatin1Char('&'));
        if (!l->wordWrap()) return placed(shown, l->alignment(), l->contentsRect());
        // A wrapped text is whole when all its lines fit the label's height.
        const QRect area = l->contentsRect();
        const QRect text = fm.boundingRect(area, int(l->alignment()) | Qt::TextWordWrap, shown);
        if (text.height() > area.height() || text.width() > area.width())
            return QRect(area.topLeft(), QSize(-1, -1));
        return text;
    }
    auto* b = qobject_cast<QAbstractButton*>(w);
    if (!b) return {};
    QStyleOptionButton opt;
    opt.initFrom(b);
    opt.rect = b->rect();
    opt.text = b->text();
    QStyle::SubElement contents;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    if (qobject_cast<QCheckBox*>(b)) {
        contents = QStyle::SE_CheckBoxContents;
    } else if (qobject_cast<QRadioButton*>(b)) {
        contents = QStyle::SE_RadioButtonContents;
    } else if (qobject_cast<QPushButton*>(b)) {
        contents = QStyle::SE_PushButtonContents;
        align = Qt::AlignCenter;
    } else {
        return {};
    }
    QString shown = b->text();
    shown.remove(QLatin1Char('&'));
    const QRect area = b->style()->subElementRect(contents, &opt, b);
    if (fm.horizontalAdvance(shown) > area.width() || fm.height() > area.height())
        return QRect(area.topLeft(), QSize(-1, -1));
    return placed(shown, align, area);
}

// Every fault of the window's texts: a text cut by its own widget or by a
// container, or lying over a visible sibling.
QStringList TextFaults(QWidget* window) {
    QStringList faults;
    const QList<QWidget*> all = window->findChildren<QWidget*>();
    for (QWidget* w : all) {
        if (!w->isVisibleTo(window)) continue;
        const QRect text = TextRect(w);
        if (text.isNull()) continue;
        const QString name =
            QStringLiteral("%1 \"%2\"").arg(w->metaObject()->className(), TextOf(w));
        if (!text.isValid()) {
            faults << name + QStringLiteral(" does not fit its widget (%1 wide)").arg(w->width());
            continue;
        }
        // Each container up to the window clips what lies outside it; a
        // scrolled page only across, as up and down it scrolls into view.
        QRect inParent = text.translated(w->pos());
        for (QWidget* p = w->parentWidget(); p; p = p->parentWidget()) {
            auto* area = qobject_cast<QAbstractScrollArea*>(p->parentWidget());
            if (area && area->viewport() == p) {
                if (inParent.left() < 0 || inParent.right() >= p->width())
                    faults << name + QStringLiteral(" is cut across by its scroll area");
                break;
            }
            if (!p->rect().contains(inParent)) {
                faults << name + QStringLiteral(" is cut by %1").arg(p->metaObject()->className());
                break;
            }
            if (p == window) break;
            inParent.translate(p->pos());
        }
        for (QObject* o : w->parentWidget()->children()) {
            auto* s = qobject_cast<QWidget*>(o);
            if (!s || s == w || !s->isVisibleTo(window) || s->isWindow()) continue;
            // An empty label draws nothing that a text could hide.
            if (qobject_cast<QLabel*>(s) && TextOf(s).isEmpty()) continue;
            if (s->geometry().intersects(text.translated(w->pos())))
                faults << name + QStringLiteral(" overlaps %1 at (%2, %3)")
                                     .arg(s->metaObject()->className())
                                     .arg(s->x())
                                     .arg(s->y());
        }
    }
    // A list's rows are cut by its viewport.
    for (QListWidget* list : window->findChildren<QListWidget*>()) {
        if (!list->isVisibleTo(window)) continue;
        for (int i = 0; i < list->count(); ++i) {
            QListWidgetItem* item = list->item(i);
            const int room = list->viewport()->width() -
                             2 * list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin);
            if (QFontMetrics(item->font()).horizontalAdvance(item->text()) > room)
                faults << QStringLiteral("row \"%1\" is cut").arg(item->text());
        }
    }
    // Tab captions and menu titles are laid out by their bars; each must be whole.
    for (QTabBar* bar : window->findChildren<QTabBar*>()) {
        if (!bar->isVisibleTo(window)) continue;
        for (int i = 0; i < bar->count(); ++i)
            if (bar->isTabVisible(i) && !bar->rect().contains(bar->tabRect(i)))
                faults << QStringLiteral("tab \"%1\" is cut").arg(bar->tabText(i));
    }
    // A menu's items, each whole in its row.
    if (auto* menu = qobject_cast<QMenu*>(window)) {
        const QFontMetrics fm(menu->font());
        for (QAction* a : menu->actions()) {
            if (a->isSeparator()) continue;
            const QRect row = menu->actionGeometry(a);
            QString shown = a->text();
            shown.remove(QLatin1Char('&'));
            if (!menu->rect().contains(row) || fm.horizontalAdvance(shown) > row.width())
                faults << QStringLiteral("menu item \"%1\" is cut").arg(shown);
        }
    }
    for (QMenuBar* bar : window->findChildren<QMenuBar*>())
        for (QAction* a : bar->actions())
            if (!bar->rect().contains(bar->actionGeometry(a)))
                faults << QStringLiteral("menu \"%1\" is cut (%2..%3 of %4)")
                              .arg(a->text())
                              .arg(bar->actionGeometry(a).left())
                              .arg(bar->actionGeometry(a).right())
                              .arg(bar->width());
    return faults;
}

Board RedBlock() {
    Board b;
    for (int c = 1; c <= 4; ++c)
        for (int r = 1; r <= 5; ++r) b(c, r) = Red;
    return b;
}

}  // namespace

class WindowTextTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        // The offscreen platform finds fonts through fontconfig, as the desktop does.
        if (!QFontDatabase::families().contains(kFace))
            QSKIP(
                "Liberation Sans is not installed (Debian package fonts-liberation2); the "
                "windows' texts are measured in that face");
        QCOMPARE(QFontInfo(WindowFont()).family(), kFace);
    }

    void textsAreWhole_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("detail");
        QTest::newRow("main, start") << "main"
                                     << "";
        QTest::newRow("main, scores in the hundreds") << "main"
                                                      << "block";
        QTest::newRow("settings, Artificial Intelligence") << "settings"
                                                           << "common";
        QTest::newRow("settings, Interface") << "settings"
                                             << "interface";
        QTest::newRow("settings, Blue AI") << "settings"
                                           << "blue";
        QTest::newRow("settings, Red AI") << "settings"
                                          << "red";
        QTest::newRow("stats, start") << "stats"
                                      << "";
        for (const char* outcome :
             {"-13 in 5 moves", "No move: the board is full", "Predicted Loss in 10 moves",
              "Predicted Win in 1 moves", "1,234 in 15 moves"})
            QTest::newRow(qPrintable(QStringLiteral("stats, %1").arg(outcome)))
                << "stats" << outcome;
        QTest::newRow("testing data") << "test"
                                      << "";
        QTest::newRow("how to play") << "howto"
                                     << "";
        QTest::newRow("moves, a whole game") << "moves"
                                             << "";
        QTest::newRow("new game") << "newgame"
                                  << "";
        QTest::newRow("new game, two people") << "newgame"
                                              << "both";
        QTest::newRow("about") << "about"
                               << "";
        // The longest level name, and the Help menu.
        QTest::newRow("Game menu, level 9") << "menu"
                                            << "Game";
        QTest::newRow("Help menu") << "menu"
                                   << "Help";
    }
    void textsAreWhole() {
        QFETCH(QString, window);
        QFETCH(QString, detail);
        Program p;
        QWidget* shown = &p.main;
        std::unique_ptr<QWidget> own;
        if (window == "howto") {
            own = std::make_unique<THowToPlayForm>();
        } else if (window == "moves") {
            auto moves = std::make_unique<TMovesForm>();
            // Stripes of each colour: scores in the hundreds, and the widest rows.
            Game g;
            for (int i = 0; i < kPoints; ++i) g.PlaceMove(ColumnOf(i), RowOf(i));
            g.TakeBackMove();
            moves->SetGame(g);
            own = std::move(moves);
        } else if (window == "newgame") {
            QStringList levels;
            for (int n = 1; n <= 10; ++n) levels << QStringLiteral("Level %1").arg(n);
            levels.front() += QStringLiteral(" (Beginner)");
            levels.back() += QStringLiteral(" (Master)");
            auto dialog = std::make_unique<TNewGameDialog>(levels);
            if (detail == "both") dialog->rbPlayBoth->setChecked(true);
            own = std::move(dialog);
        } else if (window == "about") {
            // Laid out by the toolkit at its own font, as every box the program shows.
            own = std::make_unique<QMessageBox>(QMessageBox::Information, kAboutCaption,
                                                AboutText(), QMessageBox::Ok);
        }
        if (own) {
            own->show();
            shown = own.get();
        } else if (window == "menu") {
            p.main.Controller.Opponents.SetLevel(9);
            for (QAction* top : p.main.menuBar()->actions())
                if (top->text() == detail) shown = top->menu();
            QVERIFY(shown != &p.main);
            static_cast<QMenu*>(shown)->popup(p.main.mapToGlobal(QPoint(0, 0)));
        } else if (window == "main") {
            if (detail == "block") p.main.Controller.Session.Game().board = RedBlock();
            p.main.RepaintMain();
        } else if (window == "settings") {
            TForm2& d = *p.w.Form2;
            TSettings& s = *d.CurrentSettings;
            // The widest values the labels can show.
            s.SearchDepth = s.BlueSearchDepth = s.RedSearchDepth = 15;
            s.SearchWidth = s.BlueSearchWidth = s.RedSearchWidth = 64;
            s.SeparateAISettings = detail == "blue" || detail == "red";
            p.main.Settings1->trigger();
            d.pcSettings->setCurrentWidget(detail == "common"      ? d.tsAI
                                           : detail == "interface" ? d.tsInterface
                                           : detail == "blue"      ? d.tsBlueAI
                                                                   : d.tsRedAI);
            shown = &d;
        } else if (window == "stats") {
            TStatsForm& st = *p.w.StatsForm;
            if (!detail.isEmpty()) {
                st.SetScore(detail);
                st.SetAIStats(QStringLiteral("1:47.374 (2147483648) 20,000.00/msec"));
            }
            shown = &st;
        } else {
            p.main.GetPotentials1->trigger();
            shown = p.w.TestForm.get();
        }
        QVERIFY(QTest::qWaitForWindowExposed(shown));
        QCoreApplication::sendPostedEvents();
        if (window != "about" && window != "menu")
            QCOMPARE(QFontInfo(shown->font()).family(), kFace);
        const QStringList faults = TextFaults(shown);
        if (!faults.isEmpty()) QFAIL(qPrintable(faults.join(QStringLiteral("; "))));
    }
};

QTEST_MAIN(WindowTextTest)
#include "window_text_test.moc"
