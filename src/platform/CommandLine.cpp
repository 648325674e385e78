#include "platform/CommandLine.h"

#include <string_view>

#ifndef DRIFTHOLD_VERSION
#error "DRIFTHOLD_VERSION comes from the project's version in CMakeLists.txt"
#endif

namespace drifthold {

const char* gameVersion() {
    return DRIFTHOLD_VERSION;
}

std::string usageText() {
    return "Usage: drifthold [OPTION]...\n"
           "Fly a small ship inside a glowing cube among meteors and space junk.\n"
           "\n"
           "  --fullscreen  play in full screen on the monitor's current mode\n"
           "  --windowed    play in a window\n"
           "  --mute        play without sound\n"
           "  --no-vsync    do not wait for the display's refresh between frames\n"
           "  -h, --help    show this help and exit\n"
           "  --version     show the version and exit\n"
           "\n"
           "An option holds for this run only; it wins over the settings in\n"
           "$XDG_CONFIG_HOME/drifthold/settings (~/.config/drifthold/settings).\n"
           "If both --fullscreen and --windowed are given, the last one wins.\n";
}

namespace {

// The argument as the error line shows it: control characters would break the one line.
std::string quoted(std::string_view arg) {
    std::string shown = "'";
    for (char c : arg)
        shown += (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? '?' : c;
    return shown + "'";
}

CommandLine refuse(const std::string& why) {
    CommandLine result;
    result.run = false;
    result.exitStatus = 2;
    result.err = "drifthold: " + why + "\n" + usageText();
    return result;
}

} // namespace

CommandLine parseCommandLine(int argc, const char* const* argv) {
    CommandLine result;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i] != nullptr ? argv[i] : "";
        if (arg == "--help" || arg == "-h") {
            result.run = false;
            result.out = usageText();
            return result;
        }
        if (arg == "--version") {
            result.run = false;
            result.out = std::string("drifthold ") + gameVersion() + "\n";
            return result;
        }
        if (arg == "--fullscreen") {
            result.options.screen = Options::Screen::Fullscreen;
        } else if (arg == "--windowed") {
            result.options.screen = Options::Screen::Windowed;
        } else if (arg == "--mute") {
            result.options.mute = true;
        } else if (arg == "--no-vsync") {
            result.options.vsync = false;
        } else if (arg.size() > 2 && arg.substr(0, 2) == "--" &&
                   arg.find('=') != std::string_view::npos) {
            const std::string name(arg.substr(0, arg.find('=')));
            for (const char* known :
                 {"--fullscreen", "--windowed", "--mute", "--no-vsync", "--help", "--version"})
                if (name == known)
                    return refuse("option " + quoted(name) + " takes no value");
            return refuse("unknown option " + quoted(arg));
        } else if (!arg.empty() && arg[0] == '-') {
            return refuse("unknown option " + quoted(arg));
        } else {
            return refuse("unexpected argument " + quoted(arg));
        }
    }
    return result;
}

} // namespace drifthold
