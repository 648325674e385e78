// Screenshots without GL: which folder (XDG_PICTURES_DIR, user-dirs.dirs, ~/Pictures),
// names that never overwrite, the PNG's pixels, and the one line when nothing can be
// written. Every folder is under this process's temp folder.
#include "platform/Screenshot.h"
#include "platform/UserFolders.h"
#include "support/Environment.h"
#include "support/Files.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

using namespace drifthold;
namespace fs = std::filesystem;

namespace {

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

TEST(ScreenshotFolder, UserDirsEntriesAreReadAsXdgUserDirsWritesThem) {
    const std::pair<std::string, std::string> cases[] = {
        {"XDG_PICTURES_DIR=\"$HOME/Pictures\"\n", "/home/p/Pictures"},
        {"# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
         "XDG_PICTURES_DIR=\"$HOME/Bilder\"\nXDG_MUSIC_DIR=\"$HOME/Musik\"\n",
         "/home/p/Bilder"},
        {"  XDG_PICTURES_DIR = \"/media/photos/\"", "/media/photos"},
        {"XDG_PICTURES_DIR=\"$HOME/My \\\"Shots\\\"\"\n", "/home/p/My \"Shots\""},
        {"XDG_PICTURES_DIR=\"$HOME\"\n", "/home/p"},
        {"XDG_PICTURES_DIR=\"/one\"\nXDG_PICTURES_DIR=\"/two\"\n", "/two"},
        {"XDG_PICTURES_DIR=\"Pictures\"\n", ""},     // relative: not allowed
        {"XDG_PICTURES_DIR=\"$HOMEPAGE/x\"\n", ""},  // another variable
        {"XDG_PICTURES_DIR=$HOME/Pictures\n", ""},   // not quoted
        {"XDG_PICTURES_DIR=\"$HOME/Pictures\n", ""}, // quote never closed
        {"# XDG_PICTURES_DIR=\"/commented\"\n", ""},
        {"XDG_PICTURES_DIR_OLD=\"/old\"\n", ""},
        {"", ""},
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
    EXPECT_EQ(picturesDirFrom(nullptr, "", "/home/p"), "/home/p/Pictures");
    EXPECT_EQ(picturesDirFrom(nullptr, config, nullptr), "");
    test::writeFile(config, "user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
    EXPECT_EQ(picturesDirFrom(nullptr, config, "/home/p"), "/home/p/Bilder");
    EXPECT_EQ(picturesDirFrom("", config, "/home/p"), "/home/p/Bilder");
    EXPECT_EQ(picturesDirFrom("relative", config, "/home/p"), "/home/p/Bilder");
    test::writeFile(config, "user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/Musik\"\n");
    EXPECT_EQ(picturesDirFrom(nullptr, config, "/home/p"), "/home/p/Pictures");

    // The same through the environment, user-dirs.dirs found under XDG_CONFIG_HOME.
    test::writeFile(config, "user-dirs.dirs", "XDG_PICTURES_DIR=\"/media/shots\"\n");
    test::ScopedEnvironment environment(
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

// Nothing to write to gives one line, and no file anywhere.
TEST(Screenshot, NoFolderToWriteInGivesOneLineAndNoFile) {
    const std::string root = folderForThisTest();
    test::writeFile(root, "Pictures", "a file, not a folder");
    const std::vector<unsigned char> pixels = pattern(2, 2, 4);
    const PixelView view{pixels.data(), 2, 2, 4};
    const std::string failed = "drifthold: no screenshot saved";
    EXPECT_EQ(saveScreenshot(view, root + "/Pictures/Drifthold", kWhen),
              failed + " in " + root + "/Pictures/Drifthold: Not a directory");
    EXPECT_EQ(saveScreenshot(view, "", kWhen),
              failed + ": neither XDG_PICTURES_DIR nor HOME is an absolute folder");
    EXPECT_EQ(saveScreenshot(PixelView{pixels.data(), 0, 2, 4}, root + "/empty", kWhen),
              failed + ": the window has no picture");
    // Only the file called Pictures.
    EXPECT_EQ(std::distance(fs::recursive_directory_iterator(root), {}), 1);
}
