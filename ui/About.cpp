#include "ui/About.h"

#include <QtGlobal>

#include "ui/Dialogs.h"

namespace qv::ui {

QString AboutText() {
    return QStringLiteral(
               "Quadrivane %1\n\n"
               "A board game of squares on 8 \u00d7 8 points, with a strong computer player.\n\n"
               "Copyright 2026 The Quadrivane developers.\n"
               "Released under the MIT License: free to use, copy, change and share, "
               "without warranty of any kind.\n\n"
               "Uses Qt %2.")
        .arg(QStringLiteral(QUADRIVANE_VERSION), QString::fromLatin1(qVersion()));
}

void ShowAbout(QWidget* parent) {
    Dialogs().MessageBox(parent, QMessageBox::Information, kAboutCaption, AboutText());
}

}  // namespace qv::ui
