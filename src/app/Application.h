#pragma once

namespace drifthold {

// Start-up, the frame loop and shutdown; returns main's exit status.
int runGame();

} // namespace drifthold
