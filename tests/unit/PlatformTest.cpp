// The platform layer as main, the settings and the screenshots use it, without a window: the
// command line (what runs, what is printed where, the exit status), the settings file (where
// it lives, what a good one holds, what every kind of broken one gives, saves that leave the
// old or the new file), and screenshots (which folder, names that never overwrite, the PNG's
// pixels, the one line when nothing can be written). XDG_CONFIG_HOME, HOME and every folder
// always point into this process's temp folder.
#include "platform/CommandLine.h"
#include "platform/Screenshot.h"
#include "platform/Settings.h"
#include "platform/UserFolders.h"
#include "support/Files.h"

#include <FreeImage.h>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <gtest/gtest.h>
#include <initializer_list>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace drifthold;
namespace fs = std::filesystem;

namespace {

// Environment variables set (or unset, with nullptr) for one scope and put back after it,
// so a test that points XDG_* or HOME at its temp folder leaves the next test the
// environment it started with, and never the player's real folders.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::initializer_list<std::pair<const char*, const char*>> values) {
        for (const auto& [name, value] : values) {
            const char* old = std::getenv(name);
            saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
            set(name, value);
        }
    }
    ~ScopedEnvironment() { // in reverse, so a name given twice gets its first value back
        for (auto it = saved.rbegin(); it != saved.rend(); ++it)
            set(it->first.c_str(), it->second ? it->second->c_str() : nullptr);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    static void set(const char* name, const char* value) {
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

// What main does, in one string: "run" and the options that differ from the defaults, or
// "exit" and the status; then what goes to stdout, then what goes to stderr.
std::string outcome(std::vector<const char*> args) {
    args.insert(args.begin(), "drifthold");
    const CommandLine line = parseCommandLine(static_cast<int>(args.size()), args.data());
    const char* const screens[] = {"", " fullscreen", " windowed"}; // in Options::Screen's order
    const Options& options = line.options;
    std::string what = line.run ? "run" : "exit " + std::to_string(line.exitStatus);
    if (line.run)
        what += screens[static_cast<int>(options.screen)] +
                std::string(options.mute ? " mute" : "") + (options.vsync ? "" : " no-vsync");
    if (line.run && options.renderBasis)
        what += *options.renderBasis == RenderSizeChoice::Basis::Fixed ? " fixed" : " window";
    if (line.run && options.renderScale)
        what += " " + std::to_string(*options.renderScale) + "%";
    return what + "|" + line.out + "|" + line.err;
}

const RenderSizeChoice kFixed{}; // the default: 1024x768, at 100%
const RenderSizeChoice kHalfWindow{RenderSizeChoice::Basis::Window, 50};
const Settings kChanged{true, 1280, 720, 35, true, kHalfWindow};
using Loaded = std::pair<Settings, std::string>; // the settings, and what went to stderr

// A temp folder as XDG_CONFIG_HOME (and another as HOME) for one test.
class SettingsTest : public ::testing::Test {
protected:
    static Loaded load() {
        std::ostringstream errors;
        const Settings settings = loadSettings(errors);
        return {settings, errors.str()};
    }
    // What saving wrote to stderr.
    static std::string save(const Settings& settings, bool saved = true) {
        std::ostringstream errors;
        EXPECT_EQ(saveSettings(settings, errors), saved) << errors.str();
        return errors.str();
    }

    const std::string root = test::tempFolder(
        std::string("settings_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    const ScopedEnvironment environment{{"XDG_CONFIG_HOME", (root + "/config").c_str()},
                                        {"HOME", (root + "/home").c_str()}};
    const std::string folder = root + "/config/drifthold", path = folder + "/settings";
};

std::string folderForThisTest() {
    return test::tempFolder(std::string("shot_") +
                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
}

// A w x h picture, bottom row first as GL reads it, in which every byte differs: with 4
// channels the alpha varies too, and must not reach the file.
std::vector<unsigned char> pattern(int w, int h, int channels) {
    std::vector<unsigned char> bytes(static_cast<std::size_t>(w * h * channels));
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<unsigned char>(7 * i + 1);
    return bytes;
}

std::string nameAt(std::time_t when, int attempt) {
    std::tm local{};
    localtime_r(&when, &local);
    return screenshotName(local, attempt);
}

const std::time_t kWhen = 1796657412; // some second in December 2026

} // namespace

// Without arguments the game runs as before; each option sets its own choice only, and the
// last of --fullscreen and --windowed wins.
TEST(CommandLine, EachOptionSetsItsOwnChoiceOnly) {
    EXPECT_EQ(outcome({}), "run||");
    EXPECT_EQ(outcome({"--mute"}), "run mute||");
    EXPECT_EQ(outcome({"--fullscreen"}), "run fullscreen||");
    EXPECT_EQ(outcome({"--no-vsync", "--mute", "--fullscreen", "--mute"}),
              "run fullscreen mute no-vsync||");
    EXPECT_EQ(outcome({"--fullscreen", "--windowed"}), "run windowed||");
    // The render size's options take their value as the next argument or after '='.
    EXPECT_EQ(outcome({"--render-size", "window", "--render-scale", "25"}), "run window 25%||");
    EXPECT_EQ(outcome({"--render-scale=200", "--render-size=fixed", "--render-size=window"}),
              "run window 200%||");
}

TEST(CommandLine, HelpAndVersionPrintOnStdoutAndExitZero) {
    EXPECT_EQ(outcome({"--mute", "--help", "--bogus"}), "exit 0|" + usageText() + "|");
    EXPECT_EQ(outcome({"-h"}), "exit 0|" + usageText() + "|");
    EXPECT_EQ(outcome({"--version", "--help"}),
              std::string("exit 0|drifthold ") + gameVersion() + "\n|");
    // Every option the parser takes is in the usage.
    for (const char* option : {"--fullscreen", "--windowed", "--mute", "--no-vsync",
                               "--render-size", "--render-scale", "--help", "--version"})
        EXPECT_NE(usageText().find(option), std::string::npos) << option;
    // project()'s MAJOR.MINOR.PATCH, not an empty or unexpanded definition.
    EXPECT_TRUE(std::regex_match(gameVersion(), std::regex("[0-9]+\\.[0-9]+\\.[0-9]+")))
        << gameVersion();
}

// One line naming the argument, on stderr, with the usage after it unless only a value was
// wrong; status 2; nothing on stdout.
TEST(CommandLine, ABadArgumentIsOneLineWithStatusTwo) {
    const std::string needsPercentage = "option '--render-scale' takes a percentage from 25 to 200";
    const std::tuple<std::vector<const char*>, std::string, bool> cases[] = {
        {{"-x"}, "unknown option '-x'", true},
        {{"--fullscreen=yes"}, "option '--fullscreen' takes no value", true},
        {{"--mute="}, "option '--mute' takes no value", true},
        {{"--full"}, "unknown option '--full'", true},
        {{"--FULLSCREEN"}, "unknown option '--FULLSCREEN'", true},
        {{"--"}, "unknown option '--'", true},
        {{"fullscreen"}, "unexpected argument 'fullscreen'", true},
        {{"--windowed", "two\nlines"}, "unexpected argument 'two?lines'", true},
        {{"--bogus", "--help"}, "unknown option '--bogus'", true},
        {{"--render-size"}, "option '--render-size' needs a value: fixed or window", false},
        {{"--render-size", "native"},
         "option '--render-size' takes fixed or window, not 'native'",
         false},
        {{"--render-size="}, "option '--render-size' takes fixed or window, not ''", false},
        {{"--render-scale", "201"}, needsPercentage + ", not '201'", false},
        {{"--render-scale=24"}, needsPercentage + ", not '24'", false},
        {{"--render-scale", "50%", "--help"}, needsPercentage + ", not '50%'", false},
        {{"--mute", "--render-scale"},
         "option '--render-scale' needs a value: a percentage from 25 to 200",
         false}};
    for (const auto& [args, error, usage] : cases)
        EXPECT_EQ(outcome(args), "exit 2||drifthold: " + error + "\n" + (usage ? usageText() : ""));
}

// A relative folder is never taken: the settings would land wherever the game runs.
TEST(SettingsPath, FollowsTheXdgRules) {
    EXPECT_EQ(configHomeFrom("/xdg/config", "/home/p"), "/xdg/config");
    EXPECT_EQ(configHomeFrom(nullptr, "/home/p"), "/home/p/.config");
    EXPECT_EQ(configHomeFrom("", "/home/p"), "/home/p/.config");
    EXPECT_EQ(configHomeFrom("relative/config", "/home/p"), "/home/p/.config");
    EXPECT_EQ(configHomeFrom(nullptr, nullptr), "");
    EXPECT_EQ(configHomeFrom("", ""), "");
    EXPECT_EQ(configHomeFrom(nullptr, "not/absolute"), "");
    ScopedEnvironment environment({{"XDG_CONFIG_HOME", "/c"}, {"HOME", "/h"}});
    EXPECT_EQ(settingsPath(), "/c/drifthold/settings");
}

// An option holds for its run only: the run plays with it, but what is kept is the file's
// setting unless the player changed that setting while playing.
TEST(SettingsSession, OptionsHoldForOneRunAndThePlayersChangesAreKept) {
    const Settings file{false, 800, 600, 40, false, kFixed};
    const SettingsSession run(file, Options{Options::Screen::Fullscreen, true, false,
                                            RenderSizeChoice::Basis::Window, 50});
    EXPECT_EQ(run.thisRun(), (Settings{true, 800, 600, 40, true, kHalfWindow}));
    EXPECT_EQ(run.toKeep(run.thisRun()), file) << "nothing changed: the file stays";
    // Left full screen and unmuted, resized, louder: each change is kept.
    EXPECT_EQ(run.toKeep(Settings{false, 1280, 720, 70, false, kHalfWindow}),
              (Settings{false, 1280, 720, 70, false, kFixed}));
    EXPECT_EQ(SettingsSession(kChanged, Options{Options::Screen::Windowed, false, true,
                                                RenderSizeChoice::Basis::Fixed, std::nullopt})
                  .thisRun(),
              (Settings{false, 1280, 720, 35, true, {RenderSizeChoice::Basis::Fixed, 50}}));
}

TEST_F(SettingsTest, WhatIsSavedLoadsBackAndReadsAsText) {
    EXPECT_EQ(load(), Loaded(Settings{}, ""));  // no file yet: the defaults, silently
    EXPECT_FALSE(fs::exists(root + "/config")); // and loading makes nothing

    EXPECT_EQ(save(kChanged), "");
    EXPECT_EQ(test::readFile(path), "# Drifthold settings\nversion = 1\nfullscreen = yes\n"
                                    "window-size = 1280x720\nvolume = 35\nmute = yes\n"
                                    "render-size = window\nrender-scale = 50\n");
    EXPECT_EQ(load(), Loaded(kChanged, ""));
    // The folder is made private, as XDG asks of folders it has to make.
    struct stat info {};
    ASSERT_EQ(stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_FALSE(fs::exists(path + ".tmp"));

    // The defaults, and every limit of the ranges, survive the trip too.
    using Basis = RenderSizeChoice::Basis;
    const Settings smallest{false, kMinWindowWidth, kMinWindowHeight,
                            0,     false,           {Basis::Fixed, kMinRenderScale}};
    const Settings largest{true, kMaxWindowSide, kMaxWindowSide,
                           100,  false,          {Basis::Window, kMaxRenderScale}};
    for (const Settings& settings : {Settings{}, smallest, largest}) {
        EXPECT_EQ(save(settings), "");
        EXPECT_EQ(load(), Loaded(settings, ""));
    }
    // Written by hand: blank lines, comments, spaces, tabs and CRLF line ends; a file from
    // before the render settings existed keeps their defaults.
    test::writeFile(
        folder, "settings",
        "\n# written by hand\r\n  version=1  \r\n\nmute\t=\tno\nvolume = 0\n  # a comment\n"
        "window-size = 320x240\r\nfullscreen =yes\n\n");
    EXPECT_EQ(load(), Loaded({true, 320, 240, 0, false, kFixed}, ""));
}

// Each broken file gives the defaults, never half of its values, and one line naming the
// file and what is wrong.
TEST_F(SettingsTest, EveryKindOfBrokenFileGivesTheDefaultsAndOneLine) {
    const std::string body = "fullscreen = yes\nwindow-size = 800x600\nvolume = 35\n";
    const std::string good = "version = 1\n" + body + "mute = yes\n";
    std::vector<std::pair<std::string, std::string>> cases = {
        {"", "is empty"},
        {std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "holds binary data"},
        {good + "junk\x01\n", "holds binary data"},
        {good.substr(0, good.size() - 1), "ends in the middle of a line"},
        {"version = 1\nfullscreen = yes\nwindow-size = 800x600\nvolume = 3",
         "ends in the middle of a line"},
        {std::string(70000, '#') + "\n", "is too large"},
        {"# Drifthold settings\n", "has no 'version = 1' line"},
        {body + "version = 1\nmute = no\n", "line 1: the first setting must be 'version = 1'"},
        {"version = 2\n" + body + "mute = no\n", "line 1: version '2' is not one this game reads"},
        {"version =\n" + body, "line 1: version '' is not one"},
        {"version = 1\n" + body, "has no mute setting"},
        {"version = 1\n", "has no fullscreen setting"},
        {good + "mute = no\n", "line 6: mute is given twice"},
        {good + "colour = blue\n", "line 6: unknown setting 'colour'"},
        {good + "mute\n", "line 6: 'mute' is not a 'name = value' line"}};
    const std::pair<std::string, std::vector<std::string>> badValues[] = {
        {"fullscreen", {"maybe", "1"}},
        {"mute", {"YES", ""}},
        {"render-size", {"Window", "native", "1024x768", ""}},
        {"render-scale", {"24", "201", "50%", "0.5", ""}},
        {"volume", {"101", "-1", "80%", "0x10", "99999999999999999999"}},
        {"window-size",
         {"0x0", "99999x5", "319x240", "320x239", "16385x768", "1024x16385", "1024 x 768",
          "1024*768", "x768", "1024x", "-1024x768", "+1024x768", "1024x768x2", "1024X768", ""}}};
    for (const auto& [name, values] : badValues)
        for (const std::string& value : values)
            cases.emplace_back("version = 1\n" + name + " = " + value + "\n",
                               "line 2: " + name + " is '" + value + "'");
    for (const auto& [text, problem] : cases) {
        test::writeFile(folder, "settings", text);
        const auto [settings, error] = load();
        EXPECT_EQ(settings, Settings{}) << problem;
        EXPECT_EQ(error.rfind("drifthold: the settings file " + path + " ", 0), 0u) << error;
        EXPECT_NE(error.find(problem), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), error.size() - 1) << error;
    }
}

// Named pipes where the file or its temporary should be are never waited on: nobody would
// ever write or read them; the defaults, or no save, and one line. Should a load or save
// wait, the pipe's other end is opened to let it go.
TEST_F(SettingsTest, ANamedPipeIsNeverWaitedOn) {
    fs::create_directories(folder);
    const auto withoutWaiting = [](auto work, const std::string& pipe, int otherEnd) {
        auto result = std::async(std::launch::async, work);
        if (result.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            ADD_FAILURE() << "waits on the named pipe " << pipe;
            close(open(pipe.c_str(), otherEnd | O_NONBLOCK));
        }
        return result.get();
    };
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    EXPECT_EQ(withoutWaiting([] { return load(); }, path, O_WRONLY),
              Loaded(Settings{}, "drifthold: the settings file " + path +
                                     " is not a file; playing with the default settings\n"));
    fs::remove(path);
    ASSERT_EQ(mkfifo((path + ".tmp").c_str(), 0600), 0);
    const std::string refused =
        withoutWaiting([] { return save(kChanged, false); }, path + ".tmp", O_RDONLY);
    EXPECT_EQ(refused.rfind("drifthold: cannot save the settings to " + path + ": ", 0), 0u);
    EXPECT_FALSE(fs::exists(path));
    fs::remove(path + ".tmp");
}

TEST(ScreenshotFolder, UserDirsEntriesAreReadAsXdgUserDirsWritesThem) {
    const std::pair<std::string, std::string> cases[] = {
        {"XDG_PICTURES_DIR=\"$HOME/Pictures\"\n", "/home/p/Pictures"},
        {"# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
         "XDG_PICTURES_DIR=\"$HOME/Bilder\"\nXDG_MUSIC_DIR=\"$HOME/Musik\"\n",
         "/home/p/Bilder"},
        {"  XDG_PICTURES_DIR = \"/media/photos/\"", "/media/photos"},
        {"XDG_PICTURES_DIR=\"$HOME/My \\\"Shots\\\"\"\n", "/home/p/My \"Shots\""},
        {"XDG_PICTURES_DIR=\"/one\"\nXDG_PICTURES_DIR=\"/two\"\n", "/two"},
        {"XDG_PICTURES_DIR=\"Pictures\"\n", ""},     // relative: not allowed
        {"XDG_PICTURES_DIR=$HOME/Pictures\n", ""},   // not quoted
        {"XDG_PICTURES_DIR=\"$HOME/Pictures\n", ""}, // quote never closed
        {"XDG_PICTURES_DIR_OLD=\"/old\"\n", ""},
    };
    for (const auto& [text, folder] : cases)
        EXPECT_EQ(userDirEntry(text, "XDG_PICTURES_DIR", "/home/p"), folder) << text;
    EXPECT_EQ(userDirEntry("XDG_PICTURES_DIR=\"$HOME/Pictures\"\n", "XDG_PICTURES_DIR", ""), "");
}

// XDG_PICTURES_DIR itself is taken in ShellGLTest's screenshot.
TEST(ScreenshotFolder, EnvironmentThenUserDirsThenPicturesUnderHome) {
    const std::string config = folderForThisTest() + "/config";
    EXPECT_EQ(picturesDirFrom("/shots", config, "/home/p"), "/shots");
    EXPECT_EQ(picturesDirFrom(nullptr, config, "/home/p"), "/home/p/Pictures"); // no file yet
    EXPECT_EQ(picturesDirFrom(nullptr, config, nullptr), "");
    test::writeFile(config, "user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
    EXPECT_EQ(picturesDirFrom(nullptr, config, "/home/p"), "/home/p/Bilder");
    EXPECT_EQ(picturesDirFrom("relative", config, "/home/p"), "/home/p/Bilder");

    // The same through the environment, user-dirs.dirs found under XDG_CONFIG_HOME.
    test::writeFile(config, "user-dirs.dirs", "XDG_PICTURES_DIR=\"/media/shots\"\n");
    ScopedEnvironment environment(
        {{"XDG_PICTURES_DIR", nullptr}, {"XDG_CONFIG_HOME", config.c_str()}, {"HOME", "/h"}});
    EXPECT_EQ(screenshotFolder(), "/media/shots/Drifthold");
}

TEST(ScreenshotName, DateAndTimeThenACounter) {
    std::tm when{};
    const std::time_t second = 1798859045; // 2027-01-02 03:04:05 UTC
    gmtime_r(&second, &when);
    EXPECT_EQ(screenshotName(when, 1), "drifthold-2027-01-02-030405.png");
    EXPECT_EQ(screenshotName(when, 2), "drifthold-2027-01-02-030405-2.png");
    EXPECT_EQ(screenshotName(when, 13), "drifthold-2027-01-02-030405-13.png");
}

// The PNG holds the pixels as seen: the bottom row at the bottom, red first, no alpha. A name
// already taken, by the player's own file or by an earlier screenshot, is never overwritten.
TEST(Screenshot, ThePngHoldsThePixelsUnderANameNotYetTaken) {
    const std::string folder = folderForThisTest();
    test::writeFile(folder, nameAt(kWhen, 1), "the player's own file");
    int attempt = 1;
    for (int channels : {4, 3}) {
        const int w = 5, h = 3; // rows of 15 bytes: no padding assumed
        const std::vector<unsigned char> pixels = pattern(w, h, channels);
        const std::string path = folder + "/" + nameAt(kWhen, ++attempt);
        EXPECT_EQ(saveScreenshot(PixelView{pixels.data(), w, h, channels}, folder, kWhen),
                  "drifthold: screenshot saved to " + path);
        FIBITMAP* image = FreeImage_Load(FIF_PNG, path.c_str(), PNG_DEFAULT);
        ASSERT_NE(image, nullptr) << path;
        EXPECT_EQ(FreeImage_GetBPP(image), 24u);
        ASSERT_EQ(FreeImage_GetWidth(image), unsigned(w));
        ASSERT_EQ(FreeImage_GetHeight(image), unsigned(h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                RGBQUAD colour{};
                FreeImage_GetPixelColor(image, x, y, &colour); // y = 0 is the bottom row
                const unsigned char* want = &pixels[(y * w + x) * channels];
                EXPECT_TRUE(colour.rgbRed == want[0] && colour.rgbGreen == want[1] &&
                            colour.rgbBlue == want[2])
                    << channels << " channels, pixel " << x << "," << y;
            }
        FreeImage_Unload(image);
    }
    EXPECT_EQ(test::readFile(folder + "/" + nameAt(kWhen, 1)), "the player's own file");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 3);
}
