#pragma once
#include "app/Game.h"

namespace drifthold {

// Start-up with the settings file's settings and `options` on top, the frame loop, the
// settings the player changed saved, and shutdown; returns main's exit status.
int runGame(GameOptions options = GameOptions());

} // namespace drifthold
