#include "ui/Commands.h"

namespace qv::ui {

CommandsEnabled EnabledCommands(LongWork work, bool suggestedMoveFits) {
    CommandsEnabled e;
    switch (work) {
        case LongWork::None:
            e.playSuggested = suggestedMoveFits;
            break;
        case LongWork::ComputerMove:
            e.history = e.game = false;
            [[fallthrough]];
        case LongWork::Suggestion:
        case LongWork::Analysis:
            e.suggest = e.tuning = e.analyse = false;
            break;
        case LongWork::EngineGame:
        case LongWork::Evolution:
            e = {false, false, false, false, false, false, false, true};
            break;
    }
    return e;
}

}  // namespace qv::ui
