#include "ui/TurnPanel.h"

#include <QAccessibleWidget>
#include <QPainter>

namespace qv::ui {

namespace {

// Screen readers read a plain widget as an unnamed filler; the panel tells
// whose turn it is, so it is presented as text, its accessible name.
QAccessibleInterface* TurnPanelAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(TTurnPanel::staticMetaObject.className()) &&
        object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::StaticText);
    return nullptr;
}

}  // namespace

TTurnPanel::TTurnPanel(const QString& text, QWidget* parent) : QWidget(parent), text_(text) {
    static const bool installed = [] {
        QAccessible::installFactory(TurnPanelAccessible);
        return true;
    }();
    (void)installed;
}

void TTurnPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (OnDrawPanel) OnDrawPanel(p, text_, rect());
}

}  // namespace qv::ui
