#include <QApplication>
#include <cstdio>
#include <cstring>
#include <exception>

#include "ui/ErrorReport.h"
#include "ui/StoredSettings.h"
#include "ui/Windows.h"

namespace {

// The last line of defence: a failure that escapes a handler is reported
// like any other instead of ending the program.
class TApplication : public QApplication {
  public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            qv::ui::ReportError(QString::fromLocal8Bit(e.what()));
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv) {
    // Answered before the window system is touched, so it works without a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("quadrivane %s\n", QUADRIVANE_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("Usage: quadrivane [--version]\nThe Quadrivane board game.\n");
            return 0;
        }
    }
    TApplication app(argc, argv);
    // What is remembered lives in ~/.config/Quadrivane/Quadrivane.conf (or
    // the platform's equivalent).
    QCoreApplication::setOrganizationName(QStringLiteral("Quadrivane"));
    QCoreApplication::setApplicationName(QStringLiteral("Quadrivane"));
    qv::ui::TWindows windows = qv::ui::CreateWindows();
    qv::ui::RestoreStored(windows);
    windows.Form1->show();
    // After show, so that the rules open beside where the main window is.
    windows.Form1->ShowHelpIfWanted();
    const int status = QApplication::exec();
    qv::ui::KeepStored(windows);
    return status;
}
