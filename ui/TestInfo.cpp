#include "ui/TestInfo.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "ui/WindowGeometry.h"

namespace qv::ui {
namespace {

// Qt 6.4 under X11 crashes when the middle button pastes the primary
// selection into a text area while no program owns that selection. The memo
// is for reading listings; typing and Ctrl+V still edit it.
class TNoMiddleButtonPaste : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
                if (static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton) return true;
                break;
            default:
                break;
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

TTestForm::TTestForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Testing Data"));
    setFont(WindowFont());
    setAttribute(Qt::WA_QuitOnClose, false);
    PlaceWindow(this, 284, 171, 295, 240);
    TestMemo = new QPlainTextEdit(this);
    TestMemo->setAccessibleName(QStringLiteral("Testing Data"));
    TestMemo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    TestMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    TestMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    TestMemo->viewport()->installEventFilter(new TNoMiddleButtonPaste(TestMemo));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(TestMemo);
}

void TTestForm::ShowListing(const std::vector<std::string>& lines) {
    show();
    raise();
    TestMemo->clear();
    for (const std::string& line : lines) TestMemo->appendPlainText(QString::fromStdString(line));
}

}  // namespace qv::ui
