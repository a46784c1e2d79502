#include "ui/Windows.h"

namespace qv::ui {

TWindows CreateWindows() {
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
    w.Form2->RepaintMainWindow = [main] { main->RepaintMain(); };
    return w;
}

}  // namespace qv::ui
