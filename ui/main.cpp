#include <QApplication>
#include <exception>

#include "ui/ErrorReport.h"
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
    TApplication app(argc, argv);
    QApplication::setApplicationName(qv::ui::kApplicationTitle);
    qv::ui::TWindows windows = qv::ui::CreateWindows();
    windows.Form1->show();
    return QApplication::exec();
}
