#pragma once

#include <memory>

#include "ui/AnalysisForm.h"
#include "ui/EvolutionForm.h"
#include "ui/Main.h"
#include "ui/Settings.h"
#include "ui/Stats.h"
#include "ui/TestInfo.h"

namespace qv::ui {

// The program's four windows, created in their fixed order and wired together.
// Destroyed in reverse order, the settings dialog (and its record) after the
// windows created later.
struct TWindows {
    std::unique_ptr<TForm1> Form1;
    std::unique_ptr<TForm2> Form2;
    std::unique_ptr<TStatsForm> StatsForm;
    std::unique_ptr<TTestForm> TestForm;
    // Beyond the four: the pictures of an analysis and of the evolution.
    std::unique_ptr<TAnalysisForm> AnalysisForm;
    std::unique_ptr<TEvolutionForm> EvolutionForm;
};

TWindows CreateWindows();

}  // namespace qv::ui
