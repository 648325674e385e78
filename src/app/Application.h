#pragma once
#include <string>

namespace drifthold {

// Start-up, the frame loop and shutdown; returns main's exit status.
int runGame();

// The frame-time line without its line end, e.g. "frametime: 16.5ms".
std::string frameTimeLine(double frameTimeSeconds);

} // namespace drifthold
