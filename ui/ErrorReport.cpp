#include "ui/ErrorReport.h"

#include <QApplication>

#include "ui/Dialogs.h"

namespace qv::ui {

void ReportError(const QString& text) {
    Dialogs().MessageBox(QApplication::activeWindow(), QMessageBox::Critical, kApplicationTitle,
                         text + QLatin1Char('.'));
}

}  // namespace qv::ui
