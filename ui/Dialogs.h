#pragma once

#include <QMessageBox>
#include <QPoint>
#include <QString>
#include <optional>

class QDialog;
class QFileDialog;
class QWidget;

namespace qv::ui {

// Every modal box the program shows goes through here, so tests can answer
// them without blocking.
class TDialogs {
  public:
    virtual ~TDialogs() = default;

    // A confirmation box with OK (default) and Cancel whose top-left corner is
    // at `topLeft`; true only for OK.
    virtual bool Confirm(QWidget* parent, const QString& caption, const QString& text,
                         QPoint topLeft);
    // Runs an already configured file dialog; the chosen file, or nothing when
    // the user cancels.
    virtual std::optional<QString> RunFileDialog(QFileDialog& dialog);
    // Runs an already built dialog of the program's own; true when accepted.
    virtual bool RunDialog(QDialog& dialog);
    // A message box with OK only.
    virtual void MessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                            const QString& text);
    // A notice that does not wait for an answer: the window goes on working.
    virtual void Notice(QWidget* parent, const QString& caption, const QString& text);
};

// The dialogs in use; the real ones unless a test installed others.
TDialogs& Dialogs();
// Installs `dialogs` (not owned) in place of the real ones; nullptr restores them.
void InstallDialogs(TDialogs* dialogs);

}  // namespace qv::ui
