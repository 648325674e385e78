#pragma once
#include <string>

namespace drifthold {

// The game's fatal ending: the caller has already written its message. Waits for
// Enter only when a person sits at a terminal, then ends the process with status -1.
[[noreturn]] void fatalEnding();

// For a player who started the game away from its data: which file was looked for, where,
// and how to start the game so that it finds its data. Goes to stderr; the game's own
// lines on stdout stay as they are.
void explainMissingFile(const std::string& path);

// Asset paths are written with backslashes ("Assets\Shader\basic.vert") and printed
// that way; this maps them to the platform's separator only where a file is opened.
std::string nativePath(const std::string& path);

} // namespace drifthold
