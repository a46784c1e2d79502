#include "ui/Windows.h"

#include <QAccessibleWidget>
#include <utility>

#include "ui/StoredSettings.h"

namespace qv::ui {

namespace {

// Left to the toolkit, a top-level window built on a plain widget reads to a
// screen reader as a nameless pane; these are windows, named by their titles.
QAccessibleInterface* PlainWindowAccessible(const QString& key, QObject* object) {
    auto* window = qobject_cast<QWidget*>(object);
    if (!window || key != QLatin1String(object->metaObject()->className())) return nullptr;
    if (qobject_cast<TStatsForm*>(object) || qobject_cast<TTestForm*>(object) ||
        qobject_cast<TAnalysisForm*>(object) || qobject_cast<TEvolutionForm*>(object))
        return new QAccessibleWidget(window, QAccessible::Window);
    return nullptr;
}

}  // namespace

TWindows CreateWindows() {
    static const bool accessibleWindows = [] {
        QAccessible::installFactory(&PlainWindowAccessible);
        return true;
    }();
    (void)accessibleWindows;
    TWindows w;
    w.Form1 = std::make_unique<TForm1>();
    w.Form2 = std::make_unique<TForm2>();
    w.StatsForm = std::make_unique<TStatsForm>();
    w.TestForm = std::make_unique<TTestForm>();
    w.AnalysisForm = std::make_unique<TAnalysisForm>();
    w.EvolutionForm = std::make_unique<TEvolutionForm>();
    w.Form1->SetWindows(w.Form2.get(), w.StatsForm.get(), w.TestForm.get());
    w.Form1->SetPictureWindows(w.AnalysisForm.get(), w.EvolutionForm.get());
    TForm1* main = w.Form1.get();
    w.Form2->RepaintMainWindow = [main] { main->SettingsApplied(); };
    TForm2* form2 = w.Form2.get();
    w.Form2->SettingsStored = [form2] { KeepSettings(*form2->CurrentSettings); };
    // The names the windows' places are remembered by.
    const std::pair<QWidget*, const char*> names[] = {{w.Form1.get(), "main"},
                                                      {w.Form2.get(), "settings"},
                                                      {w.StatsForm.get(), "statistics"},
                                                      {w.TestForm.get(), "testingData"},
                                                      {w.AnalysisForm.get(), "analysis"},
                                                      {w.EvolutionForm.get(), "evolution"}};
    for (const auto& [window, name] : names)
        if (window->objectName().isEmpty()) window->setObjectName(QLatin1String(name));
    return w;
}

}  // namespace qv::ui
