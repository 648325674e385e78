#include "platform/Settings.h"

#include "platform/UserFolders.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <ostream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace drifthold {

bool Settings::operator==(const Settings& other) const {
    return fullscreen == other.fullscreen && windowWidth == other.windowWidth &&
           windowHeight == other.windowHeight && volume == other.volume && mute == other.mute &&
           render == other.render;
}

SettingsSession::SettingsSession(const Settings& fromFile, const Options& command)
    : file_(fromFile), run_(fromFile) {
    if (command.screen == Options::Screen::Fullscreen)
        run_.fullscreen = true;
    else if (command.screen == Options::Screen::Windowed)
        run_.fullscreen = false;
    if (command.mute)
        run_.mute = true;
    if (command.renderBasis)
        run_.render.basis = *command.renderBasis;
    if (command.renderScale)
        run_.render.scalePercent = *command.renderScale;
}

Settings SettingsSession::toKeep(const Settings& atEnd) const {
    Settings kept = file_;
    const auto keepIfChanged = [&](auto Settings::*field) {
        if (atEnd.*field != run_.*field)
            kept.*field = atEnd.*field;
    };
    keepIfChanged(&Settings::fullscreen);
    keepIfChanged(&Settings::windowWidth);
    keepIfChanged(&Settings::windowHeight);
    keepIfChanged(&Settings::volume);
    keepIfChanged(&Settings::mute);
    keepIfChanged(&Settings::render);
    return kept;
}

namespace {

constexpr int kVersion = 1;
// Far more than any settings file; a bigger one is not ours.
constexpr std::size_t kMaxFileSize = 64 * 1024;
const char* const kTooLarge = "is too large to be a settings file";
const char* const kKeys[] = {"fullscreen", "window-size", "volume",
                             "mute",       "render-size", "render-scale"};
// Files written before the render size was a setting lack the last two: those may be left
// out, and then keep their defaults.
constexpr std::size_t kRequiredKeys = 4;

const char* renderSizeName(RenderSizeChoice::Basis basis) {
    return basis == RenderSizeChoice::Basis::Fixed ? "fixed" : "window";
}

const char* yesNo(bool value) {
    return value ? "yes" : "no";
}

std::string trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// A value as the message shows it: short enough to keep the line readable.
std::string shown(const std::string& value) {
    return "'" + (value.size() > 32 ? value.substr(0, 32) + "..." : value) + "'";
}

// Digits only (no sign, no spaces), at most five: enough for every valid value and far
// from overflowing.
bool readNumber(const std::string& text, int& value) {
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != text.npos)
        return false;
    value = std::stoi(text);
    return true;
}

bool readYesNo(const std::string& text, bool& value) {
    if (text != "yes" && text != "no")
        return false;
    value = text == "yes";
    return true;
}

bool readRenderSize(const std::string& text, RenderSizeChoice::Basis& basis) {
    if (text != "fixed" && text != "window")
        return false;
    basis = text == "fixed" ? RenderSizeChoice::Basis::Fixed : RenderSizeChoice::Basis::Window;
    return true;
}

bool readSize(const std::string& text, int& width, int& height) {
    const std::size_t x = text.find('x');
    return x != text.npos && readNumber(text.substr(0, x), width) &&
           readNumber(text.substr(x + 1), height) && width >= kMinWindowWidth &&
           height >= kMinWindowHeight && width <= kMaxWindowSide && height <= kMaxWindowSide;
}

std::string readValue(const std::string& key, const std::string& value, Settings& settings) {
    if (key == "fullscreen" && !readYesNo(value, settings.fullscreen))
        return "fullscreen is " + shown(value) + ", not yes or no";
    if (key == "mute" && !readYesNo(value, settings.mute))
        return "mute is " + shown(value) + ", not yes or no";
    if (key == "volume" &&
        !(readNumber(value, settings.volume) && settings.volume >= 0 && settings.volume <= 100))
        return "volume is " + shown(value) + ", not a whole number from 0 to 100";
    if (key == "render-size" && !readRenderSize(value, settings.render.basis))
        return "render-size is " + shown(value) + ", not fixed or window";
    if (key == "render-scale" && !(readNumber(value, settings.render.scalePercent) &&
                                   settings.render.scalePercent >= kMinRenderScale &&
                                   settings.render.scalePercent <= kMaxRenderScale))
        return "render-scale is " + shown(value) + ", not a whole number from " +
               std::to_string(kMinRenderScale) + " to " + std::to_string(kMaxRenderScale);
    if (key == "window-size" && !readSize(value, settings.windowWidth, settings.windowHeight))
        return "window-size is " + shown(value) + ", not a size from " +
               std::to_string(kMinWindowWidth) + "x" + std::to_string(kMinWindowHeight) + " to " +
               std::to_string(kMaxWindowSide) + "x" + std::to_string(kMaxWindowSide);
    return {};
}

// Why `text` is no settings file, or an empty string; fills `settings` as it goes.
std::string parse(const std::string& text, Settings& settings) {
    if (text.size() > kMaxFileSize)
        return kTooLarge;
    for (char c : text)
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\r' && c != '\t') ||
            c == 0x7f)
            return "holds binary data";
    if (text.empty())
        return "is empty";
    // Every line the game writes ends with a line end: without one the file was cut short,
    // and "volume = 8" may be the first half of "volume = 80".
    if (text.back() != '\n')
        return "ends in the middle of a line";

    bool version = false;
    bool seen[std::size(kKeys)] = {};
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        const std::string content = trim(line);
        if (content.empty() || content[0] == '#')
            continue;
        const std::string at = "line " + std::to_string(number) + ": ";
        const std::size_t equals = content.find('=');
        if (equals == content.npos)
            return at + shown(content) + " is not a 'name = value' line";
        const std::string key = trim(content.substr(0, equals));
        const std::string value = trim(content.substr(equals + 1));
        if (!version) {
            if (key != "version")
                return at + "the first setting must be 'version = " + std::to_string(kVersion) +
                       "'";
            if (value != std::to_string(kVersion))
                return at + "version " + shown(value) + " is not one this game reads";
            version = true;
            continue;
        }
        std::size_t index = 0;
        while (index < std::size(kKeys) && key != kKeys[index])
            ++index;
        if (index == std::size(kKeys))
            return at + "unknown setting " + shown(key);
        if (seen[index])
            return at + key + " is given twice";
        seen[index] = true;
        const std::string wrong = readValue(key, value, settings);
        if (!wrong.empty())
            return at + wrong;
    }
    if (!version)
        return "has no 'version = " + std::to_string(kVersion) + "' line";
    for (std::size_t index = 0; index < kRequiredKeys; ++index)
        if (!seen[index])
            return "has no " + std::string(kKeys[index]) + " setting";
    return {};
}

std::string systemError() {
    return std::strerror(errno);
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == 0 ? "/" : path.substr(0, slash == path.npos ? 0 : slash);
}

std::string cannotSave(const std::string& path, const std::string& why) {
    return "drifthold: cannot save the settings to " + path + ": " + why;
}

} // namespace

std::string formatSettings(const Settings& settings) {
    std::ostringstream text;
    text << "# Drifthold settings\n"
         << "version = " << kVersion << "\n"
         << "fullscreen = " << yesNo(settings.fullscreen) << "\n"
         << "window-size = " << settings.windowWidth << "x" << settings.windowHeight << "\n"
         << "volume = " << settings.volume << "\n"
         << "mute = " << yesNo(settings.mute) << "\n"
         << "render-size = " << renderSizeName(settings.render.basis) << "\n"
         << "render-scale = " << settings.render.scalePercent << "\n";
    return text.str();
}

SettingsRead parseSettings(const std::string& text) {
    SettingsRead read;
    read.problem = parse(text, read.settings);
    if (!read.problem.empty())
        read.settings = Settings{};
    return read;
}

std::string settingsPath() {
    const std::string home = configHome();
    return home.empty() ? home : home + "/drifthold/settings";
}

SettingsRead readSettingsFile(const std::string& path) {
    SettingsRead read;
    const auto fail = [&](const std::string& why) {
        read.settings = Settings{};
        read.problem = "drifthold: the settings file " + path + " " + why +
                       "; playing with the default settings";
        return read;
    };
    const FileText file = readPlayerFile(path, kMaxFileSize);
    switch (file.status) {
    case FileText::Status::Missing:
        return read;
    case FileText::Status::NotAFile:
        return fail("is not a file");
    case FileText::Status::Unreadable:
        return fail("cannot be read: " + file.why);
    case FileText::Status::TooLarge:
        return fail(kTooLarge);
    case FileText::Status::Read:
        break;
    }
    read = parseSettings(file.text);
    if (!read.problem.empty()) {
        const std::string why = read.problem;
        return fail(why.rfind("line ", 0) == 0 ? "is wrong at " + why : why);
    }
    return read;
}

std::string writeSettingsTemporary(const std::string& path, const Settings& settings) {
    const std::string madeFolder = makeFolders(folderOf(path), 0700);
    if (!madeFolder.empty())
        return cannotSave(path, madeFolder);
    // One fixed name: a temporary file left by a save that was cut short is simply
    // overwritten by the next one.
    const std::string temporary = path + ".tmp";
    // Non-blocking: a named pipe left where the temporary file goes must not hang the exit.
    const int fd =
        open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd < 0)
        return cannotSave(path, systemError());
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return cannotSave(path, temporary + " is not a file");
    }
    const bool written = writeAll(fd, formatSettings(settings)) && fsync(fd) == 0;
    const std::string why = systemError();
    if (close(fd) != 0 || !written) {
        unlink(temporary.c_str());
        return cannotSave(path, written ? systemError() : why);
    }
    return {};
}

std::string replaceSettingsFile(const std::string& path) {
    const std::string temporary = path + ".tmp";
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string why = systemError();
        unlink(temporary.c_str());
        return cannotSave(path, why);
    }
    // The rename itself reaches the disk with its folder.
    const int folder = open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    return {};
}

std::string writeSettingsFile(const std::string& path, const Settings& settings) {
    const std::string written = writeSettingsTemporary(path, settings);
    return written.empty() ? replaceSettingsFile(path) : written;
}

Settings loadSettings(std::ostream& errors) {
    const std::string path = settingsPath();
    if (path.empty())
        return Settings{};
    const SettingsRead read = readSettingsFile(path);
    if (!read.problem.empty())
        errors << read.problem << std::endl;
    return read.settings;
}

bool saveSettings(const Settings& settings, std::ostream& errors) {
    const std::string path = settingsPath();
    const std::string problem =
        path.empty() ? "drifthold: cannot save the settings: neither XDG_CONFIG_HOME nor HOME "
                       "is an absolute folder"
                     : writeSettingsFile(path, settings);
    if (!problem.empty())
        errors << problem << std::endl;
    return problem.empty();
}

} // namespace drifthold
