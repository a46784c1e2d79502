#include "ui/AccessibleWindow.h"

#include <QAccessibleWidget>
#include <QSet>
#include <QWidget>

namespace qv::ui {

namespace {

QSet<QString>& WindowClasses() {
    static QSet<QString> names;
    return names;
}

QAccessibleInterface* WindowAccessible(const QString& key, QObject* object) {
    auto* window = qobject_cast<QWidget*>(object);
    // The toolkit asks once per class up the hierarchy; only the class itself answers.
    if (!window || key != QLatin1String(object->metaObject()->className()) ||
        !WindowClasses().contains(key))
        return nullptr;
    return new QAccessibleWidget(window, QAccessible::Window);
}

}  // namespace

void ReadAsWindow(const QMetaObject& windowClass) {
    static const bool installed = [] {
        QAccessible::installFactory(&WindowAccessible);
        return true;
    }();
    (void)installed;
    WindowClasses().insert(QString::fromLatin1(windowClass.className()));
}

}  // namespace qv::ui
