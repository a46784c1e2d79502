#include "ui/PlayerSettings.h"

namespace qv::ui {

const TSettings& TPlayerSettings::Settings() const {
    static const TSettings defaults;
    return settings_ ? *settings_ : defaults;
}

bool TPlayerSettings::SwitchToFullWidth() {
    if (!settings_) return false;
    settings_->FullWidthSearch = true;
    settings_->SearchDepth = 5;
    return true;
}

PlayerSpec TPlayerSettings::PlayerFor(int32_t colour) const {
    return PlayerFromChoice(SearchParameters(Settings(), colour), weights_,
                            Settings().SearchThreads);
}

}  // namespace qv::ui
