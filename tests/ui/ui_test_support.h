#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QMouseEvent>
#include <QPushButton>
#include <QSemaphore>
#include <QStandardPaths>
#include <QTest>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "ui/BoardView.h"
#include "ui/Dialogs.h"
#include "ui/Windows.h"

namespace qv::ui::testing {

// OK and Apply keep the settings for the next run: in the tests, never in the
// user's file, under the program's own organisation as the program has it.
inline const bool kTestPaths = [] {
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("Quadrivane"));
    return true;
}();

// Answers every box at once and remembers what it was asked.
class FakeDialogs : public TDialogs {
  public:
    FakeDialogs() { InstallDialogs(this); }
    ~FakeDialogs() override { InstallDialogs(nullptr); }

    bool confirmAnswer = true;
    int confirms = 0;
    QString confirmCaption, confirmText;
    QPoint confirmAt;
    bool Confirm(QWidget*, const QString& caption, const QString& text, QPoint at) override {
        ++confirms;
        confirmCaption = caption;
        confirmText = text;
        confirmAt = at;
        return confirmAnswer;
    }

    std::optional<QString> nextFile;  // nothing: the user cancels
    QString dialogTitle, defaultSuffix, selectedFilter;
    QStringList nameFilters;
    QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
    std::optional<QString> RunFileDialog(QFileDialog& d) override {
        dialogTitle = d.windowTitle();
        nameFilters = d.nameFilters();
        defaultSuffix = d.defaultSuffix();
        selectedFilter = d.selectedNameFilter();
        acceptMode = d.acceptMode();
        return nextFile;
    }

    // The program's own dialogs: answered by `answerDialog` (cancelled without one).
    std::function<bool(QDialog&)> answerDialog;
    QString runDialogTitle;
    bool RunDialog(QDialog& d) override {
        runDialogTitle = d.windowTitle();
        return answerDialog && answerDialog(d);
    }

    struct Box {
        QMessageBox::Icon icon;
        QString caption, text;
    };
    std::vector<Box> boxes;
    QStringList notices;
    void Notice(QWidget*, const QString&, const QString& text) override { notices << text; }
    void MessageBox(QWidget*, QMessageBox::Icon icon, const QString& caption,
                    const QString& text) override {
        boxes.push_back({icon, caption, text});
    }
};

// All four windows, the main one shown and exposed, as the program starts.
struct Program {
    FakeDialogs dialogs;
    TWindows w = CreateWindows();
    TForm1& main = *w.Form1;

    Program() {
        main.show();
        (void)QTest::qWaitForWindowExposed(&main);
    }
};

// Centre of a point's piece as drawn (at the designed geometry CellSize 22,
// diameter 12, from the board view's corner; a larger board is centred).
inline QPoint PixelOf(const TForm1& f, int column, int row) {
    return f.pbBoard->Origin() + QPoint((column - 1) * f.CellSize() + f.PieceDiameter() / 2,
                                        (row - 1) * f.CellSize() + f.PieceDiameter() / 2);
}

inline void SendMouse(QWidget* w, QEvent::Type type, Qt::MouseButton button,
                      Qt::MouseButtons buttons, Qt::KeyboardModifiers mods, QPoint at) {
    QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, buttons, mods);
    QApplication::sendEvent(w, &e);
}

inline void Press(TForm1& f, QPoint at, Qt::MouseButton b = Qt::LeftButton,
                  Qt::KeyboardModifiers mods = Qt::NoModifier) {
    SendMouse(f.pbBoard, QEvent::MouseButtonPress, b, b, mods, at);
}
inline void Release(TForm1& f, QPoint at, Qt::MouseButton b = Qt::LeftButton) {
    SendMouse(f.pbBoard, QEvent::MouseButtonRelease, b, Qt::NoButton, Qt::NoModifier, at);
}
inline void Move(TForm1& f, QPoint at, Qt::MouseButtons held = Qt::NoButton,
                 Qt::KeyboardModifiers mods = Qt::NoModifier) {
    SendMouse(f.pbBoard, QEvent::MouseMove, Qt::NoButton, held, mods, at);
}
inline void Click(TForm1& f, int column, int row, Qt::MouseButton b = Qt::LeftButton) {
    const QPoint at = PixelOf(f, column, row);
    Press(f, at, b);
    Release(f, at, b);
}

// Lets the window take in what the long work in progress reports until it ends.
inline void WaitForWork(TForm1& f, int timeoutMs = 60000) {
    QTRY_VERIFY_WITH_TIMEOUT(f.Controller.Jobs.Work() == LongWork::None, timeoutMs);
}

// Holds the engine's worker at the first root move of the next long work
// until released, so a test can act at a known point of it.
class FirstRootMoveGate {
  public:
    explicit FirstRootMoveGate(TForm1& f) {
        auto state = state_;
        f.Controller.Jobs.WorkerRootMoveHook = [state](const SearchProgress&) {
            if (state->calls++ != 0) return;
            state->reached.release();
            // Never held for good, even by a failing test.
            state->release.tryAcquire(1, 30000);
        };
    }
    ~FirstRootMoveGate() { Release(); }
    // On the window's thread: waits until the worker is held.
    bool Wait() { return state_->reached.tryAcquire(1, 30000); }
    void Release() {
        if (!released_) state_->release.release();
        released_ = true;
    }

  private:
    struct State {
        std::atomic<int> calls = 0;
        QSemaphore reached, release;
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
    bool released_ = false;
};

inline QColor TextColour(const QPushButton* b) {
    return b->palette().color(QPalette::ButtonText);
}

inline QColor PixelAt(QWidget* w, QPoint at) {
    return w->grab().toImage().pixelColor(at);
}

}  // namespace qv::ui::testing
