// The settings file: where it lives, what a good one holds, what every kind of broken one
// gives (the defaults and one line), and saves that leave either the old or the new file.
// XDG_CONFIG_HOME and HOME always point into this process's temp folder.
#include "app/Settings.h"
#include "app/UserFolders.h"
#include "support/Environment.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace drifthold;
namespace fs = std::filesystem;

namespace {

const Settings kChanged{true, 1280, 720, 35, true};

// A temp folder as XDG_CONFIG_HOME (and another as HOME) for one test.
class SettingsTest : public ::testing::Test {
protected:
    SettingsTest()
        : root(test::tempFolder(std::string("settings_") +
                                ::testing::UnitTest::GetInstance()->current_test_info()->name())),
          environment({{"XDG_CONFIG_HOME", (root + "/config").c_str()},
                       {"HOME", (root + "/home").c_str()}}),
          path(root + "/config/drifthold/settings") {}

    void writeFile(const std::string& text) {
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    }

    const std::string root;
    test::ScopedEnvironment environment;
    const std::string path;
};

int lineCount(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

TEST(SettingsPath, FollowsTheXdgRules) {
    EXPECT_EQ(configHomeFrom("/xdg/config", "/home/p"), "/xdg/config");
    EXPECT_EQ(configHomeFrom(nullptr, "/home/p"), "/home/p/.config");
    EXPECT_EQ(configHomeFrom("", "/home/p"), "/home/p/.config");
    EXPECT_EQ(configHomeFrom("relative/config", "/home/p"), "/home/p/.config");
    EXPECT_EQ(configHomeFrom(nullptr, nullptr), "");
    EXPECT_EQ(configHomeFrom("", ""), "");
    EXPECT_EQ(configHomeFrom(nullptr, "not/absolute"), ""); // never under the working folder
    {
        test::ScopedEnvironment environment({{"XDG_CONFIG_HOME", nullptr}, {"HOME", "/h"}});
        EXPECT_EQ(settingsPath(), "/h/.config/drifthold/settings");
    }
    test::ScopedEnvironment environment({{"XDG_CONFIG_HOME", "/c"}, {"HOME", "/h"}});
    EXPECT_EQ(settingsPath(), "/c/drifthold/settings");
}

TEST(SettingsMerge, AnOptionWinsOverTheFileForItsOwnChoiceOnly) {
    const Settings windowed{false, 800, 600, 40, false};
    Options options;
    EXPECT_EQ(settingsForThisRun(windowed, options), windowed);
    EXPECT_EQ(settingsForThisRun(kChanged, options), kChanged);
    options.screen = Options::Screen::Fullscreen;
    EXPECT_EQ(settingsForThisRun(windowed, options), (Settings{true, 800, 600, 40, false}));
    options.screen = Options::Screen::Windowed;
    options.mute = true;
    options.vsync = false;
    EXPECT_EQ(settingsForThisRun(Settings{true, 800, 600, 40, false}, options),
              (Settings{false, 800, 600, 40, true}));
    // --mute only ever mutes: without it the file's mute stays.
    EXPECT_TRUE(settingsForThisRun(kChanged, Options{}).mute);
}

TEST_F(SettingsTest, WhatIsSavedLoadsBackAndReadsAsText) {
    std::ostringstream errors;
    ASSERT_TRUE(saveSettings(kChanged, errors));
    EXPECT_EQ(errors.str(), "");
    EXPECT_EQ(test::readFile(path), "# Drifthold settings\n"
                                    "version = 1\n"
                                    "fullscreen = yes\n"
                                    "window-size = 1280x720\n"
                                    "volume = 35\n"
                                    "mute = yes\n");
    EXPECT_EQ(loadSettings(errors), kChanged);
    EXPECT_EQ(errors.str(), "");
    // The folder is made private, as XDG asks of folders it has to make.
    struct stat info {};
    ASSERT_EQ(stat((root + "/config/drifthold").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_FALSE(fs::exists(path + ".tmp"));

    // The defaults, and every limit of the ranges, survive the trip too.
    for (const Settings& settings :
         {Settings{}, Settings{false, kMinWindowWidth, kMinWindowHeight, 0, false},
          Settings{true, kMaxWindowSide, kMaxWindowSide, 100, false}}) {
        ASSERT_TRUE(saveSettings(settings, errors));
        EXPECT_EQ(loadSettings(errors), settings);
    }
    EXPECT_EQ(errors.str(), "");
}

TEST_F(SettingsTest, AMissingFileGivesTheDefaultsSilently) {
    std::ostringstream errors;
    EXPECT_EQ(loadSettings(errors), Settings{});
    EXPECT_EQ(errors.str(), "");
    EXPECT_FALSE(fs::exists(root + "/config")); // loading makes nothing
    test::ScopedEnvironment nowhere({{"XDG_CONFIG_HOME", nullptr}, {"HOME", nullptr}});
    EXPECT_EQ(loadSettings(errors), Settings{});
    EXPECT_EQ(errors.str(), "");
}

TEST_F(SettingsTest, HandWrittenVariationsAreRead) {
    writeFile("\n# written by hand\r\n  version=1  \r\n\n"
              "mute\t=\tno\nvolume = 0\n  # a comment\nwindow-size = 320x240\r\n"
              "fullscreen =yes\n\n");
    std::ostringstream errors;
    EXPECT_EQ(loadSettings(errors), (Settings{true, 320, 240, 0, false}));
    EXPECT_EQ(errors.str(), "");
}

// Each broken file gives the defaults, never half of its values, and one line naming the
// file and what is wrong.
TEST_F(SettingsTest, EveryKindOfBrokenFileGivesTheDefaultsAndOneLine) {
    const std::string body = "fullscreen = yes\nwindow-size = 800x600\nvolume = 35\n";
    const std::string good = "version = 1\n" + body + "mute = yes\n";
    const std::pair<std::string, std::string> cases[] = {
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
        {good + "mute\n", "line 6: 'mute' is not a 'name = value' line"},
        {"version = 1\nfullscreen = maybe\n", "line 2: fullscreen is 'maybe', not yes or no"},
        {"version = 1\nmute = YES\n", "line 2: mute is 'YES', not yes or no"},
        {"version = 1\nvolume = 101\n", "line 2: volume is '101'"},
        {"version = 1\nvolume = -1\n", "line 2: volume is '-1'"},
        {"version = 1\nvolume = 80%\n", "line 2: volume is '80%'"},
        {"version = 1\nvolume = 0x10\n", "line 2: volume is '0x10'"},
        {"version = 1\nvolume = 99999999999999999999\n", "line 2: volume is '9999"},
    };
    for (const auto& [text, problem] : cases) {
        EXPECT_EQ(parseSettings(text).settings, Settings{}) << problem;
        writeFile(text);
        const SettingsRead read = readSettingsFile(path);
        EXPECT_EQ(read.settings, Settings{}) << problem;
        EXPECT_EQ(read.problem.rfind("drifthold: the settings file " + path + " ", 0), 0u)
            << read.problem;
        EXPECT_NE(read.problem.find(problem), std::string::npos) << read.problem;
        std::ostringstream errors;
        EXPECT_EQ(loadSettings(errors), Settings{});
        EXPECT_EQ(errors.str(), read.problem + "\n");
    }
}

TEST_F(SettingsTest, AWindowSizeOutOfRangeOrMalformedIsRefused) {
    for (const char* size :
         {"0x0", "99999x5", "319x240", "320x239", "16385x768", "1024x16385", "1024 x 768",
          "1024*768", "x768", "1024x", "-1024x768", "+1024x768", "1024x768x2", "1024X768", ""}) {
        writeFile(std::string("version = 1\nwindow-size = ") + size + "\n");
        const SettingsRead read = readSettingsFile(path);
        EXPECT_NE(read.problem.find("line 2: window-size is '" + std::string(size) + "'"),
                  std::string::npos)
            << read.problem;
        EXPECT_EQ(read.settings, Settings{});
    }
}

TEST_F(SettingsTest, SomethingThatCannotBeReadGivesTheDefaultsAndOneLine) {
    fs::create_directories(path); // a folder where the file should be
    SettingsRead read = readSettingsFile(path);
    EXPECT_EQ(read.settings, Settings{});
    EXPECT_EQ(read.problem, "drifthold: the settings file " + path +
                                " is not a file; playing with the default settings");
    fs::remove_all(fs::path(path).parent_path());

    // A file standing where the drifthold folder should be.
    std::ofstream(root + "/config/drifthold") << "x";
    read = readSettingsFile(path);
    EXPECT_EQ(read.settings, Settings{});
    EXPECT_NE(read.problem.find("cannot be read: Not a directory"), std::string::npos)
        << read.problem;
    fs::remove(root + "/config/drifthold");

    if (geteuid() != 0) { // permissions do not stop root
        writeFile(formatSettings(kChanged));
        fs::permissions(path, fs::perms::none);
        read = readSettingsFile(path);
        EXPECT_EQ(read.settings, Settings{});
        EXPECT_NE(read.problem.find("cannot be read: Permission denied"), std::string::npos);
    }
}

// The temporary file is written in full, then renamed: a crash between the two leaves the
// old settings, and the next save overwrites the leftover.
TEST_F(SettingsTest, ASaveCutShortBeforeItsRenameLeavesTheOldSettings) {
    ASSERT_EQ(writeSettingsFile(path, kChanged), "");
    const Settings newer{false, 640, 480, 90, false};
    ASSERT_EQ(writeSettingsTemporary(path, newer), "");
    // Written beside the real file, under another name, in full.
    const fs::path temporary = fs::path(path).parent_path() / "settings.tmp";
    ASSERT_TRUE(fs::exists(temporary));
    EXPECT_EQ(test::readFile(temporary.string()), formatSettings(newer));
    std::ostringstream errors;
    EXPECT_EQ(loadSettings(errors), kChanged);

    // A leftover cut in the middle of its writing is never read and never in the way.
    std::ofstream(temporary, std::ios::trunc) << "version = 1\nfullscr";
    EXPECT_EQ(loadSettings(errors), kChanged);
    ASSERT_TRUE(saveSettings(newer, errors));
    EXPECT_EQ(loadSettings(errors), newer);
    EXPECT_FALSE(fs::exists(temporary));
    EXPECT_EQ(errors.str(), "");
}

TEST_F(SettingsTest, AFolderThatCannotBeWrittenGivesOneLineAndKeepsTheGameGoing) {
    std::ostringstream errors;
    // XDG_CONFIG_HOME is a file: no folder can be made under it, even by root.
    std::ofstream(root + "/config") << "not a folder";
    EXPECT_FALSE(saveSettings(kChanged, errors));
    EXPECT_EQ(errors.str(), "drifthold: cannot save the settings to " + path + ": " + root +
                                "/config/drifthold: Not a directory\n");

    // A file where the drifthold folder should be.
    fs::remove(root + "/config");
    fs::create_directories(root + "/config");
    std::ofstream(root + "/config/drifthold") << "not a folder either";
    errors.str("");
    EXPECT_FALSE(saveSettings(kChanged, errors));
    EXPECT_EQ(errors.str(), "drifthold: cannot save the settings to " + path + ": " + root +
                                "/config/drifthold: Not a directory\n");
    fs::remove(root + "/config/drifthold");

    // The settings' place is taken by a folder: the rename fails and takes its file along.
    fs::create_directories(path + "/inside");
    errors.str("");
    EXPECT_FALSE(saveSettings(kChanged, errors));
    EXPECT_EQ(lineCount(errors.str()), 1);
    EXPECT_EQ(errors.str().rfind("drifthold: cannot save the settings to " + path + ": ", 0), 0u);
    EXPECT_FALSE(fs::exists(path + ".tmp"));

    if (geteuid() != 0) {
        fs::remove_all(path);
        fs::permissions(fs::path(path).parent_path(),
                        fs::perms::owner_read | fs::perms::owner_exec);
        errors.str("");
        EXPECT_FALSE(saveSettings(kChanged, errors));
        EXPECT_NE(errors.str().find("Permission denied"), std::string::npos) << errors.str();
        fs::permissions(fs::path(path).parent_path(), fs::perms::owner_all);
    }

    test::ScopedEnvironment nowhere({{"XDG_CONFIG_HOME", ""}, {"HOME", nullptr}});
    errors.str("");
    EXPECT_FALSE(saveSettings(kChanged, errors));
    EXPECT_EQ(lineCount(errors.str()), 1);
    EXPECT_NE(errors.str().find("neither XDG_CONFIG_HOME nor HOME"), std::string::npos);
}
