#include "ui/TestInfo.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "ui/WindowGeometry.h"

namespace qv::ui {

TTestForm::TTestForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Testing Data"));
    setFont(WindowFont());
    setAttribute(Qt::WA_QuitOnClose, false);
    PlaceWindow(this, 284, 171, 295, 240);
    TestMemo = new QPlainTextEdit(this);
    TestMemo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    TestMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    TestMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(TestMemo);
}

}  // namespace qv::ui
