#pragma once
#include "gfx/RenderSize.h"

#include <optional>
#include <string>

namespace drifthold {

// What the command line asks of this run. Nothing given leaves everything as the settings
// file (or, without one, the game's defaults) has it.
struct Options {
    enum class Screen { AsSettings, Fullscreen, Windowed };
    Screen screen = Screen::AsSettings;
    bool mute = false; // --mute: no sound this run
    bool vsync = true; // one frame per display refresh (swap interval 1); --no-vsync clears it
    std::optional<RenderSizeChoice::Basis> renderBasis; // --render-size fixed|window
    std::optional<int> renderScale;                     // --render-scale PERCENT
};

// The parsed command line: either run the game with `options`, or write `out` to stdout
// and `err` to stderr and exit with `exitStatus`, without opening a window.
struct CommandLine {
    bool run = true;
    int exitStatus = 0;
    std::string out;
    std::string err;
    Options options;
};

// Arguments are read left to right. --help (or -h) and --version act where they stand;
// a bad argument before them is reported instead (status 2: one line, then the usage). An
// option that takes a value has it as the next argument or after '='; a missing or bad
// value is one line naming it, status 2, without the usage.
// --fullscreen and --windowed may both be given: the last one wins, so an alias or a
// launcher's option can be overridden by the player's.
CommandLine parseCommandLine(int argc, const char* const* argv);

// The usage text that --help prints, with its final line end.
std::string usageText();

// The game's version, the project's version in CMakeLists.txt.
const char* gameVersion();

} // namespace drifthold
