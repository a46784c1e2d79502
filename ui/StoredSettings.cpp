#include "ui/StoredSettings.h"

#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "play/levels.h"
#include "ui/WindowGeometry.h"
#include "ui/Windows.h"

namespace qv::ui {

namespace {

const QString kSettingsGroup = QStringLiteral("settings");
const QString kWindowsGroup = QStringLiteral("windows");
const QString kComputerPlaysBlue = QStringLiteral("game/computerPlaysBlue");
const QString kComputerPlaysRed = QStringLiteral("game/computerPlaysRed");

// Only what was written as a boolean reads as one: "garbage" is no "true".
void ReadBool(const QSettings& store, const QString& key, bool& field) {
    const QVariant v = store.value(key);
    if (v.typeId() == QMetaType::Bool) {
        field = v.toBool();
        return;
    }
    const QString text = v.toString().trimmed().toLower();
    if (text == QLatin1String("true") || text == QLatin1String("1"))
        field = true;
    else if (text == QLatin1String("false") || text == QLatin1String("0"))
        field = false;
}

void ReadInt(const QSettings& store, const QString& key, int32_t& field, int32_t lo, int32_t hi) {
    bool ok = false;
    const qlonglong v = store.value(key).toString().trimmed().toLongLong(&ok);
    if (ok) field = static_cast<int32_t>(std::clamp<qlonglong>(v, lo, hi));
}

// Each field with its key and, for a number, its valid range.
template <typename Settings, typename Visit>
void EachField(Settings& s, Visit&& visit) {
    visit("SeparateAISettings", s.SeparateAISettings);
    visit("SearchDepth", s.SearchDepth, 1, 15);
    visit("SearchWidth", s.SearchWidth, 1, 64);
    visit("FullWidthSearch", s.FullWidthSearch);
    visit("StrongSearch", s.StrongSearch);
    visit("StrongThinkingMs", s.StrongThinkingMs, 100, 30000);
    visit("BlueSearchDepth", s.BlueSearchDepth, 1, 15);
    visit("BlueSearchWidth", s.BlueSearchWidth, 1, 64);
    visit("BlueFullWidthSearch", s.BlueFullWidthSearch);
    visit("BlueStrongSearch", s.BlueStrongSearch);
    visit("BlueStrongThinkingMs", s.BlueStrongThinkingMs, 100, 30000);
    visit("RedSearchDepth", s.RedSearchDepth, 1, 15);
    visit("RedSearchWidth", s.RedSearchWidth, 1, 64);
    visit("RedFullWidthSearch", s.RedFullWidthSearch);
    visit("RedStrongSearch", s.RedStrongSearch);
    visit("RedStrongThinkingMs", s.RedStrongThinkingMs, 100, 30000);
    visit("Sound", s.Sound);
    visit("ShowPredictedMoveOrder", s.ShowPredictedMoveOrder);
    visit("ShowSquares", s.ShowSquares);
    visit("ShowPossibleSquares", s.ShowPossibleSquares);
    visit("ShowLastMove", s.ShowLastMove);
    visit("SearchThreads", s.SearchThreads, 1, 64);
}

struct Reader {
    const QSettings& store;
    void operator()(const char* key, bool& field) const {
        ReadBool(store, kSettingsGroup + '/' + QLatin1String(key), field);
    }
    void operator()(const char* key, int32_t& field, int32_t lo, int32_t hi) const {
        ReadInt(store, kSettingsGroup + '/' + QLatin1String(key), field, lo, hi);
    }
};

struct Writer {
    QSettings& store;
    void operator()(const char* key, const bool& field) const {
        store.setValue(kSettingsGroup + '/' + QLatin1String(key), field);
    }
    void operator()(const char* key, const int32_t& field, int32_t, int32_t) const {
        store.setValue(kSettingsGroup + '/' + QLatin1String(key), field);
    }
};

QString WindowKey(const QWidget* window, const char* what) {
    return kWindowsGroup + '/' + window->objectName() + '/' + QLatin1String(what);
}

// The windows whose places are kept: every named top-level window of the
// program, the toolkit's own (qt_...) and passing boxes and file dialogs aside.
bool Kept(const QWidget* w) {
    return w->isWindow() && !w->objectName().isEmpty() &&
           !w->objectName().startsWith(QLatin1String("qt_")) &&
           !qobject_cast<const QFileDialog*>(w) && !qobject_cast<const QMessageBox*>(w);
}

// A window whose caption is on no screen comes back onto the one nearest,
// no larger than that screen's free area.
QRect OnScreen(QRect r) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.isEmpty()) return r;
    // The caption's grip: the window's top strip.
    const QRect grip(r.topLeft(), QSize(std::min(r.width(), 60), 20));
    const QScreen* nearest = screens.front();
    long best = -1;
    for (const QScreen* s : screens) {
        const QRect room = s->availableGeometry();
        if (room.intersects(grip) && (room & grip).width() >= std::min(grip.width(), 30) &&
            (room & grip).height() >= 10)
            return r;
        const QPoint d = room.center() - r.center();
        const long distance = static_cast<long>(d.x()) * d.x() + static_cast<long>(d.y()) * d.y();
        if (best < 0 || distance < best) {
            best = distance;
            nearest = s;
        }
    }
    const QRect room = nearest->availableGeometry();
    r.setSize(r.size().boundedTo(room.size()));
    const int x = std::clamp(r.left(), room.left(), room.right() + 1 - r.width());
    const int y = std::clamp(r.top(), room.top(), room.bottom() + 1 - r.height());
    r.moveTopLeft(QPoint(x, y));
    return r;
}

std::vector<QWidget*> WindowsOf(const TWindows& w) {
    std::vector<QWidget*> all = {w.Form1.get(),    w.Form2.get(),        w.StatsForm.get(),
                                 w.TestForm.get(), w.AnalysisForm.get(), w.EvolutionForm.get()};
    // And any other named window of the program that exists by now.
    for (QWidget* t : QApplication::topLevelWidgets())
        if (Kept(t) && std::find(all.begin(), all.end(), t) == all.end()) all.push_back(t);
    all.erase(std::remove(all.begin(), all.end(), nullptr), all.end());
    return all;
}

// The first start: the statistics window beside the main one rather than
// under it, where the screen has room; otherwise its classic place.
void PlaceStatisticsBeside(QWidget* stats, const QWidget* main) {
    const QScreen* screen = main->screen();
    if (!screen) return;
    // Neither window has a frame yet; the designed frame stands for it.
    const QSize border(kFrameWidth, kFrameHeight);
    const QRect mainFrame(main->pos(), main->size() + border);
    const QSize outer = stats->size() + border;
    const QRect r = PlaceBeside(screen->availableGeometry(), mainFrame, {}, outer, outer);
    if (r.size() == outer && !r.intersects(mainFrame)) stats->move(r.topLeft());
}

}  // namespace

void ReadSettings(QSettings& store, TSettings& settings) {
    EachField(settings, Reader{store});
}

void WriteSettings(QSettings& store, const TSettings& settings) {
    EachField(settings, Writer{store});
}

bool ReadWindowPlace(QSettings& store, QWidget* window) {
    if (!window || !Kept(window)) return false;
    const QVariant pos = store.value(WindowKey(window, "position"));
    const QVariant size = store.value(WindowKey(window, "size"));
    if (pos.typeId() != QMetaType::QPoint) return false;
    QSize s = window->size();
    if (size.typeId() == QMetaType::QSize && size.toSize().isValid())
        s = size.toSize().expandedTo(window->minimumSize()).boundedTo(window->maximumSize());
    const QRect r = OnScreen(QRect(pos.toPoint(), s));
    window->resize(r.size());
    window->move(r.topLeft());
    bool maximized = false;
    ReadBool(store, WindowKey(window, "maximized"), maximized);
    if (maximized) window->setWindowState(window->windowState() | Qt::WindowMaximized);
    // A window that places itself beside the main one the first time it shows
    // has its place already.
    window->setProperty("placed", true);
    return true;
}

void WriteWindowPlace(QSettings& store, const QWidget* window) {
    // A window never shown and never placed has no place of its own yet: one
    // that opens beside the main window must go on doing so.
    if (!window || !Kept(window) ||
        !(window->testAttribute(Qt::WA_WState_ExplicitShowHide) ||
          window->property("placed").toBool()))
        return;
    // A maximised window keeps its normal place to come back to.
    const bool maximized = window->isMaximized();
    const QRect normal = maximized ? window->normalGeometry() : QRect();
    const QPoint pos = maximized && normal.isValid() ? normal.topLeft() : window->pos();
    const QSize size = maximized && normal.isValid() ? normal.size() : window->size();
    store.setValue(WindowKey(window, "position"), pos);
    store.setValue(WindowKey(window, "size"), size);
    store.setValue(WindowKey(window, "maximized"), maximized);
}

void RestoreStored(TWindows& w, QSettings& store) {
    if (w.Form2 && w.Form2->CurrentSettings) {
        ReadSettings(store, *w.Form2->CurrentSettings);
        w.Form2->DisplaySettings(*w.Form2->CurrentSettings);
    }
    if (w.Form1) {
        // After the record: a level remembers the settings it replaced, so
        // that changing them by hand later gives the computer back to them.
        bool ok = false;
        const int level = store.value(kLevelKey, 0).toInt(&ok);
        if (ok && level > 0) w.Form1->Controller.Opponents.SetLevel(std::min(level, kLevels));
        bool blue = false, red = false;
        ReadBool(store, kComputerPlaysBlue, blue);
        ReadBool(store, kComputerPlaysRed, red);
        w.Form1->Controller.Opponents.SetComputerPlays(Blue, blue);
        w.Form1->Controller.Opponents.SetComputerPlays(Red, red);
    }
    for (QWidget* window : WindowsOf(w)) {
        if (ReadWindowPlace(store, window)) continue;
        if (window == w.StatsForm.get() && w.Form1) PlaceStatisticsBeside(window, w.Form1.get());
    }
}

void KeepStored(const TWindows& w, QSettings& store) {
    if (w.Form2 && w.Form2->CurrentSettings) WriteSettings(store, *w.Form2->CurrentSettings);
    if (w.Form1) {
        store.setValue(kComputerPlaysBlue, w.Form1->Controller.Opponents.ComputerPlays(Blue));
        store.setValue(kComputerPlaysRed, w.Form1->Controller.Opponents.ComputerPlays(Red));
        store.setValue(kLevelKey, w.Form1->Controller.Opponents.Level());
    }
    for (const QWidget* window : WindowsOf(w)) WriteWindowPlace(store, window);
}

namespace {

void Flush(QSettings& store) {
    store.sync();
    // The end of the run is no time for a box: one line where someone may look.
    if (store.status() != QSettings::NoError)
        std::fprintf(stderr, "quadrivane: the settings could not be saved to %s\n",
                     qPrintable(store.fileName()));
}

}  // namespace

void RestoreStored(TWindows& windows) {
    QSettings store;
    RestoreStored(windows, store);
}

void KeepStored(const TWindows& windows) {
    QSettings store;
    KeepStored(windows, store);
    Flush(store);
}

void KeepSettings(const TSettings& settings) {
    QSettings store;
    WriteSettings(store, settings);
    Flush(store);
}

}  // namespace qv::ui
