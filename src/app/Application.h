#pragma once
#include "app/Game.h"

namespace drifthold {

// Start-up, the frame loop and shutdown; returns main's exit status.
int runGame(const GameOptions& options = GameOptions());

} // namespace drifthold
