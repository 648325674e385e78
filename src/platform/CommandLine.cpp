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
           "  --render-size fixed|window\n"
           "                render at 1024x768, or at the window's own size (4:3)\n"
           "  --render-scale PERCENT\n"
           "                render at 25 to 200 percent of that size\n"
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

CommandLine refuse(const std::string& why, bool withUsage = true) {
    CommandLine result;
    result.run = false;
    result.exitStatus = 2;
    result.err = "drifthold: " + why + "\n" + (withUsage ? usageText() : std::string());
    return result;
}

// The options that take a value, and whether `value` is one of theirs.
bool readValue(std::string_view option, std::string_view value, Options& options) {
    if (option == "--render-size") {
        if (value != "fixed" && value != "window")
            return false;
        options.renderBasis =
            value == "fixed" ? RenderSizeChoice::Basis::Fixed : RenderSizeChoice::Basis::Window;
        return true;
    }
    if (value.empty() || value.size() > 3 || value.find_first_not_of("0123456789") != value.npos)
        return false;
    const int percent = std::stoi(std::string(value));
    if (percent < kMinRenderScale || percent > kMaxRenderScale)
        return false;
    options.renderScale = percent;
    return true;
}

std::string expectedValue(std::string_view option) {
    return option == "--render-size" ? "fixed or window"
                                     : "a percentage from " + std::to_string(kMinRenderScale) +
                                           " to " + std::to_string(kMaxRenderScale);
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
        } else if (const std::string_view option = arg.substr(0, arg.find('='));
                   option == "--render-size" || option == "--render-scale") {
            const bool attached = option.size() < arg.size();
            if (!attached && (i + 1 >= argc || argv[i + 1] == nullptr))
                return refuse(
                    "option " + quoted(option) + " needs a value: " + expectedValue(option), false);
            const std::string_view value = attached ? arg.substr(option.size() + 1) : argv[++i];
            if (!readValue(option, value, result.options))
                return refuse("option " + quoted(option) + " takes " + expectedValue(option) +
                                  ", not " + quoted(value),
                              false);
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
