#include "ui/Dialogs.h"

#include <QFileDialog>

namespace qv::ui {

bool TDialogs::Confirm(QWidget* parent, const QString& caption, const QString& text,
                       QPoint topLeft) {
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Ok | QMessageBox::Cancel,
                    parent);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    // A moved dialog keeps its place instead of centring itself over the parent.
    box.move(topLeft);
    return box.exec() == QMessageBox::Ok;
}

std::optional<QString> TDialogs::RunFileDialog(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return files.front();
}

bool TDialogs::RunDialog(QDialog& dialog) {
    return dialog.exec() == QDialog::Accepted;
}

void TDialogs::MessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                          const QString& text) {
    QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

void TDialogs::Notice(QWidget* parent, const QString& caption, const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Information, caption, text, QMessageBox::Ok, parent);
    box->setModal(false);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // Below the window, so the final position stays in sight.
    if (parent) box->move(parent->window()->frameGeometry().bottomLeft() + QPoint(0, 8));
    box->show();
}

namespace {
TDialogs gRealDialogs;
TDialogs* gInstalled = nullptr;
}  // namespace

TDialogs& Dialogs() {
    return gInstalled ? *gInstalled : gRealDialogs;
}

void InstallDialogs(TDialogs* dialogs) {
    gInstalled = dialogs;
}

}  // namespace qv::ui
