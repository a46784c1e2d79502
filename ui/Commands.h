#pragma once

#include "ui/LongWork.h"

namespace qv::ui {

// Which of the main window's commands may run, by the work in progress.
struct CommandsEnabled {
    bool suggest = true;         // the Blue and Red buttons
    bool history = true;         // undo and redo
    bool game = true;            // New, New Game..., Load and Setup Mode
    bool listings = true;        // the potential listings
    bool tuning = true;          // Play Round and Run Genetic Algorithm
    bool analyse = true;         // Analyse Game
    bool playSuggested = false;  // Play Suggested Move
    bool waitCursor = false;     // the hourglass
    bool operator==(const CommandsEnabled&) const = default;
};

// A search (a suggestion, the computer's move, the analysis) holds back only
// the suggestion buttons and other long work, except that the computer's
// position is its own until it has moved; an engine game or the evolution
// owns the board and every command but Cancel waits.
CommandsEnabled EnabledCommands(LongWork work, bool suggestedMoveFits);

}  // namespace qv::ui
