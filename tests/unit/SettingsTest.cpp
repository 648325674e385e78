// The settings file: where it lives, what a good one holds, what every kind of broken one
// gives (the defaults and one line), and saves that leave either the old or the new file.
// XDG_CONFIG_HOME and HOME always point into this process's temp folder.
#include "platform/Settings.h"
#include "platform/UserFolders.h"
#include "support/Environment.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace drifthold;
namespace fs = std::filesystem;

namespace {

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
    const test::ScopedEnvironment environment{{"XDG_CONFIG_HOME", (root + "/config").c_str()},
                                              {"HOME", (root + "/home").c_str()}};
    const std::string folder = root + "/config/drifthold", path = folder + "/settings";
};

} // namespace

// A relative folder is never taken: the settings would land wherever the game runs.
TEST(SettingsPath, FollowsTheXdgRules) {
    EXPECT_EQ(configHomeFrom("/xdg/config", "/home/p"), "/xdg/config");
    EXPECT_EQ(configHomeFrom(nullptr, "/home/p"), "/home/p/.config");
    EXPECT_EQ(configHomeFrom("", "/home/p"), "/home/p/.config");
    EXPECT_EQ(configHomeFrom("relative/config", "/home/p"), "/home/p/.config");
    EXPECT_EQ(configHomeFrom(nullptr, nullptr), "");
    EXPECT_EQ(configHomeFrom("", ""), "");
    EXPECT_EQ(configHomeFrom(nullptr, "not/absolute"), "");
    test::ScopedEnvironment environment({{"XDG_CONFIG_HOME", "/c"}, {"HOME", "/h"}});
    EXPECT_EQ(settingsPath(), "/c/drifthold/settings");
}

// An option holds for its run only: the run plays with it, but what is kept is the file's
// setting unless the player changed that setting while playing.
TEST(SettingsSession, OptionsHoldForOneRunAndThePlayersChangesAreKept) {
    const SettingsSession plain(kChanged, Options{});
    EXPECT_EQ(plain.thisRun(), kChanged); // --mute only ever mutes
    EXPECT_EQ(plain.toKeep(kChanged), kChanged);

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

// The temporary file is written in full, then renamed: a crash between the two leaves the
// old settings, and the next save overwrites the leftover.
TEST_F(SettingsTest, ASaveCutShortBeforeItsRenameLeavesTheOldSettings) {
    ASSERT_EQ(writeSettingsFile(path, kChanged), "");
    const Settings newer{false, 640, 480, 90, false, kFixed};
    ASSERT_EQ(writeSettingsTemporary(path, newer), "");
    // Written beside the real file, under another name, in full.
    EXPECT_EQ(test::readFile(path + ".tmp"), formatSettings(newer));
    EXPECT_EQ(load(), Loaded(kChanged, ""));

    // A leftover cut in the middle of its writing is never read and never in the way.
    std::ofstream(path + ".tmp", std::ios::trunc) << "version = 1\nfullscr";
    EXPECT_EQ(load(), Loaded(kChanged, ""));
    EXPECT_EQ(save(newer), "");
    EXPECT_EQ(load(), Loaded(newer, ""));
    EXPECT_FALSE(fs::exists(path + ".tmp"));
}

// Whatever stands in the way gives the defaults or no save, one line, and the game goes on.
TEST_F(SettingsTest, WhatCannotBeReadOrWrittenGivesOneLine) {
    test::writeFile(root + "/config", "drifthold", "a file where the folder should be");
    EXPECT_NE(readSettingsFile(path).problem.find("cannot be read: Not a directory"),
              std::string::npos);
    EXPECT_EQ(save(kChanged, false), "drifthold: cannot save the settings to " + path + ": " +
                                         folder + ": Not a directory\n");
    fs::remove(folder);
    fs::create_directories(folder);

    // Named pipes where the file or its temporary should be are never waited on: nobody
    // would ever write or read them. Should a load or save wait, the pipe's other end is
    // opened to let it go.
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

    test::ScopedEnvironment nowhere({{"XDG_CONFIG_HOME", ""}, {"HOME", nullptr}});
    EXPECT_EQ(load(), Loaded(Settings{}, ""));
    EXPECT_EQ(save(kChanged, false), "drifthold: cannot save the settings: neither "
                                     "XDG_CONFIG_HOME nor HOME is an absolute folder\n");
}
