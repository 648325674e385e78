#pragma once
#include "gfx/RenderSize.h"
#include "gfx/SharedConstants.h"
#include "platform/CommandLine.h"

#include <iosfwd>
#include <string>

namespace drifthold {

// What the player chose and the game keeps between runs, in
// $XDG_CONFIG_HOME/drifthold/settings (~/.config/drifthold/settings):
//
//   # Drifthold settings
//   version = 1
//   fullscreen = no
//   window-size = 1024x768
//   volume = 100
//   mute = no
//   render-size = fixed
//   render-scale = 100
//
// "version = 1" is the first setting; every setting appears once; blank lines and lines
// starting with # are ignored. Yes/no values are "yes" or "no", the volume a whole number
// from 0 to 100, the size WIDTHxHEIGHT within the limits below, the render size "fixed"
// (1024x768) or "window" and its scale a whole percentage from 25 to 200. The two render
// settings may be left out (files from before they existed): they keep their defaults.
struct Settings {
    bool fullscreen = false;
    int windowWidth = kFrameWidth; // the windowed window's size
    int windowHeight = kFrameHeight;
    int volume = 100; // percent
    bool mute = false;
    RenderSizeChoice render; // the size the passes render at

    bool operator==(const Settings& other) const;
    bool operator!=(const Settings& other) const { return !(*this == other); }
};

constexpr int kMinWindowWidth = 320;
constexpr int kMinWindowHeight = 240;
constexpr int kMaxWindowSide = 16384;

// The settings of one run. It plays with the file's settings and the command line's on
// top; at the end it keeps what the player changed while playing, on top of the file's, so
// an option holds for this run only and a setting the player left alone stays as the file
// has it.
class SettingsSession {
public:
    SettingsSession(const Settings& fromFile, const Options& command);

    const Settings& fromFile() const { return file_; }
    const Settings& thisRun() const { return run_; }
    // What to save when the run ends with the settings as `atEnd`: each setting the player
    // changed during the run, else the file's own.
    Settings toKeep(const Settings& atEnd) const;

private:
    Settings file_;
    Settings run_;
};

// The file's text for `settings`, ending with a line end.
std::string formatSettings(const Settings& settings);

// A file's settings, or the defaults and what is wrong with it ("line 3: ...").
struct SettingsRead {
    Settings settings;
    std::string problem; // empty when the text was good
};
SettingsRead parseSettings(const std::string& text);

// Where the settings live; empty when there is no usable XDG_CONFIG_HOME or HOME.
std::string settingsPath();

// A missing file gives the defaults and no problem; an unreadable or bad one gives the
// defaults and one line for stderr (naming the file, without a line end) as the problem.
SettingsRead readSettingsFile(const std::string& path);

// Saving, in two halves so that a save cut short in between can be tried out: the whole
// text goes to `path`.tmp in the same folder (made as needed, 0700) and to the disk; then
// that file is renamed over `path`, so `path` is always either the old or the new file.
// Each returns an empty string, or one line for stderr (without a line end).
std::string writeSettingsTemporary(const std::string& path, const Settings& settings);
std::string replaceSettingsFile(const std::string& path);
std::string writeSettingsFile(const std::string& path, const Settings& settings);

// The same at settingsPath(), with any problem written to `errors` as one line. Loading
// never fails: it falls back to the defaults. Saving returns whether it saved.
Settings loadSettings(std::ostream& errors);
bool saveSettings(const Settings& settings, std::ostream& errors);

} // namespace drifthold
