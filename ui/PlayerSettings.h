#pragma once

#include <cstdint>

#include "engine/engine.h"
#include "model/settings.h"
#include "play/player_description.h"

namespace qv::ui {

// What the window's players are made of: the settings dialog's record and
// the live potential weights, which engine games change.
class TPlayerSettings {
  public:
    // The record every command reads, changed only by the switch to full
    // width. The defaults until it is set.
    void SetSettings(TSettings* settings) { settings_ = settings; }
    const TSettings& Settings() const;
    // The common settings go to full width at depth 5; false when there is
    // no record to change.
    bool SwitchToFullWidth();

    // The defaults, or those of the last engine-game player to move.
    const PotentialWeights& Weights() const { return weights_; }
    void SetWeights(const PotentialWeights& weights) { weights_ = weights; }

    // The colour's player by the settings, on the live weights: the one its
    // suggestion button asks.
    PlayerSpec PlayerFor(int32_t colour) const;

  private:
    TSettings* settings_ = nullptr;
    PotentialWeights weights_ = DefaultWeights();
};

}  // namespace qv::ui
